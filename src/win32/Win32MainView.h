#pragma once
// The drive window on Win32: a tool window with a row of an icon button and two labels for each drive
// the presenter hands over, laid out in pixels at the DPI of its monitor from the design, and its two
// timers. It forwards the window's events to the presenter.
#include "port/MainView.h"
#include "ui/RowLayout.h"
#include "win32/GuiHandles.h"
#include "win32/Win32Icons.h"
#include "win32/Win32Rows.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace win {

// What outside programs (the test driver, a second instance) can rely on to find the window and tell
// its controls apart: the controls of the i-th row from the top (from 1) carry these ids plus i.
inline constexpr wchar_t kMainWindowClass[] = L"TavimoroDriveWindow";
inline constexpr int kButtonIdBase = 1000;
inline constexpr int kVolumeLabelIdBase = 2000;
inline constexpr int kDriveLabelIdBase = 3000;
inline constexpr int kRowIdEnd = 4000;
inline constexpr int kHintId = 4000; // the text the window shows while it has no row
inline constexpr UINT_PTR kRefreshTimerId = 1;
inline constexpr UINT_PTR kEndTimerId = 2;

class Win32MainView : public port::IMainView {
  public:
    // Creates the window hidden, at the design's size; the presenter gives it its rows.
    explicit Win32MainView(HINSTANCE instance);
    ~Win32MainView() override;
    Win32MainView(const Win32MainView&) = delete;
    Win32MainView& operator=(const Win32MainView&) = delete;

    // Null once the window is gone.
    HWND hwnd() const { return m_window.get(); }
    // The DPI of the monitor the window is on, which it is drawn at.
    UINT dpi() const { return m_dpi; }
    // Runs `handler` whenever the window receives `message`, before DefWindowProc gives the message's
    // result: for the messages that the platform features around the window watch for.
    void listen(UINT message, std::function<void()> handler);
    void listen(UINT message, std::function<void(WPARAM, LPARAM)> handler);
    // Lets `handler` give the result of `message` (WM_COPYDATA, say) instead of DefWindowProc.
    void answer(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler);

    void setEvents(port::IMainViewEvents* events) override { m_events = events; }
    void setRows(std::vector<port::DriveRow> rows) override;
    void updateRow(port::DriveRow row) override;
    void setHint(const std::string& text) override;
    void fitWidth(bool toLabels) override;
    void setCaption(const std::string& text) override;
    port::Rect placement() override;
    port::Rect screen() override;
    port::Rect workArea() override;
    double unitsPerInch() override { return m_dpi; }
    void moveTo(int left, int top) override;
    bool visible() override;
    void setVisible(bool visible) override;
    bool minimize() override;
    char focusedLetter() override;
    void focusLetter(char letter) override;
    port::ITimer& refreshTimer() override;
    port::ITimer& endTimer() override;
    void close() override;

    class Timer;

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK childProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclassId, DWORD_PTR view);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void keyDown(UINT message, WPARAM wParam, LPARAM lParam);
    void dropFiles(HDROP drop);
    // What the rows' controls are made with.
    RowParent rowParent() const;
    // Where the hint goes now, in device-independent pixels; an empty box while it is not shown.
    ui::layout::Box hintBox() const;
    // The client area's width in pixels: to the widest label, or one button wide (see fitWidth).
    int clientWidth(bool toLabels) const;
    // The client area's height in pixels for the rows, or for the hint while there is none.
    int clientHeight() const;
    // The client area's new size, in pixels; the frame stays as the system draws it. Nothing moves when
    // the size is the same.
    void resizeClient(int width, int height);
    // Destroys the rows' controls; the focus stays in the window.
    void removeRows();
    // The window is on a monitor of another DPI now: it takes the place the system suggests and draws
    // everything anew at that DPI.
    void changeDpi(UINT dpi, const RECT& suggested);

    HINSTANCE m_instance;
    UINT m_dpi = 96;
    port::IMainViewEvents* m_events = nullptr;
    // Declared before the window so that they outlive it and its controls.
    UniqueFont m_font; // the labels' font at the window's DPI
    WindowIcons m_icons;
    UniqueWindow m_window;
    UniqueWindow m_hint;
    double m_hintWidth = 0, m_hintHeight = 0; // its text's, in device-independent pixels
    std::unique_ptr<Timer> m_refresh;
    std::unique_ptr<Timer> m_end;
    std::vector<std::unique_ptr<WindowRow>> m_rows;
    std::optional<bool> m_fitsLabels; // as fitWidth was last told, which a new set of rows keeps
    std::map<UINT, std::function<void(WPARAM, LPARAM)>> m_listeners;
    std::map<UINT, std::function<LRESULT(WPARAM, LPARAM)>> m_answerers;
    RECT m_frame{}; // the smallest outer rectangle, a frame around nothing, at m_frameDpi
    UINT m_frameDpi = 0;
    HWND m_lastFocus = nullptr; // the focused control when the window was last deactivated
    bool m_unloading = false;
};

} // namespace win
