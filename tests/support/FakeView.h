#pragma once
// Fakes of the drive window and the platform features around it (icons, the
// notification area, menus, keep-on-top, dialogs).
#include "port/Services.h"

#include <functional>
#include <map>
#include <optional>
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

struct Timer : port::ITimer {
    bool running = false;
    int interval = 0; // of the last start
    void start(int ms) override {
        running = true;
        interval = ms;
    }
    void stop() override { running = false; }
};

// The drive window as a recorder of what the presenter hands it: the rows, whether the window fits its
// labels, its caption, place and focus. A row's picture is named by how the fake icons made it.
class MainView : public port::IMainView {
  public:
    struct Row {
        char letter = 0;
        std::string label, driveText, name, picture;
        bool enabled = false;
    };
    std::vector<Row> rows;
    int rebuilds = 0;               // how many times the rows were made anew
    std::optional<bool> fitsLabels; // the last fitWidth
    std::string title;
    std::string hint; // as set for the next rows
    port::Rect place{100, 100, 200, 150};
    port::Rect screenArea{0, 0, 1024, 768};
    port::Rect freeArea{0, 0, 1024, 768}; // what panels leave of the screen
    double dpi = 96;
    bool shown = false, minimized = false, closed = false;
    bool canMinimize = true; // false: a desktop that keeps no minimized windows
    char focus = 0;
    port::IMainViewEvents* events = nullptr;
    Timer refresh, end;

    // The row of drive `letter`; an empty one (letter 0) when there is none.
    Row row(char letter) const {
        for (const Row& r : rows)
            if (r.letter == letter)
                return r;
        return {};
    }
    // The rows' drive letters, in order: "DE".
    std::string letters() const {
        std::string out;
        for (const Row& r : rows)
            out += r.letter;
        return out;
    }

    void setEvents(port::IMainViewEvents* e) override { events = e; }
    void setRows(std::vector<port::DriveRow> made) override {
        rows.clear();
        for (port::DriveRow& r : made)
            rows.push_back(recorded(r));
        ++rebuilds;
        focus = 0; // it went with the old rows
    }
    void updateRow(port::DriveRow r) override {
        for (Row& row : rows)
            if (row.letter == r.letter)
                row = recorded(r);
    }
    void setHint(const std::string& text) override { hint = text; }
    void fitWidth(bool toLabels) override { fitsLabels = toLabels; }
    void setCaption(const std::string& v) override { title = v; }
    port::Rect placement() override { return place; }
    port::Rect screen() override { return screenArea; }
    port::Rect workArea() override { return freeArea; }
    double unitsPerInch() override { return dpi; }
    void moveTo(int left, int top) override {
        place.left = left;
        place.top = top;
    }
    bool visible() override { return shown; }
    void setVisible(bool v) override {
        shown = v;
        minimized = false;
    }
    bool minimize() override {
        if (!canMinimize)
            return false;
        shown = true;
        minimized = true;
        return true;
    }
    char focusedLetter() override { return focus; }
    void focusLetter(char letter) override { focus = letter; }
    port::ITimer& refreshTimer() override { return refresh; }
    port::ITimer& endTimer() override { return end; }
    void close() override {
        if (events && events->closing())
            return;
        closed = true;
    }

  private:
    static Row recorded(const port::DriveRow& r) {
        auto* picture = dynamic_cast<Picture*>(r.picture.get());
        return {r.letter, r.label, r.driveText, r.name, picture ? picture->what : "", r.enabled};
    }
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
    bool notifies = true;              // a notification service is there
    std::vector<std::string> notified; // the texts shown
    bool notify(const std::string&, const std::string& text) override {
        if (notifies)
            notified.push_back(text);
        return notifies;
    }
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
    std::vector<bool> calls;
    bool decides = false;
    bool desktopDecides() override { return decides; }
    void setTopmost(bool topmost) override { calls.push_back(topmost); }
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
