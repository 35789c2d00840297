#pragma once
// The drive window on Win32: a tool window whose rows of icon buttons and labels the presenter creates
// and places, and its two timers. It draws what the presenter tells it and forwards the window's events.
#include "port/MainView.h"
#include "win32/GuiHandles.h"
#include "win32/Win32Icons.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace win {

// What outside programs (the test driver, a second instance) can rely on to find the window and tell
// its controls apart: row i's controls carry these ids plus i.
inline constexpr wchar_t kMainWindowClass[] = L"TavimoroDriveWindow";
inline constexpr int kButtonIdBase = 1000;
inline constexpr int kVolumeLabelIdBase = 2000;
inline constexpr int kDriveLabelIdBase = 3000;
inline constexpr int kRowIdEnd = 4000;
inline constexpr UINT_PTR kRefreshTimerId = 1;
inline constexpr UINT_PTR kEndTimerId = 2;

class Win32MainView : public port::IMainView {
  public:
    // Creates the window hidden; the presenter gives it its size, its font and its rows.
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
    double twipsPerPixelX() override { return m_twipsPerPixel; }
    double twipsPerPixelY() override { return m_twipsPerPixel; }
    std::string caption() override;
    void setCaption(const std::string& text) override;
    bool visible() override;
    void setVisible(bool visible) override;
    void minimize() override;
    double textWidth(const std::string& text) override;
    int focusedRow() override;
    void focusRow(int row) override;
    port::ITimer& refreshTimer() override;
    port::ITimer& endTimer() override;
    void close() override;

    class Control;
    class Button;
    class Label;
    class Timer;

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK childProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclassId, DWORD_PTR view);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void keyDown(UINT message, WPARAM wParam, LPARAM lParam);
    void dropFiles(HDROP drop);
    // The button of `row`; null for none.
    Control* rowButton(int row) const;
    HWND makeChild(const wchar_t* className, DWORD style, int id);
    int toPixels(double twips) const;
    RECT windowRect() const;
    // The window's own icons at its DPI.
    // The window is on a monitor of another DPI now: it takes the place the system suggests and draws
    // everything anew at that DPI.
    void changeDpi(UINT dpi, const RECT& suggested);

    HINSTANCE m_instance;
    UINT m_dpi = 96;
    double m_twipsPerPixel = 15.0;
    std::optional<port::FontRecord> m_font; // as the presenter gave it, in points
    port::IMainViewEvents* m_events = nullptr;
    // Declared before the window so that they outlive it and its controls.
    std::vector<UniqueFont> m_fonts; // the last one is the current font
    WindowIcons m_icons;
    UniqueWindow m_window;
    std::unique_ptr<Timer> m_refresh;
    std::unique_ptr<Timer> m_end;
    std::vector<Control*> m_controls; // every live control; the presenter owns them
    std::map<UINT, std::function<void(WPARAM, LPARAM)>> m_listeners;
    HWND m_lastFocus = nullptr; // the focused control when the window was last deactivated
    bool m_unloading = false;
};

} // namespace win
