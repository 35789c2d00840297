#include "win32/Win32MainView.h"

#include "win32/Dpi.h"
#include "win32/WideText.h"
#include "win32/Win32Icons.h"
#include "win32/WindowOwner.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace win {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES;
constexpr UINT_PTR kChildSubclassId = 1;

// A drive button, by its control id.
bool isButton(HWND control) {
    const int id = GetDlgCtrlID(control);
    return id > kButtonIdBase && id < kVolumeLabelIdBase;
}

bool isRepeat(LPARAM lParam) {
    return (lParam & (LPARAM{1} << 30)) != 0;
}

// A key as the presenter knows it. Alt+Tab is the system's, not the rows' Tab.
port::Key keyOf(UINT message, WPARAM virtualKey) {
    port::Key key;
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        key.kind = port::Key::Kind::Letter;
        key.letter = static_cast<char>(virtualKey);
    } else if (virtualKey == VK_SPACE) {
        key.kind = port::Key::Kind::Space;
    } else if (virtualKey == VK_TAB && message == WM_KEYDOWN) {
        key.kind = port::Key::Kind::Tab;
        key.shift = GetKeyState(VK_SHIFT) < 0;
    }
    return key;
}

} // namespace

// One child control: its place is kept in twips as the presenter set it and drawn in whole pixels.
class Win32MainView::Control {
  public:
    Control(Win32MainView& view, int row, HWND window) : m_view(view), m_row(row), m_window(window) {
        if (!m_view.m_fonts.empty())
            SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(m_view.m_fonts.back().get()), FALSE);
        m_view.m_controls.push_back(this);
    }
    virtual ~Control() {
        std::erase(m_view.m_controls, this);
        destroy();
    }
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND hwnd() const { return m_window.get(); }
    int row() const { return m_row; }
    // The window is already gone with its parent.
    void abandon() { m_window.release(); }
    // Converts the place in twips anew, at the window's DPI now.
    void placeAgain() { setPlace(m_place); }

  protected:
    struct Place {
        double left = 0, top = 0, width = 0, height = 0;
    };

    void destroy() {
        // Keys must keep reaching the window when the focused control goes (without a focus window
        // every key would arrive as a system key).
        if (m_window && GetFocus() == m_window.get() && m_view.m_window)
            SetFocus(m_view.hwnd());
        m_window.reset();
    }
    const Place& place() const { return m_place; }
    void setPlace(const Place& place) {
        m_place = place;
        if (hwnd())
            SetWindowPos(hwnd(), nullptr, m_view.toPixels(place.left), m_view.toPixels(place.top),
                         m_view.toPixels(place.width), m_view.toPixels(place.height),
                         SWP_NOZORDER | SWP_NOACTIVATE);
    }
    bool shown() const { return m_shown; }
    void show(bool shown) {
        m_shown = shown;
        if (hwnd())
            ShowWindow(hwnd(), shown ? SW_SHOWNA : SW_HIDE);
    }

  private:
    Win32MainView& m_view;
    int m_row;
    UniqueWindow m_window;
    Place m_place;
    bool m_shown = false;
};

namespace {

// The members every kind of control shares, in terms of the control behind it.
template <class Interface> class ControlOf : public Win32MainView::Control, public Interface {
  public:
    using Control::Control;
    int index() override { return row(); }
    double top() override { return place().top; }
    double left() override { return place().left; }
    double width() override { return place().width; }
    double height() override { return place().height; }
    void setTop(double v) override { setPlace({place().left, v, place().width, place().height}); }
    void setLeft(double v) override { setPlace({v, place().top, place().width, place().height}); }
    void setWidth(double v) override { setPlace({place().left, place().top, v, place().height}); }
    void setHeight(double v) override { setPlace({place().left, place().top, place().width, v}); }
    bool visible() override { return shown(); }
    void setVisible(bool v) override { show(v); }
};

} // namespace

class Win32MainView::Button : public ControlOf<port::IButton> {
  public:
    using ControlOf::ControlOf;
    ~Button() override {
        // The control goes before the icon it shows.
        destroy();
    }

    void setPicture(std::unique_ptr<port::IPicture> picture) override {
        // Only pictures made by Win32Icons reach this view.
        auto* icon = dynamic_cast<Win32Picture*>(picture.get());
        if (hwnd())
            SendMessageW(hwnd(), BM_SETIMAGE, IMAGE_ICON,
                         reinterpret_cast<LPARAM>(icon ? icon->icon() : nullptr));
        // The old icon is destroyed only after the button has let go of it.
        m_picture = std::move(picture);
    }
    bool hasPicture() override { return m_picture != nullptr; }
    bool enabled() override { return m_enabled; }
    void setEnabled(bool enabled) override {
        m_enabled = enabled;
        if (hwnd())
            EnableWindow(hwnd(), enabled);
    }
    // BS_ICON hides the window text, which is what MSAA and UI Automation read as the button's name.
    void setAccessibleName(const std::string& name) override {
        if (hwnd())
            SetWindowTextW(hwnd(), toWide(name).c_str());
    }

  private:
    std::unique_ptr<port::IPicture> m_picture;
    bool m_enabled = true;
};

class Win32MainView::Label : public ControlOf<port::ILabel> {
  public:
    using ControlOf::ControlOf;

    std::string caption() override { return m_caption; }
    void setCaption(const std::string& text) override {
        m_caption = text;
        if (hwnd())
            SetWindowTextW(hwnd(), toWide(text).c_str());
    }

  private:
    std::string m_caption;
};

// A timer of the window: its ticks arrive as WM_TIMER with its id.
class Win32MainView::Timer : public port::ITimer {
  public:
    Timer(Win32MainView& view, UINT_PTR id) : m_view(view), m_id(id) {}
    // Setting an existing timer again starts its interval anew.
    void start(int milliseconds) override {
        if (m_view.hwnd())
            SetTimer(m_view.hwnd(), m_id, static_cast<UINT>(std::max(milliseconds, 1)), nullptr);
    }
    void stop() override {
        if (m_view.hwnd())
            KillTimer(m_view.hwnd(), m_id);
    }

  private:
    Win32MainView& m_view;
    UINT_PTR m_id;
};

Win32MainView::Win32MainView(HINSTANCE instance)
    : m_instance(instance), m_refresh(std::make_unique<Timer>(*this, kRefreshTimerId)),
      m_end(std::make_unique<Timer>(*this, kEndTimerId)) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &Win32MainView::windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainWindowClass;
    RegisterClassExW(&windowClass); // a second view in one process finds the class registered

    m_window.reset(CreateWindowExW(kWindowExStyle, kMainWindowClass, L"Tavimoro", kWindowStyle, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                                   this));
    if (!m_window)
        return;
    // The window is placed by now, so it knows the monitor it is on.
    m_dpi = windowDpi(hwnd());
    m_twipsPerPixel = twipsPerPixel(m_dpi);
    m_icons = setWindowIcons(m_instance, hwnd(), m_dpi);
}

Win32MainView::~Win32MainView() {
    m_events = nullptr;
    m_window.reset();
}

void Win32MainView::listen(UINT message, std::function<void()> handler) {
    listen(message, [handler = std::move(handler)](WPARAM, LPARAM) { handler(); });
}

void Win32MainView::listen(UINT message, std::function<void(WPARAM, LPARAM)> handler) {
    m_listeners[message] = std::move(handler);
}

int Win32MainView::toPixels(double twips) const {
    // Fractional pixels round to the nearest whole one (half away from zero).
    return static_cast<int>(std::lround(twips / m_twipsPerPixel));
}

void Win32MainView::changeDpi(UINT dpi, const RECT& suggested) {
    m_dpi = dpi;
    m_twipsPerPixel = twipsPerPixel(dpi);
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    m_icons = setWindowIcons(m_instance, hwnd(), m_dpi);
    if (m_font) {
        setFont(*m_font); // the same points, in pixels of the new DPI
        for (Control* control : m_controls)
            SendMessageW(control->hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts.back().get()), TRUE);
        // No control draws with an earlier font any more.
        m_fonts.erase(m_fonts.begin(), m_fonts.end() - 1);
    }
    for (Control* control : m_controls)
        control->placeAgain();
    // What the rows show is made anew at the new DPI, and the window sized to it.
    if (m_events)
        m_events->scaleChanged();
}

void Win32MainView::setFont(const port::FontRecord& font) {
    m_font = font;
    const double pixelsPerPoint = 20.0 / m_twipsPerPixel; // 1 point = 20 twips
    UniqueFont made(CreateFontW(-static_cast<int>(std::lround(font.size * pixelsPerPoint)), 0, 0, 0,
                                font.bold ? FW_BOLD : FW_NORMAL, font.italic, font.underline,
                                font.strikethrough, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, toWide(font.name).c_str()));
    if (!made)
        return;
    if (m_window)
        SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), FALSE);
    // Controls made earlier keep drawing with the earlier font: it stays alive with the window.
    m_fonts.push_back(std::move(made));
}

HWND Win32MainView::makeChild(const wchar_t* className, DWORD style, int id) {
    if (!m_window)
        return nullptr;
    // Every child takes drops itself, whichever window a drop source hands them to.
    HWND child = CreateWindowExW(WS_EX_ACCEPTFILES, className, L"", WS_CHILD | style, 0, 0, 0, 0, hwnd(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
    if (child)
        SetWindowSubclass(child, &Win32MainView::childProc, kChildSubclassId,
                          reinterpret_cast<DWORD_PTR>(this));
    return child;
}

port::RowControls Win32MainView::createRow(int index) {
    // In creation order, as designed: the button, the drive label, the volume label.
    HWND button = makeChild(L"BUTTON", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, kButtonIdBase + index);
    HWND drive = makeChild(L"STATIC", SS_LEFT | SS_NOPREFIX, kDriveLabelIdBase + index);
    HWND volume = makeChild(L"STATIC", SS_LEFT | SS_NOPREFIX, kVolumeLabelIdBase + index);
    port::RowControls row;
    row.button = std::make_unique<Button>(*this, index, button);
    row.drive = std::make_unique<Label>(*this, index, drive);
    row.volumeName = std::make_unique<Label>(*this, index, volume);
    return row;
}

RECT Win32MainView::windowRect() const {
    RECT rect{};
    if (m_window)
        GetWindowRect(hwnd(), &rect);
    return rect;
}

double Win32MainView::top() {
    return windowRect().top * m_twipsPerPixel;
}
double Win32MainView::left() {
    return windowRect().left * m_twipsPerPixel;
}
double Win32MainView::width() {
    const RECT r = windowRect();
    return (r.right - r.left) * m_twipsPerPixel;
}
double Win32MainView::height() {
    const RECT r = windowRect();
    return (r.bottom - r.top) * m_twipsPerPixel;
}
double Win32MainView::clientWidth() {
    RECT r{};
    if (m_window)
        GetClientRect(hwnd(), &r);
    return r.right * m_twipsPerPixel;
}
double Win32MainView::clientHeight() {
    RECT r{};
    if (m_window)
        GetClientRect(hwnd(), &r);
    return r.bottom * m_twipsPerPixel;
}

void Win32MainView::setTop(double twips) {
    const RECT r = windowRect();
    if (m_window)
        SetWindowPos(hwnd(), nullptr, r.left, toPixels(twips), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Win32MainView::setLeft(double twips) {
    const RECT r = windowRect();
    if (m_window)
        SetWindowPos(hwnd(), nullptr, toPixels(twips), r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Win32MainView::setWidth(double twips) {
    const RECT r = windowRect();
    if (m_window)
        SetWindowPos(hwnd(), nullptr, 0, 0, toPixels(twips), r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Win32MainView::setHeight(double twips) {
    const RECT r = windowRect();
    if (m_window)
        SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, toPixels(twips),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

double Win32MainView::screenWidth() {
    return GetSystemMetrics(SM_CXSCREEN) * m_twipsPerPixel;
}
double Win32MainView::screenHeight() {
    return GetSystemMetrics(SM_CYSCREEN) * m_twipsPerPixel;
}

std::string Win32MainView::caption() {
    if (!m_window)
        return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd())) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd(), text.data(), static_cast<int>(text.size()))));
    return toUtf8(text);
}
void Win32MainView::setCaption(const std::string& text) {
    if (m_window)
        SetWindowTextW(hwnd(), toWide(text).c_str());
}

bool Win32MainView::visible() {
    return m_window && IsWindowVisible(hwnd());
}
void Win32MainView::setVisible(bool visible) {
    if (!m_window)
        return;
    if (!visible)
        ShowWindow(hwnd(), SW_HIDE);
    else
        ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
}
void Win32MainView::minimize() {
    if (m_window)
        ShowWindow(hwnd(), SW_SHOWMINNOACTIVE);
}

double Win32MainView::textWidth(const std::string& text) {
    const std::wstring wide = toWide(text);
    if (wide.empty() || !m_window)
        return 0;
    WindowDC dc(hwnd(), m_fonts.empty() ? nullptr : m_fonts.back().get());
    SIZE size{};
    if (!dc.get() || !GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size))
        return 0;
    return size.cx * m_twipsPerPixel;
}

Win32MainView::Control* Win32MainView::rowButton(int row) const {
    for (Control* control : m_controls)
        if (control->row() == row && isButton(control->hwnd()))
            return control;
    return nullptr;
}

int Win32MainView::focusedRow() {
    const HWND focus = GetFocus();
    for (Control* control : m_controls)
        if (focus && control->hwnd() == focus && isButton(focus))
            return control->row();
    return 0;
}

void Win32MainView::focusRow(int row) {
    if (const Control* button = rowButton(row); button && button->hwnd())
        SetFocus(button->hwnd());
}

port::ITimer& Win32MainView::refreshTimer() {
    return *m_refresh;
}
port::ITimer& Win32MainView::endTimer() {
    return *m_end;
}

void Win32MainView::close() {
    if (!m_window || m_unloading)
        return;
    m_unloading = true;
    const bool cancelled = m_events && m_events->closing();
    m_unloading = false;
    if (!cancelled && m_window)
        DestroyWindow(hwnd());
}

void Win32MainView::keyDown(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!isRepeat(lParam) && m_events)
        m_events->keyPressed(keyOf(message, wParam));
    // Alt+Space, Alt+F4 and the Alt key alone keep their meaning for the window.
    if (message == WM_SYSKEYDOWN && m_window)
        DefWindowProcW(hwnd(), message, wParam, lParam);
}

void Win32MainView::dropFiles(HDROP handle) {
    const UniqueDrop drop(handle);
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop.get(), 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop.get(), i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop.get(), i, path.data(), length + 1));
        if (!path.empty())
            paths.push_back(toUtf8(path));
    }
    if (m_events && !paths.empty())
        m_events->filesDropped(paths);
}

LRESULT CALLBACK Win32MainView::childProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR viewData) {
    auto* view = reinterpret_cast<Win32MainView*>(viewData);
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        // The window takes the key, once; a button's own handling would press it on the space bar. The
        // character the key made goes to the window too: the rebuild that follows destroys this button.
        MSG pending{};
        while (PeekMessageW(&pending, child, WM_SYSCHAR, WM_SYSCHAR, PM_REMOVE))
            if (view->m_window)
                PostMessageW(view->hwnd(), pending.message, pending.wParam, pending.lParam);
        view->keyDown(message, wParam, lParam);
        return 0; // the button may be gone now
    }
    case WM_DROPFILES:
        view->dropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_NCDESTROY:
        RemoveWindowSubclass(child, &Win32MainView::childProc, kChildSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(child, message, wParam, lParam);
}

LRESULT CALLBACK Win32MainView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = windowOwner<Win32MainView>(window, message, lParam);
    if (!view || !view->m_window)
        return DefWindowProcW(window, message, wParam, lParam);
    return view->handle(message, wParam, lParam);
}

LRESULT Win32MainView::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = hwnd();
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (lParam != 0 && HIWORD(wParam) == BN_CLICKED && id > kButtonIdBase && id < kVolumeLabelIdBase) {
            if (m_events)
                m_events->buttonClicked(id - kButtonIdBase);
            return 0;
        }
        break;
    }
    case WM_TIMER:
        if (m_events && wParam == kRefreshTimerId)
            m_events->refreshTick();
        else if (m_events && wParam == kEndTimerId)
            m_events->endTick();
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        keyDown(message, wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        // The focused button keeps the focus over a message box or a dialog, as in the system's dialogs.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            m_lastFocus = focus && IsChild(window, focus) ? focus : nullptr;
        } else if (m_lastFocus && IsChild(window, m_lastFocus) && IsWindowVisible(m_lastFocus) &&
                   IsWindowEnabled(m_lastFocus)) {
            SetFocus(m_lastFocus);
            return 0;
        }
        break;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && m_events)
            m_events->resized();
        return 0;
    case WM_GETMINMAXINFO: {
        // Windows keeps a captioned window at least as wide as its caption's buttons, and no larger than
        // the screen, unless the window says otherwise; the presenter's sizes (one button wide, as many
        // rows as there are drives) must hold.
        RECT frame{0, 0, 0, 0};
        outerRect(frame, kWindowStyle, kWindowExStyle, m_dpi);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        info->ptMaxTrackSize = {SHRT_MAX, SHRT_MAX};
        return 0;
    }
    case WM_DROPFILES:
        dropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_DPICHANGED:
        // The two DPIs are the same (the high word is the vertical one).
        if (lParam != 0)
            changeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        close();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The process may be ended as soon as this returns: the whole unload happens before.
        if (wParam && m_events)
            m_events->sessionEnding();
        return 0;
    case WM_DESTROY:
        KillTimer(window, kRefreshTimerId);
        KillTimer(window, kEndTimerId);
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        // The system destroys the children with their parent: their owners only let go.
        for (Control* control : m_controls)
            control->abandon();
        m_window.release();
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        if (const auto listener = m_listeners.find(message); listener != m_listeners.end())
            listener->second(wParam, lParam);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace win
