#pragma once
// The drive window on Qt: a fixed-size tool window holding the rows of drive buttons and labels that
// the presenter makes, and its two timers. It draws what the presenter tells it and forwards the
// window's events (keys, mouse presses, drops, the close request, timer ticks) to it.
#include "port/DropData.h"
#include "port/MainView.h"

#include <QFont>
#include <QIcon>
#include <QList>
#include <QMargins>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QKeyEvent;
class QMouseEvent;
class QWidget;

namespace qtui {

// Windows virtual-key code of a Qt key: letters and digits keep their codes, which Qt shares with
// Windows; other keys get their Windows code where there is one, else 0xFF (no letter).
int virtualKeyCode(int qtKey);

// The local files of a drop. Anything that is not a local file (a web address) is left out.
class QtDropData : public port::IDropData {
  public:
    explicit QtDropData(const QList<QUrl>& urls);
    bool hasFileList() override { return !m_files.empty(); }
    int fileCount() override { return static_cast<int>(m_files.size()); }
    std::string file(int position) override;

  private:
    std::vector<std::string> m_files;
};

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
    const QTimer& refreshTimer() const { return m_refresh.timer(); }
    const QTimer& endTimer() const { return m_end.timer(); }
    // True once the window has unloaded for good.
    bool unloaded() const { return m_unloaded; }
    // The window manager's frame around the client area, as it is known now.
    QMargins frameMargins() const;

    void setEvents(port::IMainViewEvents* events) override { m_events = events; }
    void setFont(const port::FontRecord& font) override;
    port::RowControls createRow(int index) override;

    double Top() override;
    double Left() override;
    double Width() override;
    double Height() override;
    double ScaleWidth() override;
    double ScaleHeight() override;
    void setTop(double twips) override;
    void setLeft(double twips) override;
    void setWidth(double twips) override;
    void setHeight(double twips) override;
    double ScreenWidth() override;
    double ScreenHeight() override;
    double TwipsPerPixelX() override;
    double TwipsPerPixelY() override;
    std::string Caption() override;
    void setCaption(const std::string& text) override;
    bool Visible() override;
    void setVisible(bool visible) override;
    void minimize() override;
    double TextWidth(const std::string& text) override;
    port::ITimer& tim_Refresh() override { return m_refresh; }
    port::ITimer& tim_end() override { return m_end; }
    void close() override;

    class Window;
    class DriveButton;

  private:
    friend class Window;
    friend class DriveButton;

    void resizeClient(int width, int height);
    void placeClient(QPoint topLeft);
    void syncHiddenWindow();
    // Window events, from the window and its buttons.
    bool unloadRequested(); // true when the window may close
    // A key press on the window or a button; true when it was the window's to take.
    bool keyPressed(const QKeyEvent& event);
    void keyReleased(const QKeyEvent& event);
    bool isRepeat(const QKeyEvent& event);
    static int heldKey(const QKeyEvent& event);
    void mousePressed(const QMouseEvent& event);
    void filesDropped(const QList<QUrl>& urls);
    void buttonClicked(int index);

    port::IMainViewEvents* m_events = nullptr;
    QFont m_font;
    std::unique_ptr<Window> m_window;
    // The frame the window manager said it will draw, asked before the window was first shown.
    QMargins m_expectedFrame;
    std::map<int, QPointer<DriveButton>> m_buttons; // the newest button of each row
    std::set<int> m_heldKeys;                       // keys pressed and not yet released
    struct Release {
        int key = 0;
        quint64 time = 0;
    } m_lastRelease; // the last key released, when nothing was pressed since
    QtTimer m_refresh;
    QtTimer m_end;
    bool m_unloaded = false;
};

} // namespace qtui
