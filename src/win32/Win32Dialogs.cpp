#include "win32/Win32Dialogs.h"

#include "app/Cycle.h"
#include "ui/Design.h"
#include "win32/Dpi.h"
#include "win32/GuiHandles.h"
#include "win32/WideText.h"
#include "win32/Win32Icons.h"
#include "win32/WindowOwner.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace win {
namespace {

constexpr DWORD kDialogStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kDialogExStyle = 0;
// The standard font of the program's windows, where a control names none of its own.
constexpr wchar_t kStandardFontName[] = L"ＭＳ Ｐゴシック";
constexpr double kStandardFontPoints = 9;

using port::ControlKind;

bool takesFocus(const port::ControlLayout& control) {
    return control.tabIndex >= 0 &&
           (control.kind == ControlKind::CheckBox || control.kind == ControlKind::Button);
}

class Win32Dialog : public port::IDialog {
  public:
    Win32Dialog(HINSTANCE instance, const port::DialogLayout& layout, port::IDialogEvents& events);
    ~Win32Dialog() override = default;
    Win32Dialog(const Win32Dialog&) = delete;
    Win32Dialog& operator=(const Win32Dialog&) = delete;

    bool checked(int control) override;
    void setChecked(int control, bool checked) override;
    void setEnabled(int control, bool enabled) override;
    void setCaption(int control, const std::string& text) override;
    void setTooltip(int control, const std::string& text) override;
    void showModal() override;
    void close() override;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    HWND control(int index) const;
    int toPixels(double length) const { return ui::design::toUnits(length, m_dpi); }
    HFONT makeFont(const std::wstring& name, double points, bool bold);
    void createControls(HINSTANCE instance);
    // Places the controls, and makes the fonts and icons, at `dpi`.
    void scaleTo(UINT dpi);
    void addTooltips();
    // Gives `control` the tip `text` (UTF-8), replacing any it had; an empty text leaves it none.
    void setTool(HWND control, const std::string& text);
    // The keys the dialog handles itself; true when the message is used up.
    bool handleKey(const MSG& message);
    void moveFocus(bool backwards);
    void focusFirst();
    void drawImage(const DRAWITEMSTRUCT& item);
    void centre();

    HINSTANCE m_instance;
    const port::DialogLayout& m_layout;
    port::IDialogEvents& m_events;
    UINT m_dpi = kDefaultDpi;
    // Declared before the window so that they outlive it.
    std::vector<UniqueFont> m_fonts;
    WindowIcons m_icons;
    UniqueIcon m_imageIcon; // at the image control's size
    UniqueWindow m_window;
    UniqueWindow m_tooltips;      // owned by the dialog window, so it goes first
    std::vector<HWND> m_controls; // by layout index; children that go with the window
    std::vector<int> m_tabOrder;  // layout indexes of the controls that take focus, in tab order
    HWND m_lastFocus = nullptr;
    bool m_done = false;
};

Win32Dialog::Win32Dialog(HINSTANCE instance, const port::DialogLayout& layout, port::IDialogEvents& events)
    : m_instance(instance), m_layout(layout), m_events(events) {
    m_window.reset(CreateWindowExW(kDialogExStyle, kDialogClass, toWide(layout.caption).c_str(), kDialogStyle,
                                   CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this));
    if (!m_window)
        return;
    createControls(instance);
    // Once the window exists it knows the monitor it is on: it is laid out at that monitor's DPI.
    const UINT dpi = windowDpi(m_window.get());
    scaleTo(dpi);
    RECT outer{0, 0, toPixels(layout.clientWidth), toPixels(layout.clientHeight)};
    outerRect(outer, kDialogStyle, kDialogExStyle, dpi);
    SetWindowPos(m_window.get(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    addTooltips();
}

void Win32Dialog::scaleTo(UINT dpi) {
    m_dpi = dpi;
    // The earlier fonts live until every control has let go of them.
    const std::vector<UniqueFont> earlier = std::move(m_fonts);
    m_fonts.clear();
    const HFONT standard = makeFont(kStandardFontName, kStandardFontPoints, false);
    SendMessageW(m_window.get(), WM_SETFONT, reinterpret_cast<WPARAM>(standard), FALSE);
    for (std::size_t i = 0; i < m_layout.controls.size(); ++i) {
        const port::ControlLayout& c = m_layout.controls[i];
        double left = c.left;
        double top = c.top;
        if (c.container >= 0 && static_cast<std::size_t>(c.container) < m_layout.controls.size()) {
            left += m_layout.controls[static_cast<std::size_t>(c.container)].left;
            top += m_layout.controls[static_cast<std::size_t>(c.container)].top;
        }
        if (!m_controls[i])
            continue;
        SetWindowPos(m_controls[i], nullptr, toPixels(left), toPixels(top), toPixels(c.width),
                     toPixels(c.height), SWP_NOZORDER | SWP_NOACTIVATE);
        const HFONT font = c.fontName ? makeFont(toWide(c.fontName), c.fontPoints, c.bold) : standard;
        SendMessageW(m_controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        // The image is drawn from the icon's image that fits its size best, not stretched from a small one.
        if (c.kind == ControlKind::Image)
            m_imageIcon = loadProgramIcon(m_instance, toPixels(c.width), toPixels(c.height));
    }
    m_icons = setWindowIcons(m_instance, m_window.get(), dpi);
}

HFONT Win32Dialog::makeFont(const std::wstring& name, double points, bool bold) {
    m_fonts.push_back(win::makeFont(name, points, m_dpi, bold));
    return m_fonts.back().get();
}

void Win32Dialog::createControls(HINSTANCE instance) {
    // Created in layout order, each frame before the boxes inside it, so that the boxes lie above it;
    // scaleTo places them.
    for (std::size_t i = 0; i < m_layout.controls.size(); ++i) {
        const port::ControlLayout& c = m_layout.controls[i];
        const wchar_t* className = L"BUTTON";
        DWORD style = WS_CHILD | WS_VISIBLE;
        switch (c.kind) {
        case ControlKind::Frame:
            style |= BS_GROUPBOX;
            break;
        case ControlKind::CheckBox:
            // A text too long for its line wraps rather than being cut.
            style |= BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP;
            break;
        case ControlKind::Button:
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ControlKind::Label:
            className = L"STATIC";
            style |= SS_NOPREFIX | (c.align == port::TextAlign::Right ? SS_RIGHT : SS_LEFT);
            break;
        case ControlKind::Image:
            className = L"STATIC";
            style |= SS_OWNERDRAW;
            break;
        }
        const int id = kDialogControlIdBase + static_cast<int>(i);
        HWND child =
            CreateWindowExW(0, className, toWide(c.caption).c_str(), style, 0, 0, 0, 0, m_window.get(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        m_controls.push_back(child);
        if (takesFocus(c))
            m_tabOrder.push_back(static_cast<int>(i));
    }
    std::stable_sort(m_tabOrder.begin(), m_tabOrder.end(), [this](int a, int b) {
        return m_layout.controls[static_cast<std::size_t>(a)].tabIndex <
               m_layout.controls[static_cast<std::size_t>(b)].tabIndex;
    });
}

void Win32Dialog::addTooltips() {
    m_tooltips.reset(CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_window.get(), nullptr, nullptr, nullptr));
    if (!m_tooltips)
        return;
    // A line break in a tip breaks its line only once the tip has a width to wrap at.
    SendMessageW(m_tooltips.get(), TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN));
    for (std::size_t i = 0; i < m_layout.controls.size(); ++i) {
        const port::ControlLayout& c = m_layout.controls[i];
        if (c.tooltip && m_controls[i])
            setTool(m_controls[i], c.tooltip);
    }
}

void Win32Dialog::setTool(HWND control, const std::string& text) {
    if (!m_tooltips || !control)
        return;
    std::wstring wide = toWide(text);
    TTTOOLINFOW tool{};
    // The size the first common controls understand; later versions take it as well.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window.get();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data(); // copied by the control
    // Deleting a tool that is not there does nothing, so one path serves a first tip and a new one.
    SendMessageW(m_tooltips.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!wide.empty())
        SendMessageW(m_tooltips.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

HWND Win32Dialog::control(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_controls.size())
        return nullptr;
    return m_controls[static_cast<std::size_t>(index)];
}

bool Win32Dialog::checked(int index) {
    HWND box = control(index);
    return box && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Dialog::setChecked(int index, bool checked) {
    if (HWND box = control(index))
        SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Dialog::setEnabled(int index, bool enabled) {
    if (HWND c = control(index))
        EnableWindow(c, enabled);
}

void Win32Dialog::setCaption(int index, const std::string& text) {
    if (HWND c = control(index))
        SetWindowTextW(c, toWide(text).c_str());
}

void Win32Dialog::setTooltip(int index, const std::string& text) {
    setTool(control(index), text);
}

void Win32Dialog::close() {
    m_done = true;
    // Wakes the modal loop should it be waiting.
    if (m_window)
        PostMessageW(m_window.get(), WM_NULL, 0, 0);
}

void Win32Dialog::centre() {
    RECT area{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT r{};
    GetWindowRect(m_window.get(), &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    SetWindowPos(m_window.get(), nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Dialog::focusFirst() {
    for (int index : m_tabOrder) {
        HWND c = control(index);
        if (c && IsWindowEnabled(c)) {
            SetFocus(c);
            return;
        }
    }
    SetFocus(m_window.get());
}

void Win32Dialog::moveFocus(bool backwards) {
    std::vector<HWND> order;
    for (int index : m_tabOrder)
        if (HWND c = control(index); c && IsWindowEnabled(c) && IsWindowVisible(c))
            order.push_back(c);
    if (const auto next = app::nextInCycle(order, GetFocus(), backwards))
        SetFocus(*next);
}

bool Win32Dialog::handleKey(const MSG& message) {
    if (message.message != WM_KEYDOWN ||
        (message.hwnd != m_window.get() && !IsChild(m_window.get(), message.hwnd)))
        return false;
    switch (message.wParam) {
    case VK_TAB:
        moveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
    case VK_RETURN: {
        // Enter presses the focused button, and only a button: neither is the dialog's default.
        HWND focus = GetFocus();
        for (std::size_t i = 0; i < m_controls.size(); ++i)
            if (m_controls[i] == focus && m_layout.controls[i].kind == ControlKind::Button)
                m_events.clicked(static_cast<int>(i));
        return true;
    }
    case VK_ESCAPE:
        return true;
    default:
        return false;
    }
}

void Win32Dialog::showModal() {
    if (!m_window)
        return;
    m_done = false;
    // The program's other windows take no input meanwhile; their timers go on in the loop below.
    struct Others {
        HWND dialog;
        std::vector<HWND> disabled;
    } others{m_window.get(), {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& o = *reinterpret_cast<Others*>(data);
            wchar_t className[8] = {};
            GetClassNameW(window, className, 8);
            // The system's input-method windows of the thread are no windows of the program.
            if (window != o.dialog && GetWindow(window, GW_OWNER) != o.dialog && IsWindowEnabled(window) &&
                std::wstring(className) != L"IME") {
                EnableWindow(window, FALSE);
                o.disabled.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&others));

    centre();
    ShowWindow(m_window.get(), SW_SHOW);
    SetForegroundWindow(m_window.get());
    focusFirst();

    MSG message{};
    while (!m_done) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the outer loop must see the quit message as well.
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (handleKey(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    // The others first, so that the activation goes back to them and not to another program.
    for (auto it = others.disabled.rbegin(); it != others.disabled.rend(); ++it)
        if (IsWindow(*it))
            EnableWindow(*it, TRUE);
    if (m_window)
        ShowWindow(m_window.get(), SW_HIDE);
}

void Win32Dialog::drawImage(const DRAWITEMSTRUCT& item) {
    // The image control always shows the program's icon, stretched to the control's size.
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, m_imageIcon.get(),
               item.rcItem.right - item.rcItem.left, item.rcItem.bottom - item.rcItem.top, 0, nullptr,
               DI_NORMAL);
}

LRESULT CALLBACK Win32Dialog::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = windowOwner<Win32Dialog>(window, message, lParam);
    if (!dialog || !dialog->m_window)
        return DefWindowProcW(window, message, wParam, lParam);
    return dialog->handle(message, wParam, lParam);
}

LRESULT Win32Dialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = m_window.get();
    switch (message) {
    case WM_COMMAND: {
        const int index = LOWORD(wParam) - kDialogControlIdBase;
        if (HIWORD(wParam) == BN_CLICKED && lParam != 0 && control(index) == reinterpret_cast<HWND>(lParam)) {
            const ControlKind kind = m_layout.controls[static_cast<std::size_t>(index)].kind;
            if (kind == ControlKind::CheckBox || kind == ControlKind::Button)
                m_events.clicked(index);
            return 0;
        }
        break;
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const int index = static_cast<int>(wParam) - kDialogControlIdBase;
        if (control(index) && m_layout.controls[static_cast<std::size_t>(index)].kind == ControlKind::Image) {
            drawImage(item);
            return TRUE;
        }
        break;
    }
    case WM_ACTIVATE:
        // The focus comes back to the control that had it, as in the system's own dialogs.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(window, focus))
                m_lastFocus = focus;
        } else if (m_lastFocus && IsWindow(m_lastFocus)) {
            SetFocus(m_lastFocus);
            return 0;
        }
        break;
    case WM_DPICHANGED:
        // The two DPIs are the same (the high word is the vertical one).
        if (lParam != 0) {
            scaleTo(HIWORD(wParam));
            const RECT& r = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    case WM_CLOSE:
        // The close box ends the showing without any click.
        m_done = true;
        return 0;
    case WM_NCDESTROY:
        m_window.release();
        m_tooltips.release(); // destroyed with its owner
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

Win32Dialogs::Win32Dialogs(HINSTANCE instance) : m_instance(instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &Win32Dialog::windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kDialogClass;
    RegisterClassExW(&windowClass);
}

std::unique_ptr<port::IDialog> Win32Dialogs::create(const port::DialogLayout& layout,
                                                    port::IDialogEvents& events) {
    return std::make_unique<Win32Dialog>(m_instance, layout, events);
}

} // namespace win
