#include "win32/Win32MainView.h"

#include "ui/Design.h"
#include "ui/RowLayout.h"
#include "win32/AccessibleName.h"
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
    m_icons = setWindowIcons(m_instance, hwnd(), m_dpi);
    // The one font of every control, made once for the DPI.
    const port::FontRecord& font = ui::design::kLabelFont;
    m_font = makeFont(toWide(font.name), font.points, m_dpi, font.bold);
    m_hint.reset(makeControl(rowParent(), L"STATIC", SS_LEFT | SS_NOPREFIX, kHintId, L"", {}));
    resizeClient(ui::design::toUnits(ui::design::kEmptyClientWidth, m_dpi),
                 ui::design::toUnits(ui::design::kEmptyClientHeight, m_dpi));
}

Win32MainView::~Win32MainView() {
    m_events = nullptr;
    removeRows();
    m_window.reset();
}

void Win32MainView::listen(UINT message, std::function<void()> handler) {
    listen(message, [handler = std::move(handler)](WPARAM, LPARAM) { handler(); });
}

void Win32MainView::listen(UINT message, std::function<void(WPARAM, LPARAM)> handler) {
    m_listeners[message] = std::move(handler);
}

void Win32MainView::answer(UINT message, std::function<LRESULT(WPARAM, LPARAM)> handler) {
    m_answerers[message] = std::move(handler);
}

void Win32MainView::changeDpi(UINT dpi, const RECT& suggested) {
    m_dpi = dpi;
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    m_icons = setWindowIcons(m_instance, hwnd(), m_dpi);
    // The same points, in pixels of the new DPI; the old font goes once no control draws with it.
    const port::FontRecord& font = ui::design::kLabelFont;
    UniqueFont made = makeFont(toWide(font.name), font.points, m_dpi, font.bold);
    for (const auto& row : m_rows)
        for (HWND control : {row->button.get(), row->label.get(), row->driveText.get()})
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), TRUE);
    SendMessageW(m_hint.get(), WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), TRUE);
    m_font = std::move(made);
    // What the rows show is made anew at the new DPI, and the window sized to it.
    if (m_events)
        m_events->scaleChanged();
}

RowParent Win32MainView::rowParent() const {
    return {hwnd(),
            m_instance,
            m_font.get(),
            m_dpi,
            &Win32MainView::childProc,
            reinterpret_cast<DWORD_PTR>(this)};
}

void Win32MainView::removeRows() {
    // Keys must keep reaching the window when the focused control goes (without a focus window every key
    // would arrive as a system key).
    if (m_window && GetFocus() && IsChild(hwnd(), GetFocus()))
        SetFocus(hwnd());
    m_rows.clear();
}

void Win32MainView::setHint(const std::string& text) {
    // A static control breaks lines at CR LF.
    std::wstring lines;
    for (const wchar_t c : toWide(text))
        lines += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
    SetWindowTextW(m_hint.get(), lines.c_str());
    // Measured as the control draws it, in pixels of the window's DPI, and kept in device-independent ones.
    const SIZE extent = TextMeter(rowParent()).lines(lines);
    m_hintWidth = extent.cx * 96.0 / m_dpi;
    m_hintHeight = extent.cy * 96.0 / m_dpi;
}

ui::layout::Box Win32MainView::hintBox() const {
    if (!m_rows.empty() || m_hintWidth <= 0)
        return {};
    return ui::layout::hint(m_hintWidth, m_hintHeight);
}

void Win32MainView::setRows(std::vector<port::DriveRow> rows) {
    if (!m_window)
        return;
    removeRows();
    m_rows = makeRows(rowParent(), std::move(rows));
    const ui::layout::Box hint = hintBox();
    if (hint.width > 0) {
        using ui::design::toUnits;
        SetWindowPos(m_hint.get(), nullptr, toUnits(hint.left, m_dpi), toUnits(hint.top, m_dpi),
                     toUnits(hint.width, m_dpi), toUnits(hint.height, m_dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The style, not IsWindowVisible: the window itself is hidden while it loads.
    const bool hintShown = (GetWindowLongW(m_hint.get(), GWL_STYLE) & WS_VISIBLE) != 0;
    if ((hint.width > 0) != hintShown)
        ShowWindow(m_hint.get(), hint.width > 0 ? SW_SHOWNA : SW_HIDE);
    // Both sides at once, to the width the window last fitted to; the first rows wait for the first fit,
    // which comes next and sizes both.
    if (m_fitsLabels)
        resizeClient(clientWidth(*m_fitsLabels), clientHeight());
}

int Win32MainView::clientHeight() const {
    return ui::design::toUnits(ui::layout::clientHeight(static_cast<int>(m_rows.size()), hintBox()), m_dpi);
}

void Win32MainView::updateRow(port::DriveRow content) {
    for (std::size_t index = 0; index < m_rows.size(); ++index)
        if (m_rows[index]->letter == content.letter) {
            refillRow(rowParent(), *m_rows[index], std::move(content), static_cast<int>(index));
            return;
        }
}

int Win32MainView::clientWidth(bool toLabels) const {
    double widest = 0;
    for (const auto& row : m_rows)
        widest = std::max({widest, row->labelWidth, row->driveTextWidth});
    return ui::design::toUnits(
        ui::layout::clientWidth(toLabels, widest + ui::design::kLabelPadding, hintBox()), m_dpi);
}

void Win32MainView::fitWidth(bool toLabels) {
    if (!m_window)
        return;
    m_fitsLabels = toLabels;
    resizeClient(clientWidth(toLabels), clientHeight());
}

void Win32MainView::resizeClient(int width, int height) {
    if (!m_window)
        return;
    RECT outer{}, client{};
    GetWindowRect(hwnd(), &outer);
    GetClientRect(hwnd(), &client);
    if (client.right == width && client.bottom == height)
        return;
    SetWindowPos(hwnd(), nullptr, 0, 0, outer.right - outer.left - client.right + width,
                 outer.bottom - outer.top - client.bottom + height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

port::Rect Win32MainView::placement() {
    RECT r{};
    if (m_window)
        GetWindowRect(hwnd(), &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

port::Rect Win32MainView::screen() {
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

port::Rect Win32MainView::workArea() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor))
        return screen();
    const RECT& work = monitor.rcWork;
    return {work.left, work.top, work.right - work.left, work.bottom - work.top};
}

void Win32MainView::moveTo(int left, int top) {
    const port::Rect now = placement();
    if (m_window && (now.left != left || now.top != top))
        SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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

bool Win32MainView::minimize() {
    if (m_window)
        ShowWindow(hwnd(), SW_SHOWMINNOACTIVE);
    return true;
}

char Win32MainView::focusedLetter() {
    const HWND focus = GetFocus();
    for (const auto& row : m_rows)
        if (focus && row->button.get() == focus)
            return row->letter;
    return 0;
}

void Win32MainView::focusLetter(char letter) {
    for (const auto& row : m_rows)
        if (row->letter == letter && row->button)
            SetFocus(row->button.get());
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
    case WM_GETOBJECT:
        for (const auto& row : view->m_rows)
            if (row->button.get() == child)
                if (const LRESULT named = namedAccessibleObject(child, wParam, lParam, row->name))
                    return named;
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(child, &Win32MainView::childProc, kControlSubclassId);
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
        const auto row = static_cast<std::size_t>(id - kButtonIdBase - 1);
        if (lParam != 0 && HIWORD(wParam) == BN_CLICKED && id > kButtonIdBase && row < m_rows.size()) {
            if (m_events)
                m_events->buttonClicked(m_rows[row]->letter);
            return 0;
        }
        break;
    }
    case WM_CONTEXTMENU:
        // A right click on a drive button (the keyboard's request, lParam -1, stays the system's).
        if (lParam != -1 && m_events)
            for (const auto& row : m_rows)
                if (row->button.get() == reinterpret_cast<HWND>(wParam)) {
                    m_events->buttonMenuAsked(row->letter);
                    return 0;
                }
        break;
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
        // The frame is measured once for each DPI: the system measures the frame's fonts each time.
        if (m_frameDpi != m_dpi) {
            m_frame = {0, 0, 0, 0};
            outerRect(m_frame, kWindowStyle, kWindowExStyle, m_dpi);
            m_frameDpi = m_dpi;
        }
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {m_frame.right - m_frame.left, m_frame.bottom - m_frame.top};
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
        // The system destroys the children with their parent: the rows only let go.
        for (const auto& row : m_rows)
            row->abandon();
        m_hint.release();
        m_window.release();
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        if (const auto listener = m_listeners.find(message); listener != m_listeners.end())
            listener->second(wParam, lParam);
        if (const auto answerer = m_answerers.find(message); answerer != m_answerers.end())
            return answerer->second(wParam, lParam);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace win
