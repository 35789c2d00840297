#pragma once
// The drive window on Qt: a fixed-size tool window holding the rows of drive buttons and labels that
// the presenter makes, and its two timers. It draws what the presenter tells it and forwards the
// window's events (keys, clicks, drops, the close request, timer ticks) to it.
#include "port/MainView.h"
#include "qt/QtKeys.h"

#include <QFont>
#include <QIcon>
#include <QMargins>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QKeyEvent;
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
    // The widget that draws a control the presenter holds; null for a control of another view.
    static QWidget* widgetOf(port::IControl& control);
    const QTimer& qtRefreshTimer() const { return m_refresh.timer(); }
    const QTimer& qtEndTimer() const { return m_end.timer(); }
    // True once the window has closed for good.
    bool closed() const { return m_closed; }
    // The window manager's frame around the client area, as it is known now.
    QMargins frameMargins() const;

    void setEvents(port::IMainViewEvents* events) override { m_events = events; }
    void setFont(const port::FontRecord& font) override;
    port::RowControls createRow(int index) override;

    double top() override;
    double left() override;
    double width() override;
    double height() override;
    double clientWidth() override;
    double clientHeight() override;
    void setTop(double twips) override;
    void setLeft(double twips) override;
    void setWidth(double twips) override;
    void setHeight(double twips) override;
    double screenWidth() override;
    double screenHeight() override;
    double twipsPerPixelX() override;
    double twipsPerPixelY() override;
    std::string caption() override;
    void setCaption(const std::string& text) override;
    bool visible() override;
    void setVisible(bool visible) override;
    void minimize() override;
    double textWidth(const std::string& text) override;
    int focusedRow() override;
    void focusRow(int row) override;
    port::ITimer& refreshTimer() override { return m_refresh; }
    port::ITimer& endTimer() override { return m_end; }
    void close() override;

    class Window;
    class DriveButton;

  private:
    friend class Window;
    friend class DriveButton;

    void resizeClient(int width, int height);
    void placeClient(QPoint topLeft);
    // Where the client area's top left is, as far as the program can know.
    QPoint clientTopLeft() const;
    void syncHiddenWindow();
    // Window events, from the window and its buttons.
    bool closeRequested(); // true when the window may close
    void keyPressed(const QKeyEvent& event);
    void keyReleased(const QKeyEvent& event);
    void filesDropped(const std::vector<std::string>& paths);
    void buttonClicked(int index);

    port::IMainViewEvents* m_events = nullptr;
    QFont m_font;
    std::unique_ptr<Window> m_window;
    // The frame the window manager said it will draw, asked before the window was first shown.
    QMargins m_expectedFrame;
    // The last position asked for: a Wayland compositor places the window itself and never says where,
    // so this is the placement the program knows and keeps.
    std::optional<QPoint> m_requestedTopLeft;
    std::map<int, QPointer<DriveButton>> m_buttons; // the newest button of each row
    KeyRepeats m_repeats;
    QtTimer m_refresh;
    QtTimer m_end;
    bool m_closed = false;
};

} // namespace qtui
