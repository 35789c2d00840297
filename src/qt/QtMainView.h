#pragma once
// The drive window on Qt: a fixed-size tool window with the rows of drive buttons and labels, the
// pop-up menu's drive items and the two timers. It draws what the presenter tells it and forwards
// the window's events to it.
#include "port/DropData.h"
#include "port/MainView.h"

#include <QFont>
#include <QIcon>
#include <QList>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QWidget;

namespace app {
class frm_main;
}

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

class QtMainView : public port::IMainView {
  public:
    explicit QtMainView(const QIcon& windowIcon);
    ~QtMainView() override;
    QtMainView(const QtMainView&) = delete;
    QtMainView& operator=(const QtMainView&) = delete;

    // Events go to the presenter from here on. The presenter must not outlive the view's controls:
    // destroy it first.
    void setPresenter(app::frm_main* presenter) { m_presenter = presenter; }

    QWidget& window();
    QMenu& popupMenu();
    // The row's widgets, for the pop-up menu's owner and for tests; index 0 is the template.
    QAbstractButton& button(int index);
    QLabel& volumeLabel(int index);
    QLabel& driveLabel(int index);
    QAction& driveAction(int index);
    const QTimer& refreshTimer() const { return m_refresh; }
    const QTimer& endTimer() const { return m_end; }
    // 1440 / the screen's logical DPI.
    double twipsPerPixel() const;
    // True once the window has unloaded for good.
    bool unloaded() const { return m_unloaded; }

    int rowCount() override;
    void loadRow(int n) override;
    void unloadRow(int n) override;
    port::IButton& cmd_CD(int index) override;
    port::ILabel& lbl_VolumeName(int index) override;
    port::ILabel& lbl_Drive(int index) override;
    port::IMenuItem& Menu_Drive(int index) override;

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
    std::string Caption() override;
    void setCaption(const std::string& text) override;
    bool Visible() override;
    void setVisible(bool visible) override;
    double TextWidth(const std::string& text) override;

    void setRefreshInterval(int milliseconds) override;
    void setRefreshEnabled(bool enabled) override;
    void setEndEnabled(bool enabled) override;
    void close() override;

    class Window;
    class Button;
    class Label;
    class MenuItem;

  private:
    friend class Window;
    struct Row;

    Row& row(int index);
    void resizeClient(int width, int height);
    void applyRefreshTimer();
    // Window events, from the window widget.
    bool unloadRequested(); // true when the window may close
    void keyPressed(int keyCode);
    void filesDropped(const QList<QUrl>& urls);

    app::frm_main* m_presenter = nullptr;
    QFont m_font;
    std::unique_ptr<Window> m_window;
    QMenu* m_menu = nullptr; // owned by the window
    std::vector<std::unique_ptr<Row>> m_rows;
    QTimer m_refresh;
    QTimer m_end;
    int m_refreshInterval = 1000;
    bool m_refreshEnabled = true;
    bool m_unloaded = false;
};

} // namespace qtui
