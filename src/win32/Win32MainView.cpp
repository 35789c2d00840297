#include "win32/Win32MainView.h"

#include "ui/frm_main.h"
#include "win32/WideText.h"
#include "win32/Win32Icons.h"

#include <commctrl.h>

#include <cmath>

namespace win {
namespace {

// The labels' font as designed; the platform substitutes a Japanese font where it is missing.
constexpr wchar_t kFontName[] = L"ＭＳ Ｐゴシック";
constexpr double kFontPoints = 11.25;

// The window as designed: the client area before the rows replace it, in twips.
constexpr double kDesignClientWidth = 2235;
constexpr double kDesignClientHeight = 720;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES;

struct ControlDesign {
    double left, top, width, height;
};
constexpr ControlDesign kButtonDesign{0, 0, 735, 735};
constexpr ControlDesign kDriveLabelDesign{960, 240, 1215, 255};
constexpr ControlDesign kVolumeLabelDesign{960, 0, 1215, 255};

} // namespace

// One child control: its place is kept in twips as the presenter set it and drawn in whole pixels.
class Win32MainView::Control {
  public:
    Control(Win32MainView& view, int index, HWND window, const ControlDesign& design)
        : m_view(view), m_index(index), m_window(window), m_left(design.left), m_top(design.top),
          m_width(design.width), m_height(design.height) {
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(view.m_font.get()), FALSE);
        place();
    }
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    HWND hwnd() const { return m_window.get(); }
    // The window is already gone with its parent.
    void abandon() { m_window.release(); }
    void destroy() { m_window.reset(); }

  protected:
    int index() const { return m_index; }
    double top() const { return m_top; }
    double left() const { return m_left; }
    double width() const { return m_width; }
    double height() const { return m_height; }
    void setTopTwips(double v) {
        m_top = v;
        place();
    }
    void setLeftTwips(double v) {
        m_left = v;
        place();
    }
    void setWidthTwips(double v) {
        m_width = v;
        place();
    }
    bool visible() const { return m_visible; }
    void setVisibleFlag(bool v) {
        m_visible = v;
        if (hwnd())
            ShowWindow(hwnd(), v ? SW_SHOWNA : SW_HIDE);
    }

  private:
    void place() {
        if (!hwnd())
            return;
        SetWindowPos(hwnd(), nullptr, m_view.toPixels(m_left), m_view.toPixels(m_top),
                     m_view.toPixels(m_width), m_view.toPixels(m_height), SWP_NOZORDER | SWP_NOACTIVATE);
    }

    Win32MainView& m_view;
    int m_index;
    UniqueWindow m_window;
    double m_left, m_top, m_width, m_height;
    bool m_visible = false;
};

class Win32MainView::Button : public Control, public port::IButton {
  public:
    using Control::Control;
    ~Button() override {
        // The control goes before the icon it shows.
        destroy();
    }
    int Index() override { return index(); }
    double Top() override { return top(); }
    double Left() override { return left(); }
    double Width() override { return width(); }
    double Height() override { return height(); }
    void setTop(double twips) override { setTopTwips(twips); }
    void setLeft(double twips) override { setLeftTwips(twips); }
    void setWidth(double twips) override { setWidthTwips(twips); }
    bool Visible() override { return visible(); }
    void setVisible(bool v) override { setVisibleFlag(v); }

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

class Win32MainView::Label : public Control, public port::ILabel {
  public:
    using Control::Control;
    int Index() override { return index(); }
    double Top() override { return top(); }
    double Left() override { return left(); }
    double Width() override { return width(); }
    double Height() override { return height(); }
    void setTop(double twips) override { setTopTwips(twips); }
    void setLeft(double twips) override { setLeftTwips(twips); }
    void setWidth(double twips) override { setWidthTwips(twips); }
    bool Visible() override { return visible(); }
    void setVisible(bool v) override { setVisibleFlag(v); }
    std::string Caption() override { return m_caption; }
    void setCaption(const std::string& text) override {
        m_caption = text;
        if (hwnd())
            SetWindowTextW(hwnd(), toWide(text).c_str());
    }

  private:
    std::string m_caption;
};

// A drive item of the pop-up menu: kept as data, rendered by buildDriveMenu.
class Win32MainView::MenuItem : public port::IMenuItem {
  public:
    std::string Caption() override { return m_caption; }
    void setCaption(const std::string& text) override { m_caption = text; }
    bool Visible() override { return m_visible; }
    void setVisible(bool visible) override { m_visible = visible; }

  private:
    std::string m_caption = "-";
    bool m_visible = false;
};

struct Win32MainView::Row {
    std::unique_ptr<Button> button;
    std::unique_ptr<Label> volumeName;
    std::unique_ptr<Label> drive;
    std::unique_ptr<MenuItem> menuItem;
};

int Win32DropData::fileCount() {
    return static_cast<int>(DragQueryFileW(m_drop, 0xFFFFFFFF, nullptr, 0));
}

std::string Win32DropData::file(int position) {
    if (position < 1 || position > fileCount())
        return {};
    const UINT index = static_cast<UINT>(position - 1);
    const UINT length = DragQueryFileW(m_drop, index, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    const UINT copied = DragQueryFileW(m_drop, index, name.data(), length + 1);
    name.resize(copied <= length ? copied : length);
    return toUtf8(name);
}

Win32MainView::Win32MainView(HINSTANCE instance) : m_instance(instance) {
    {
        WindowDC screen(nullptr, nullptr);
        const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
        m_twipsPerPixel = 1440.0 / (dpi > 0 ? dpi : 96);
    }
    const double pixelsPerPoint = 20.0 / m_twipsPerPixel; // 1 point = 20 twips
    m_font.reset(CreateFontW(-static_cast<int>(std::lround(kFontPoints * pixelsPerPoint)), 0, 0, 0, FW_NORMAL,
                             FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontName));
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

    RECT outer{0, 0, toPixels(kDesignClientWidth), toPixels(kDesignClientHeight)};
    AdjustWindowRectEx(&outer, kWindowStyle, FALSE, kWindowExStyle);
    HWND window = CreateWindowExW(kWindowExStyle, kMainWindowClass, L"Tavimoro", kWindowStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                  nullptr, instance, this);
    m_window.reset(window);
    if (!window)
        return;
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon.get()));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.get()));
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
    m_rows.push_back(makeRow(0));
}

Win32MainView::~Win32MainView() {
    m_presenter = nullptr;
    // The children go before their parent; each row's button before the icon it shows.
    m_rows.clear();
    m_window.reset();
}

int Win32MainView::toPixels(double twips) const {
    // Fractional pixels round to the nearest whole one (half away from zero).
    return static_cast<int>(std::lround(twips / m_twipsPerPixel));
}

std::unique_ptr<Win32MainView::Row> Win32MainView::makeRow(int index) {
    auto row = std::make_unique<Row>();
    HWND parent = m_window.get();
    auto child = [&](const wchar_t* className, DWORD style, int id) {
        return CreateWindowExW(0, className, L"", WS_CHILD | style, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
    };
    // In creation order, as designed: the button, the drive label, the volume label.
    HWND button = child(L"BUTTON", BS_PUSHBUTTON | BS_ICON | WS_TABSTOP, kButtonIdBase + index);
    HWND drive = child(L"STATIC", SS_LEFT | SS_NOPREFIX, kDriveLabelIdBase + index);
    HWND volume = child(L"STATIC", SS_LEFT | SS_NOPREFIX, kVolumeLabelIdBase + index);
    if (button)
        SetWindowSubclass(button, &Win32MainView::buttonProc, 1, reinterpret_cast<DWORD_PTR>(this));
    row->button = std::make_unique<Button>(*this, index, button, kButtonDesign);
    row->drive = std::make_unique<Label>(*this, index, drive, kDriveLabelDesign);
    row->volumeName = std::make_unique<Label>(*this, index, volume, kVolumeLabelDesign);
    row->menuItem = std::make_unique<MenuItem>();
    if (index > 0 && !m_rows.empty()) {
        // New elements copy the template's design values and start hidden.
        Row& model = *m_rows[0];
        row->button->setTop(model.button->Top());
        row->button->setLeft(model.button->Left());
        row->button->setWidth(model.button->Width());
        row->button->setEnabled(model.button->Enabled());
        row->volumeName->setTop(model.volumeName->Top());
        row->volumeName->setLeft(model.volumeName->Left());
        row->volumeName->setWidth(model.volumeName->Width());
        row->drive->setTop(model.drive->Top());
        row->drive->setLeft(model.drive->Left());
        row->drive->setWidth(model.drive->Width());
    }
    return row;
}

Win32MainView::Row* Win32MainView::findRow(int index) {
    if (index < 0 || index >= static_cast<int>(m_rows.size()))
        return nullptr;
    return m_rows[static_cast<size_t>(index)].get();
}

Win32MainView::Row& Win32MainView::row(int index) {
    // An element that is not loaded falls back to the template, which is never shown.
    Row* found = findRow(index);
    return found ? *found : *m_rows[0];
}

int Win32MainView::rowCount() {
    for (int i = static_cast<int>(m_rows.size()) - 1; i > 0; --i)
        if (m_rows[static_cast<size_t>(i)])
            return i;
    return 0;
}

void Win32MainView::loadRow(int n) {
    if (n < 1 || findRow(n) || !m_window)
        return;
    if (n >= static_cast<int>(m_rows.size()))
        m_rows.resize(static_cast<size_t>(n) + 1);
    m_rows[static_cast<size_t>(n)] = makeRow(n);
}

void Win32MainView::unloadRow(int n) {
    Row* found = n > 0 ? findRow(n) : nullptr;
    if (!found)
        return;
    // Keys must keep reaching the window when the focused button goes.
    if (m_window && GetFocus() == found->button->hwnd())
        SetFocus(m_window.get());
    found->menuItem.reset();
    found->volumeName.reset();
    found->drive.reset();
    found->button.reset();
    m_rows[static_cast<size_t>(n)].reset();
    while (m_rows.size() > 1 && !m_rows.back())
        m_rows.pop_back();
}

port::IButton& Win32MainView::cmd_CD(int index) {
    return *row(index).button;
}
port::ILabel& Win32MainView::lbl_VolumeName(int index) {
    return *row(index).volumeName;
}
port::ILabel& Win32MainView::lbl_Drive(int index) {
    return *row(index).drive;
}
port::IMenuItem& Win32MainView::Menu_Drive(int index) {
    return *row(index).menuItem;
}

UniqueMenu Win32MainView::buildDriveMenu() {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return menu;
    for (size_t i = 1; i < m_rows.size(); ++i) {
        if (!m_rows[i] || !m_rows[i]->menuItem->Visible())
            continue;
        AppendMenuW(menu.get(), MF_STRING, kDriveMenuIdBase + i,
                    toWide(m_rows[i]->menuItem->Caption()).c_str());
    }
    return menu;
}

RECT Win32MainView::windowRect() {
    RECT rect{};
    if (m_window)
        GetWindowRect(m_window.get(), &rect);
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
        GetClientRect(m_window.get(), &r);
    return r.right * m_twipsPerPixel;
}
double Win32MainView::ScaleHeight() {
    RECT r{};
    if (m_window)
        GetClientRect(m_window.get(), &r);
    return r.bottom * m_twipsPerPixel;
}

void Win32MainView::setTop(double twips) {
    const RECT r = windowRect();
    if (m_window)
        SetWindowPos(m_window.get(), nullptr, r.left, toPixels(twips), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Win32MainView::setLeft(double twips) {
    const RECT r = windowRect();
    if (m_window)
        SetWindowPos(m_window.get(), nullptr, toPixels(twips), r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Win32MainView::setWidth(double twips) {
    const RECT r = windowRect();
    if (m_window)
        SetWindowPos(m_window.get(), nullptr, 0, 0, toPixels(twips), r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Win32MainView::setHeight(double twips) {
    const RECT r = windowRect();
    if (m_window)
        SetWindowPos(m_window.get(), nullptr, 0, 0, r.right - r.left, toPixels(twips),
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
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(m_window.get())) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(m_window.get(), text.data(), static_cast<int>(text.size()))));
    return toUtf8(text);
}
void Win32MainView::setCaption(const std::string& text) {
    if (m_window)
        SetWindowTextW(m_window.get(), toWide(text).c_str());
}

bool Win32MainView::Visible() {
    return m_window && IsWindowVisible(m_window.get());
}
void Win32MainView::setVisible(bool visible) {
    if (m_window)
        ShowWindow(m_window.get(), visible ? SW_SHOW : SW_HIDE);
}

double Win32MainView::TextWidth(const std::string& text) {
    const std::wstring wide = toWide(text);
    if (wide.empty() || !m_window)
        return 0;
    WindowDC dc(m_window.get(), m_font.get());
    SIZE size{};
    if (!dc.get() || !GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size))
        return 0;
    return size.cx * m_twipsPerPixel;
}

void Win32MainView::applyRefreshTimer() {
    if (!m_window)
        return;
    // An interval of 0 gives no ticks; setting the interval or enabling starts a full interval anew.
    if (m_refreshEnabled && m_refreshInterval > 0)
        SetTimer(m_window.get(), kRefreshTimerId, static_cast<UINT>(m_refreshInterval), nullptr);
    else
        KillTimer(m_window.get(), kRefreshTimerId);
}

void Win32MainView::setRefreshInterval(int milliseconds) {
    m_refreshInterval = milliseconds;
    applyRefreshTimer();
}
void Win32MainView::setRefreshEnabled(bool enabled) {
    m_refreshEnabled = enabled;
    applyRefreshTimer();
}
void Win32MainView::setEndEnabled(bool enabled) {
    if (enabled == m_endEnabled || !m_window)
        return;
    m_endEnabled = enabled;
    if (enabled)
        SetTimer(m_window.get(), kEndTimerId, 1000, nullptr);
    else
        KillTimer(m_window.get(), kEndTimerId);
}

void Win32MainView::close() {
    if (!m_window || m_unloading)
        return;
    m_unloading = true;
    const bool cancelled = m_presenter && m_presenter->Form_Unload();
    m_unloading = false;
    if (cancelled)
        return;
    m_presenter = nullptr;
    DestroyWindow(m_window.get());
}

int Win32MainView::runMessageLoop() {
    MSG message{};
    int result = 0;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return result == 0 ? static_cast<int>(message.wParam) : 1;
}

void Win32MainView::keyDown(int keyCode) {
    if (m_presenter)
        m_presenter->Form_KeyDown(keyCode);
}

LRESULT CALLBACK Win32MainView::buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR subclassId, DWORD_PTR view) {
    switch (message) {
    case WM_KEYDOWN:
        // The window's own key handler takes it, once; the button's default handling would only press
        // it on the space bar, and the rebuild that follows may destroy this very button.
        reinterpret_cast<Win32MainView*>(view)->keyDown(static_cast<int>(wParam));
        return 0;
    case WM_NCDESTROY:
        RemoveWindowSubclass(button, &Win32MainView::buttonProc, subclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

LRESULT CALLBACK Win32MainView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* view = reinterpret_cast<Win32MainView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!view || !view->m_window)
        return DefWindowProcW(window, message, wParam, lParam);
    return view->handle(message, wParam, lParam);
}

LRESULT Win32MainView::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = m_window.get();
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (lParam != 0 && HIWORD(wParam) == BN_CLICKED && id > kButtonIdBase && id < kVolumeLabelIdBase) {
            if (m_presenter)
                m_presenter->cmd_CD_Click(id - kButtonIdBase);
            return 0;
        }
        break;
    }
    case WM_TIMER:
        if (wParam == kRefreshTimerId && m_presenter) {
            m_presenter->tim_Refresh_Timer();
            return 0;
        }
        if (wParam == kEndTimerId && m_endEnabled && m_presenter) {
            m_presenter->tim_end_Timer();
            return 0;
        }
        break;
    case WM_KEYDOWN:
        keyDown(static_cast<int>(wParam));
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && m_presenter)
            m_presenter->Form_Resize();
        return 0;
    case WM_DROPFILES: {
        UniqueDrop drop(reinterpret_cast<HDROP>(wParam));
        if (m_presenter) {
            Win32DropData data(drop.get());
            m_presenter->DropFiles(data);
        }
        return 0;
    }
    case WM_CLOSE:
        close();
        return 0;
    case WM_DESTROY:
        m_presenter = nullptr;
        KillTimer(window, kRefreshTimerId);
        KillTimer(window, kEndTimerId);
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY: {
        // The system destroys the children with their parent: their owners only let go.
        for (auto& row : m_rows) {
            if (!row)
                continue;
            row->button->abandon();
            row->volumeName->abandon();
            row->drive->abandon();
        }
        m_window.release();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace win
