#pragma once
// Fakes of the drive window, its controls and the platform features around it (icons, the
// notification area, menus, keep-on-top, dialogs).
#include "port/Services.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fakes {

struct Picture : port::IPicture {
    explicit Picture(std::string what) : what(std::move(what)) {}
    std::string what; // how it was made, for the tests to check
};

class Icons : public port::IIcons {
  public:
    std::vector<std::string> calls;
    bool fail = false;
    port::Result<std::unique_ptr<port::IPicture>> ExtractIconPicture(const std::string& file, int index,
                                                                     bool small) override {
        calls.push_back("extract " + file + "," + std::to_string(index) + (small ? " small" : " large"));
        return made();
    }
    port::Result<std::unique_ptr<port::IPicture>> LoadIconFile(const std::string& file) override {
        calls.push_back("ico " + file);
        return made();
    }
    port::Result<std::unique_ptr<port::IPicture>> WindowIcon() override {
        calls.push_back("window");
        return std::make_unique<Picture>("window");
    }

  private:
    port::Result<std::unique_ptr<port::IPicture>> made() {
        if (fail)
            return port::fail("no icon");
        return std::make_unique<Picture>(calls.back());
    }
};

// A control of a row: where it is, and whether it shows.
template <typename Interface> class Control : public Interface {
  public:
    int index = 0;
    double top = 0, left = 0, width = 0, height = 0;
    bool visible = false;
    int Index() override { return index; }
    double Top() override { return top; }
    double Left() override { return left; }
    double Width() override { return width; }
    double Height() override { return height; }
    void setTop(double v) override { top = v; }
    void setLeft(double v) override { left = v; }
    void setWidth(double v) override { width = v; }
    void setHeight(double v) override { height = v; }
    bool Visible() override { return visible; }
    void setVisible(bool v) override { visible = v; }
};

class Button : public Control<port::IButton> {
  public:
    std::unique_ptr<port::IPicture> picture;
    bool enabled = true;
    void setPicture(std::unique_ptr<port::IPicture> p) override { picture = std::move(p); }
    bool hasPicture() override { return picture != nullptr; }
    bool Enabled() override { return enabled; }
    void setEnabled(bool v) override { enabled = v; }
    std::string pictureText() const {
        auto* p = dynamic_cast<Picture*>(picture.get());
        return p ? p->what : "";
    }
};

class Label : public Control<port::ILabel> {
  public:
    std::string caption;
    std::string Caption() override { return caption; }
    void setCaption(const std::string& v) override { caption = v; }
};

class MenuItem : public port::IMenuItem {
  public:
    std::string caption = "-";
    bool visible = true;
    std::string Caption() override { return caption; }
    void setCaption(const std::string& v) override { caption = v; }
    bool Visible() override { return visible; }
    void setVisible(bool v) override { visible = v; }
};

// A text is 100 twips a byte wide, so widths are easy to predict.
inline double textWidth(const std::string& text) {
    return 100.0 * static_cast<double>(text.size());
}

struct Timer : port::ITimer {
    bool running = false;
    int interval = 0; // of the last start
    void start(int ms) override {
        running = true;
        interval = ms;
    }
    void stop() override { running = false; }
};

// The drive window with a frame of fixed size around its client area. It keeps track of the controls
// the presenter holds, so that the tests can look at them by row.
class MainView : public port::IMainView {
  public:
    static constexpr double kFrameWidth = 90, kFrameHeight = 330;
    struct Row {
        Button& button;
        Label& volume;
        Label& drive;
    };

    double top = 1000, left = 1000, width = 500, height = 400;
    double screenWidth = 15360, screenHeight = 11520;
    std::string caption;
    bool visible = false, minimized = false, closed = false;
    port::IMainViewEvents* events = nullptr;
    port::FontRecord font;
    Timer refresh, end;

    int rowCount() const { return m_rows.empty() ? 0 : m_rows.rbegin()->first; }
    Row row(int i) {
        auto& r = m_rows.at(i);
        return {*r.button, *r.volume, *r.drive};
    }

    void setEvents(port::IMainViewEvents* e) override { events = e; }
    void setFont(const port::FontRecord& f) override { font = f; }
    port::RowControls createRow(int index) override {
        auto button = std::make_unique<Tracked<Button>>(*this, index);
        auto volume = std::make_unique<Tracked<Label>>(*this, index);
        auto drive = std::make_unique<Tracked<Label>>(*this, index);
        m_rows[index] = {button.get(), volume.get(), drive.get()};
        return {std::move(button), std::move(volume), std::move(drive)};
    }

    double Top() override { return top; }
    double Left() override { return left; }
    double Width() override { return width; }
    double Height() override { return height; }
    double ScaleWidth() override { return width - kFrameWidth; }
    double ScaleHeight() override { return height - kFrameHeight; }
    void setTop(double v) override { top = v; }
    void setLeft(double v) override { left = v; }
    void setWidth(double v) override { width = v; }
    void setHeight(double v) override { height = v; }
    double ScreenWidth() override { return screenWidth; }
    double ScreenHeight() override { return screenHeight; }
    double TwipsPerPixelX() override { return 15; }
    double TwipsPerPixelY() override { return 15; }
    std::string Caption() override { return caption; }
    void setCaption(const std::string& v) override { caption = v; }
    bool Visible() override { return visible; }
    void setVisible(bool v) override {
        visible = v;
        minimized = false;
    }
    void minimize() override {
        visible = true;
        minimized = true;
    }
    double TextWidth(const std::string& text) override { return textWidth(text); }
    port::ITimer& tim_Refresh() override { return refresh; }
    port::ITimer& tim_end() override { return end; }
    void close() override {
        if (events && events->Form_Unload())
            return;
        closed = true;
    }

  private:
    struct Pointers {
        Button* button = nullptr;
        Label* volume = nullptr;
        Label* drive = nullptr;
    };
    // A control that leaves the view's books when its holder lets it go.
    template <class T> struct Tracked : T {
        Tracked(MainView& view, int index) : m_view(view) { this->index = index; }
        ~Tracked() override { m_view.m_rows.erase(this->index); }
        MainView& m_view;
    };
    std::map<int, Pointers> m_rows; // by index, while the row's button lives
};

// The notification area as a shell keeps it: a second add of the same icon is refused.
class TrayIcon : public port::ITrayIcon {
  public:
    bool isAvailable = true;
    int icons = 0;
    std::string tip;
    std::vector<std::string> calls;
    void add(const std::string& t) override {
        calls.push_back("add " + t);
        if (icons == 0) {
            icons = 1;
            tip = t;
        }
    }
    void remove() override {
        calls.push_back("remove");
        icons = 0;
    }
    bool available() override { return isAvailable; }
};

class PopupMenu : public port::IPopupMenu {
  public:
    std::vector<std::vector<port::MenuEntry>> opened;
    int choice = 0;
    std::function<void()> whileOpen;
    int track(const std::vector<port::MenuEntry>& items) override {
        opened.push_back(items);
        if (whileOpen)
            whileOpen();
        return choice;
    }
};

class SystemMenu : public port::ISystemMenu {
  public:
    std::vector<std::string> items; // "id:text", "id:-" for a separator
    std::function<void(std::int32_t)> procedure;
    int hooks = 0, unhooks = 0;
    void append(int flags, int id, const std::string& text) override {
        items.push_back(std::to_string(id) + ":" + (flags == port::kMenuSeparator ? "-" : text));
    }
    void hook(std::function<void(std::int32_t)> p) override {
        ++hooks;
        procedure = std::move(p);
    }
    void unhook() override {
        ++unhooks;
        procedure = nullptr;
    }
    // A system command as the hooked window procedure sees it.
    void command(std::int32_t wParam) {
        if (procedure)
            procedure(wParam);
    }
};

class WindowTop : public port::IWindowTop {
  public:
    std::vector<std::pair<bool, port::PixelRect>> calls;
    void setTopmost(bool topmost, const port::PixelRect& rect) override { calls.push_back({topmost, rect}); }
};

// A dialog that the test answers while it is "open".
class Dialog : public port::IDialog {
  public:
    const port::DialogLayout& layout;
    port::IDialogEvents& events;
    std::map<int, bool> values, enabled;
    std::map<int, std::string> captions;
    bool unloaded = false;
    std::function<void(Dialog&)> whileOpen;
    Dialog(const port::DialogLayout& l, port::IDialogEvents& e) : layout(l), events(e) {}

    bool Value(int c) override { return values[c]; }
    void setValue(int c, bool v) override { values[c] = v; }
    void setEnabled(int c, bool v) override { enabled[c] = v; }
    void setCaption(int c, const std::string& t) override { captions[c] = t; }
    void showModal() override {
        if (whileOpen)
            whileOpen(*this);
    }
    void unload() override { unloaded = true; }
    // The user clicks a control: a check box changes its value first.
    void click(int control) {
        if (layout.controls[static_cast<std::size_t>(control)].kind == port::ControlKind::CheckBox)
            values[control] = !values[control];
        events.Click(control);
    }
};

// Keeps every dialog it made, for the tests to look at after the presenter has let go of it.
class Dialogs : public port::IDialogs {
  public:
    std::vector<std::unique_ptr<Dialog>> created;
    std::function<void(Dialog&)> whileOpen;
    std::unique_ptr<port::IDialog> create(const port::DialogLayout& layout,
                                          port::IDialogEvents& events) override {
        created.push_back(std::make_unique<Dialog>(layout, events));
        created.back()->whileOpen = whileOpen;
        return std::make_unique<Handle>(*created.back());
    }

  private:
    struct Handle : port::IDialog {
        explicit Handle(Dialog& d) : dialog(d) {}
        Dialog& dialog;
        bool Value(int c) override { return dialog.Value(c); }
        void setValue(int c, bool v) override { dialog.setValue(c, v); }
        void setEnabled(int c, bool v) override { dialog.setEnabled(c, v); }
        void setCaption(int c, const std::string& t) override { dialog.setCaption(c, t); }
        void showModal() override { dialog.showModal(); }
        void unload() override { dialog.unload(); }
    };
};

class DeviceEvents : public port::IDeviceEvents {
  public:
    std::function<void()> handler;
    void setHandler(std::function<void()> changed) override { handler = std::move(changed); }
    // The platform noticed a disc come or go.
    void fire() {
        if (handler)
            handler();
    }
};

// Everything the main window is given, wired into one bundle.
struct Window {
    MainView view;
    Icons icons;
    TrayIcon tray;
    PopupMenu popup;
    SystemMenu systemMenu;
    WindowTop windowTop;
    Dialogs dialogs;
    DeviceEvents deviceEvents;
    port::WindowServices services{view, icons, tray, popup, systemMenu, windowTop, dialogs, deviceEvents};
};

} // namespace fakes
