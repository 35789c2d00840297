#pragma once
// The drive window on Qt: a fixed-size tool window with a row of a drive button and two labels for each
// drive the presenter hands over, laid out in logical pixels from the design, and its two timers. It
// forwards the window's events (keys, clicks, drops, the close request, timer ticks) to the presenter.
#include "port/MainView.h"
#include "qt/QtKeys.h"
#include "ui/RowLayout.h"

#include <QFont>
#include <QMargins>
#include <QPoint>
#include <QPointer>
#include <QSizeF>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAbstractButton;
class QIcon;
class QKeyEvent;
class QLabel;
class QWidget;

namespace qtui {

// A timer of the window: each start begins a full interval; its ticks go to a handler.
class QtTimer : public port::ITimer {
  public:
    explicit QtTimer(std::function<void()> tick);
    void start(int milliseconds) override;
    void stop() override { m_timer.stop(); }
    const QTimer& timer() const { return m_timer; }

  private:
    QTimer m_timer;
};

class QtMainView : public port::IMainView {
  public:
    explicit QtMainView(const QIcon& windowIcon);
    ~QtMainView() override;
    QtMainView(const QtMainView&) = delete;
    QtMainView& operator=(const QtMainView&) = delete;

    QWidget& window();
    const QTimer& qtRefreshTimer() const { return m_refresh.timer(); }
    const QTimer& qtEndTimer() const { return m_end.timer(); }
    // True once the window has closed for good.
    bool closed() const { return m_closed; }
    // The window manager's frame around the client area, as it is known now.
    QMargins frameMargins() const;
    // The widgets of the row of drive `letter`; null for none.
    QAbstractButton* button(char letter) const;
    QLabel* label(char letter) const;
    QLabel* driveText(char letter) const;
    std::string caption() const;

    void setEvents(port::IMainViewEvents* events) override { m_events = events; }
    void setRows(std::vector<port::DriveRow> rows) override;
    void updateRow(port::DriveRow row) override;
    void setHint(const std::string& text) override;
    void fitWidth(bool toLabels) override;
    void setCaption(const std::string& text) override;
    port::Rect placement() override;
    port::Rect screen() override;
    port::Rect workArea() override;
    double unitsPerInch() override;
    void moveTo(int left, int top) override;
    bool visible() override;
    void setVisible(bool visible) override;
    bool minimize() override;
    char focusedLetter() override;
    void focusLetter(char letter) override;
    port::ITimer& refreshTimer() override { return m_refresh; }
    port::ITimer& endTimer() override { return m_end; }
    void close() override;

    class Window;
    class DriveButton;

  private:
    friend class Window;
    friend class DriveButton;

    struct Row;

    Row* rowOf(char letter) const;
    // Shows `content` in the row's widgets and measures its texts.
    void fill(Row& row, port::DriveRow content);
    // Puts the row's widgets at their places for the row at `index`.
    void place(const Row& row, int index);
    // Where the hint goes now, in device-independent pixels; an empty box while it is not shown.
    ui::layout::Box hintBox() const;
    void resizeClient(int width, int height);
    void placeClient(QPoint topLeft);
    // Where the client area's top left is, as far as the program can know.
    QPoint clientTopLeft() const;
    void placeUnlessPlaced();
    void syncHiddenWindow();
    // Window events, from the window and its buttons.
    bool closeRequested(); // true when the window may close
    void keyPressed(const QKeyEvent& event);
    void keyReleased(const QKeyEvent& event);
    void filesDropped(const std::vector<std::string>& paths);
    void buttonClicked(char letter);
    void buttonMenuAsked(char letter);
    // The window went to another screen, maybe of another scale.
    void screenChanged();

    port::IMainViewEvents* m_events = nullptr;
    QFont m_font;
    std::unique_ptr<Window> m_window;
    // The frame the window manager said it will draw, asked before the window was first shown.
    mutable std::optional<QMargins> m_expectedFrame;
    // The last position asked for: a Wayland compositor places the window itself and never says where,
    // so this is the placement the program knows and keeps.
    std::optional<QPoint> m_requestedTopLeft;
    std::vector<std::unique_ptr<Row>> m_rows;
    double m_rowsRatio = 1; // the device pixel ratio the rows were made at
    QPointer<QLabel> m_hint;
    QSizeF m_hintSize; // its text's, in device-independent pixels
    KeyRepeats m_repeats;
    QtTimer m_refresh;
    QtTimer m_end;
    bool m_closed = false;
};

} // namespace qtui
