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
    port::Result<std::unique_ptr<port::IPicture>> programFileIcon(const std::string& file, int index,
                                                                  bool small) override {
        calls.push_back("extract " + file + "," + std::to_string(index) + (small ? " small" : " large"));
        return made();
    }
    port::Result<std::unique_ptr<port::IPicture>> iconFile(const std::string& file) override {
        calls.push_back("ico " + file);
        return made();
    }
    port::Result<std::unique_ptr<port::IPicture>> programIcon() override {
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
    int row = 0;
    double y = 0, x = 0, w = 0, h = 0; // top, left, width, height
    bool shown = false;
    int index() override { return row; }
    double top() override { return y; }
    double left() override { return x; }
    double width() override { return w; }
    double height() override { return h; }
    void setTop(double v) override { y = v; }
    void setLeft(double v) override { x = v; }
    void setWidth(double v) override { w = v; }
    void setHeight(double v) override { h = v; }
    bool visible() override { return shown; }
    void setVisible(bool v) override { shown = v; }
};

class Button : public Control<port::IButton> {
  public:
    std::unique_ptr<port::IPicture> picture;
    bool isEnabled = true;
    std::string accessibleName;
    void setAccessibleName(const std::string& v) override { accessibleName = v; }
    void setPicture(std::unique_ptr<port::IPicture> p) override { picture = std::move(p); }
    bool hasPicture() override { return picture != nullptr; }
    bool enabled() override { return isEnabled; }
    void setEnabled(bool v) override { isEnabled = v; }
    std::string pictureText() const {
        auto* p = dynamic_cast<Picture*>(picture.get());
        return p ? p->what : "";
    }
};

class Label : public Control<port::ILabel> {
  public:
    std::string text;
    std::string caption() override { return text; }
    void setCaption(const std::string& v) override { text = v; }
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

    double y = 1000, x = 1000, w = 500, h = 400; // top, left, width, height
    double screenW = 15360, screenH = 11520;
    std::string title;
    bool shown = false, minimized = false, closed = false;
    int focus = 0;
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

    double top() override { return y; }
    double left() override { return x; }
    double width() override { return w; }
    double height() override { return h; }
    double clientWidth() override { return w - kFrameWidth; }
    double clientHeight() override { return h - kFrameHeight; }
    void setTop(double v) override { y = v; }
    void setLeft(double v) override { x = v; }
    void setWidth(double v) override { w = v; }
    void setHeight(double v) override { h = v; }
    double screenWidth() override { return screenW; }
    double screenHeight() override { return screenH; }
    double twipsPerPixelX() override { return 15; }
    double twipsPerPixelY() override { return 15; }
    std::string caption() override { return title; }
    void setCaption(const std::string& v) override { title = v; }
    bool visible() override { return shown; }
    void setVisible(bool v) override {
        shown = v;
        minimized = false;
    }
    void minimize() override {
        shown = true;
        minimized = true;
    }
    double textWidth(const std::string& text) override { return fakes::textWidth(text); }
    int focusedRow() override { return focus; }
    void focusRow(int row) override { focus = row; }
    port::ITimer& refreshTimer() override { return refresh; }
    port::ITimer& endTimer() override { return end; }
    void close() override {
        if (events && events->closing())
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
        Tracked(MainView& view, int index) : m_view(view) { this->row = index; }
        ~Tracked() override { m_view.m_rows.erase(this->row); }
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
    std::function<void(port::TrayEvent)> handler;
    std::vector<port::MenuEntry> menu; // as last handed over
    std::function<void(int)> chosen;
    void setMenu(const std::vector<port::MenuEntry>& items, std::function<void(int)> choice) override {
        menu = items;
        chosen = std::move(choice);
    }
    void setHandler(std::function<void(port::TrayEvent)> h) override { handler = std::move(h); }
    // The user does something with the icon.
    void fire(port::TrayEvent event) {
        if (handler)
            handler(event);
    }
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
    int open(const std::vector<port::MenuEntry>& items) override {
        opened.push_back(items);
        if (whileOpen)
            whileOpen();
        return choice;
    }
};

class SystemMenu : public port::ISystemMenu {
  public:
    std::vector<std::string> items; // "id:text", "id:-" for a separator
    std::function<void(int)> chosen;
    int installs = 0, removes = 0;
    void install(const std::vector<port::MenuEntry>& entries, std::function<void(int)> handler) override {
        ++installs;
        for (const port::MenuEntry& e : entries)
            items.push_back(std::to_string(e.id) + ":" + (e.separator ? "-" : e.caption));
        chosen = std::move(handler);
    }
    void remove() override {
        ++removes;
        chosen = nullptr;
    }
    // The user chooses the command `id` (a copy is called: the command may remove the menu).
    void command(int id) {
        if (const auto handler = chosen)
            handler(id);
    }
};

class WindowTop : public port::IWindowTop {
  public:
    std::vector<std::pair<bool, port::PixelRect>> calls;
    bool decides = false;
    bool desktopDecides() override { return decides; }
    void setTopmost(bool topmost, const port::PixelRect& rect) override { calls.push_back({topmost, rect}); }
};

// A dialog that the test answers while it is "open".
class Dialog : public port::IDialog {
  public:
    const port::DialogLayout& layout;
    port::IDialogEvents& events;
    std::map<int, bool> values, enabled;
    std::map<int, std::string> captions, tooltips;
    bool unloaded = false;
    std::function<void(Dialog&)> whileOpen;
    Dialog(const port::DialogLayout& l, port::IDialogEvents& e) : layout(l), events(e) {}

    bool checked(int c) override { return values[c]; }
    void setChecked(int c, bool v) override { values[c] = v; }
    void setEnabled(int c, bool v) override { enabled[c] = v; }
    void setCaption(int c, const std::string& t) override { captions[c] = t; }
    void setTooltip(int c, const std::string& t) override { tooltips[c] = t; }
    void showModal() override {
        if (whileOpen)
            whileOpen(*this);
    }
    void close() override { unloaded = true; }
    // The user clicks a control: a check box changes its value first.
    void click(int control) {
        if (layout.controls[static_cast<std::size_t>(control)].kind == port::ControlKind::CheckBox)
            values[control] = !values[control];
        events.clicked(control);
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
        bool checked(int c) override { return dialog.checked(c); }
        void setChecked(int c, bool v) override { dialog.setChecked(c, v); }
        void setEnabled(int c, bool v) override { dialog.setEnabled(c, v); }
        void setCaption(int c, const std::string& t) override { dialog.setCaption(c, t); }
        void setTooltip(int c, const std::string& t) override { dialog.setTooltip(c, t); }
        void showModal() override { dialog.showModal(); }
        void close() override { dialog.close(); }
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
