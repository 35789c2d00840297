#pragma once
// The drive window on Win32: a fixed-size tool window with the rows of icon buttons and labels, the
// pop-up menu's drive items and the two timers. It draws what the presenter tells it and forwards the
// window's events to it.
#include "port/DropData.h"
#include "port/MainView.h"
#include "win32/GuiHandles.h"

#include <memory>
#include <string>
#include <vector>

namespace app {
class frm_main;
}

namespace win {

// What outside programs (the test driver, a second instance) can rely on to find the window and tell
// its controls apart: row i's controls carry these ids plus i.
inline constexpr wchar_t kMainWindowClass[] = L"TavimoroDriveWindow";
inline constexpr int kButtonIdBase = 1000;
inline constexpr int kVolumeLabelIdBase = 2000;
inline constexpr int kDriveLabelIdBase = 3000;
inline constexpr int kDriveMenuIdBase = 4000;
inline constexpr UINT_PTR kRefreshTimerId = 1; // tim_Refresh
inline constexpr UINT_PTR kEndTimerId = 2;     // tim_end

// The files of a WM_DROPFILES drop; the handle stays the caller's.
class Win32DropData : public port::IDropData {
  public:
    explicit Win32DropData(HDROP drop) : m_drop(drop) {}
    bool hasFileList() override { return true; }
    int fileCount() override;
    std::string file(int position) override;

  private:
    HDROP m_drop;
};

class Win32MainView : public port::IMainView {
  public:
    // Creates the window hidden, at its design size, with the templates of the control arrays.
    explicit Win32MainView(HINSTANCE instance);
    ~Win32MainView() override;
    Win32MainView(const Win32MainView&) = delete;
    Win32MainView& operator=(const Win32MainView&) = delete;

    // Events go to the presenter from here on. The presenter must go before the view does.
    void setPresenter(app::frm_main* presenter) { m_presenter = presenter; }
    // Runs the message loop until the window is closed for good; gives the exit code.
    int runMessageLoop();

    HWND hwnd() const { return m_window.get(); }
    // 1440 / the screen's pixels per logical inch.
    double twipsPerPixel() const { return m_twipsPerPixel; }
    // A new pop-up menu with the visible drive items (ids kDriveMenuIdBase + row), in row order.
    UniqueMenu buildDriveMenu();

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
    // Unloads the window (the presenter's Form_Unload runs first and may cancel); once it is gone the
    // message loop ends.
    void close() override;

    class Control;
    class Button;
    class Label;
    class MenuItem;

  private:
    struct Row;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR subclassId, DWORD_PTR view);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void keyDown(int keyCode);
    Row* findRow(int index);
    Row& row(int index);
    std::unique_ptr<Row> makeRow(int index);
    int toPixels(double twips) const;
    RECT windowRect();
    void applyRefreshTimer();

    HINSTANCE m_instance;
    double m_twipsPerPixel = 15.0;
    app::frm_main* m_presenter = nullptr;
    // Declared before the window so that they outlive it.
    UniqueFont m_font;
    UniqueIcon m_bigIcon;
    UniqueIcon m_smallIcon;
    UniqueWindow m_window;
    std::vector<std::unique_ptr<Row>> m_rows; // index = row; element 0 is the template
    int m_refreshInterval = 1000;
    bool m_refreshEnabled = true;
    bool m_endEnabled = false;
    bool m_unloading = false;
};

} // namespace win
