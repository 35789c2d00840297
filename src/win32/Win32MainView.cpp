#include "win32/Win32MainView.h"

#include "win32/WideText.h"
#include "win32/Win32DropData.h"
#include "win32/Win32Icons.h"
#include "win32/WindowOwner.h"

#include <commctrl.h>
#include <windowsx.h>

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

} // namespace

// One child control: its place is kept in twips as the presenter set it and drawn in whole pixels.
class Win32MainView::Control {
  public:
    Control(Win32MainView& view, int index, HWND window) : m_view(view), m_index(index), m_window(window) {
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
    int index() const { return m_index; }
    // The window is already gone with its parent.
    void abandon() { m_window.release(); }

  protected:
    void destroy() {
        // Keys must keep reaching the window when the focused control goes (without a focus window
        // every key would arrive as a system key); a rebuilt row takes the focus back.
        if (m_window && GetFocus() == m_window.get() && m_view.m_window) {
            m_view.m_focusRow = m_index;
            SetFocus(m_view.hwnd());
        }
        m_window.reset();
    }
    double top() const { return m_top; }
    double left() const { return m_left; }
    double width() const { return m_width; }
    double height() const { return m_height; }
    void setPlace(double left, double top, double width, double height) {
        m_left = left;
        m_top = top;
        m_width = width;
        m_height = height;
        if (hwnd())
            SetWindowPos(hwnd(), nullptr, m_view.toPixels(m_left), m_view.toPixels(m_top),
                         m_view.toPixels(m_width), m_view.toPixels(m_height), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    bool visible() const { return m_visible; }
    void setVisibleFlag(bool v) {
        m_visible = v;
        if (hwnd())
            ShowWindow(hwnd(), v ? SW_SHOWNA : SW_HIDE);
    }

  private:
    Win32MainView& m_view;
    int m_index;
    UniqueWindow m_window;
    double m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_visible = false;
};

namespace {

// The members every kind of control shares, in terms of the control behind it.
template <class Interface> class ControlOf : public Win32MainView::Control, public Interface {
  public:
    using Control::Control;
    int Index() override { return index(); }
    double Top() override { return top(); }
    double Left() override { return left(); }
    double Width() override { return width(); }
    double Height() override { return height(); }
    void setTop(double v) override { setPlace(left(), v, width(), height()); }
    void setLeft(double v) override { setPlace(v, top(), width(), height()); }
    void setWidth(double v) override { setPlace(left(), top(), v, height()); }
    void setHeight(double v) override { setPlace(left(), top(), width(), v); }
    bool Visible() override { return visible(); }
    void setVisible(bool v) override { setVisibleFlag(v); }
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
    bool Enabled() override { return m_enabled; }
    void setEnabled(bool enabled) override {
        m_enabled = enabled;
        if (hwnd())
            EnableWindow(hwnd(), enabled);
    }

  private:
    std::unique_ptr<port::IPicture> m_picture;
    bool m_enabled = true;
};

class Win32MainView::Label : public ControlOf<port::ILabel> {
  public:
    using ControlOf::ControlOf;

    std::string Caption() override { return m_caption; }
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
    {
        WindowDC screen(nullptr, nullptr);
        const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
        m_twipsPerPixel = 1440.0 / (dpi > 0 ? dpi : 96);
    }
    m_bigIcon = loadProgramIcon(instance, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    m_smallIcon = loadProgramIcon(instance, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));

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
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.get()));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.get()));
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

void Win32MainView::setFont(const port::FontRecord& font) {
    const double pixelsPerPoint = 20.0 / m_twipsPerPixel; // 1 point = 20 twips
    UniqueFont made(CreateFontW(-static_cast<int>(std::lround(font.Size * pixelsPerPoint)), 0, 0, 0,
                                font.Bold ? FW_BOLD : FW_NORMAL, font.Italic, font.Underline,
                                font.Strikethrough, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, toWide(font.Name).c_str()));
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

double Win32MainView::Top() {
    return windowRect().top * m_twipsPerPixel;
}
double Win32MainView::Left() {
    return windowRect().left * m_twipsPerPixel;
}
double Win32MainView::Width() {
    const RECT r = windowRect();
    return (r.right - r.left) * m_twipsPerPixel;
}
double Win32MainView::Height() {
    const RECT r = windowRect();
    return (r.bottom - r.top) * m_twipsPerPixel;
}
double Win32MainView::ScaleWidth() {
    RECT r{};
    if (m_window)
        GetClientRect(hwnd(), &r);
    return r.right * m_twipsPerPixel;
}
double Win32MainView::ScaleHeight() {
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

double Win32MainView::ScreenWidth() {
    return GetSystemMetrics(SM_CXSCREEN) * m_twipsPerPixel;
}
double Win32MainView::ScreenHeight() {
    return GetSystemMetrics(SM_CYSCREEN) * m_twipsPerPixel;
}

std::string Win32MainView::Caption() {
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

bool Win32MainView::Visible() {
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

double Win32MainView::TextWidth(const std::string& text) {
    const std::wstring wide = toWide(text);
    if (wide.empty() || !m_window)
        return 0;
    WindowDC dc(hwnd(), m_fonts.empty() ? nullptr : m_fonts.back().get());
    SIZE size{};
    if (!dc.get() || !GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size))
        return 0;
    return size.cx * m_twipsPerPixel;
}

port::ITimer& Win32MainView::tim_Refresh() {
    return *m_refresh;
}
port::ITimer& Win32MainView::tim_end() {
    return *m_end;
}

void Win32MainView::close() {
    if (!m_window || m_unloading)
        return;
    m_unloading = true;
    const bool cancelled = m_events && m_events->Form_Unload();
    m_unloading = false;
    if (!cancelled && m_window)
        DestroyWindow(hwnd());
}

void Win32MainView::keyDown(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_TAB) {
        moveFocus(GetKeyState(VK_SHIFT) < 0);
        return;
    }
    if (!isRepeat(lParam) && m_events) {
        m_focusRow = 0;
        m_events->Form_KeyDown(static_cast<int>(wParam));
        // The presenter rebuilds every row on a key: the focus goes to the new button of its row.
        if (m_focusRow > 0 && m_window && GetFocus() == hwnd())
            for (Control* control : m_controls)
                if (control->index() == m_focusRow && isButton(control->hwnd()) &&
                    IsWindowVisible(control->hwnd()) && IsWindowEnabled(control->hwnd()))
                    SetFocus(control->hwnd());
        m_focusRow = 0;
    }
    // Alt+Space, Alt+F4 and the Alt key alone keep their meaning for the window.
    if (message == WM_SYSKEYDOWN && m_window)
        DefWindowProcW(hwnd(), message, wParam, lParam);
}

void Win32MainView::moveFocus(bool backwards) {
    std::vector<Control*> buttons;
    for (Control* control : m_controls)
        if (isButton(control->hwnd()) && IsWindowVisible(control->hwnd()) && IsWindowEnabled(control->hwnd()))
            buttons.push_back(control);
    if (buttons.empty())
        return;
    std::sort(buttons.begin(), buttons.end(), [](Control* a, Control* b) { return a->index() < b->index(); });
    const HWND focus = GetFocus();
    const auto at =
        std::find_if(buttons.begin(), buttons.end(), [&](Control* c) { return c->hwnd() == focus; });
    const auto count = static_cast<std::ptrdiff_t>(buttons.size());
    std::ptrdiff_t next = 0;
    if (at == buttons.end())
        next = backwards ? count - 1 : 0;
    else
        next = ((at - buttons.begin()) + (backwards ? count - 1 : 1)) % count;
    SetFocus(buttons[static_cast<std::size_t>(next)]->hwnd());
}

void Win32MainView::mouseDown(WPARAM wParam, LPARAM lParam) {
    // A disabled window (a modal dialog is open) takes no input, the notification area's included.
    if (!m_events || !IsWindowEnabled(hwnd()))
        return;
    int button = 4;
    if (wParam & MK_LBUTTON)
        button |= 1;
    if (wParam & MK_RBUTTON)
        button |= 2;
    int shift = 0;
    if (wParam & MK_SHIFT)
        shift |= 1;
    if (wParam & MK_CONTROL)
        shift |= 2;
    if (GetKeyState(VK_MENU) < 0)
        shift |= 4;
    m_events->Form_MouseDown(button, shift, GET_X_LPARAM(lParam) * m_twipsPerPixel,
                             GET_Y_LPARAM(lParam) * m_twipsPerPixel);
}

void Win32MainView::dropFiles(HDROP handle) {
    UniqueDrop drop(handle);
    if (m_events) {
        Win32DropData data(drop.get());
        m_events->DropFiles(data);
    }
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
                m_events->cmd_CD_Click(id - kButtonIdBase);
            return 0;
        }
        break;
    }
    case WM_TIMER:
        if (m_events && wParam == kRefreshTimerId)
            m_events->tim_Refresh_Timer();
        else if (m_events && wParam == kEndTimerId)
            m_events->tim_end_Timer();
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        keyDown(message, wParam, lParam);
        return 0;
    case WM_MBUTTONDOWN:
        mouseDown(wParam, lParam);
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
            m_events->Form_Resize();
        return 0;
    case WM_GETMINMAXINFO: {
        // Windows keeps a captioned window at least as wide as its caption's buttons, and no larger than
        // the screen, unless the window says otherwise; the presenter's sizes (one button wide, as many
        // rows as there are drives) must hold.
        RECT frame{0, 0, 0, 0};
        AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        info->ptMaxTrackSize = {SHRT_MAX, SHRT_MAX};
        return 0;
    }
    case WM_DROPFILES:
        dropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_CLOSE:
        close();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The process may be ended as soon as this returns: the whole unload happens before.
        if (wParam && m_events)
            m_events->EndSession();
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
