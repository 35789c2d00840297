#include "ui/MainWindow.h"

#include "app/Text.h"
#include "ui/Commands.h"
#include "ui/SettingsDialog.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

// The window as designed, in twips, and the labels' font.
constexpr double kDesignClientWidth = 2235;
constexpr double kDesignClientHeight = 720;
constexpr double kLabelGap = 60; // between the button and its labels, and after the widest label
constexpr int kMinimumLabelWidth = 1200;
const port::FontRecord kLabelFont{"ＭＳ Ｐゴシック", 11.25f};
constexpr std::size_t kTipCharacters = 63; // the longest tip the notification area shows

// The window as the placement helpers see it: stored under its name, in twips.
class PlacedWindow : public port::IPlacedWindow {
  public:
    explicit PlacedWindow(port::IMainView& view) : m_view(view) {}
    std::string name() override { return "frm_main"; }
    float top() override { return static_cast<float>(m_view.top()); }
    float left() override { return static_cast<float>(m_view.left()); }
    float width() override { return static_cast<float>(m_view.width()); }
    float height() override { return static_cast<float>(m_view.height()); }
    void setTop(float v) override { m_view.setTop(v); }
    void setLeft(float v) override { m_view.setLeft(v); }
    void setWidth(float v) override { m_view.setWidth(v); }
    void setHeight(float v) override { m_view.setHeight(v); }

  private:
    port::IMainView& m_view;
};

// The controls take the window's font as they are made: the labels' font comes first.
port::IMainView& withLabelFont(port::IMainView& view) {
    view.setFont(kLabelFont);
    return view;
}

// Rounds to nearest with halves to even: the default floating-point rounding mode.
int toPixels(double twips, double twipsPerPixel) {
    return static_cast<int>(std::lrint(twips / twipsPerPixel));
}

} // namespace

std::string trayTip(const std::string& text) {
    return app::firstCharacters(text, kTipCharacters);
}

// The last line: one blank, then 21 ideographic spaces before the closing word.
const char* const MainWindow::kHelpText =
    " Tavimoroの使い方\r\n"
    "\r\n"
    " アルファベットのキーでドライブの登録と削除行います。\r\n"
    "\r\n"
    " \u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000"
    "\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000\u3000以上";

MainWindow::MainWindow(const port::Services& platform, const port::WindowServices& window, State state)
    : m_platform(platform), m_window(window), m_view(window.view), m_state(state),
      m_shortcuts({platform.launcher, platform.startMenu, platform.files, platform.messages, platform.process,
                   state.settingsFile}),
      m_paths(platform.files, platform.codec, m_shortcuts), m_rows(withLabelFont(m_view)),
      m_refreshTimer(m_view.refreshTimer(), 1000, true), m_endTimer(m_view.endTimer(), 1000, false) {
    m_view.setCaption("Tavimoro");
    m_view.setWidth(m_view.width() - m_view.clientWidth() + kDesignClientWidth);
    m_view.setHeight(m_view.height() - m_view.clientHeight() + kDesignClientHeight);
    m_view.setEvents(this);
    m_window.deviceEvents.setHandler([this] { deviceChanged(); });
    m_window.tray.setHandler([this](port::TrayEvent event) { trayEvent(event); });
}

MainWindow::~MainWindow() {
    if (m_systemMenuInstalled)
        m_window.systemMenu.remove();
    m_window.tray.setHandler(nullptr);
    m_window.tray.setMenu({}, nullptr);
    m_window.deviceEvents.setHandler(nullptr);
    m_view.setEvents(nullptr);
    // The records go before the controls they point at.
    m_drives.clear();
}

void MainWindow::start(bool shown) {
    load();
    if (shown)
        m_view.setVisible(true);
    else if (!m_window.tray.available())
        m_view.minimize();
}

void MainWindow::load() {
    m_refreshTimer.setInterval(m_state.settings.pollInterval);
    PlacedWindow placed(m_view);
    m_state.settingsFile.readPlacement(placed, app::kWindowSection);
    m_shortcuts.removeLaunchFiles();
    loadDriveList();
    // The test is on the built list: when every registration reads false, all CD-ROM drives are
    // registered again.
    if (m_drives.empty()) {
        for (const char letter : m_platform.drives.cdromLetters().value_or(std::vector<char>{}))
            app::setDriveRegistered(m_state.settingsFile, letter, true);
        loadDriveList();
    }
    if (!m_state.testMode) {
        m_window.systemMenu.install(commands::entries(commands::kSystemMenu),
                                    [this](int id) { systemCommand(id); });
        m_systemMenuInstalled = true;
    }
    applySettings();
}

port::PixelRect MainWindow::pixelPlacement() {
    const double x = m_view.twipsPerPixelX();
    const double y = m_view.twipsPerPixelY();
    return {toPixels(m_view.left(), x), toPixels(m_view.top(), y), toPixels(m_view.width(), x),
            toPixels(m_view.height(), y)};
}

void MainWindow::applySettings() {
    const app::Settings& settings = m_state.settings;
    m_window.windowTop.setTopmost(settings.keepOnTop, pixelPlacement());
    if (settings.resident)
        m_window.tray.add(trayTip(m_platform.process.exeName()));
    else
        m_window.tray.remove();
    adjustWidth();
    for (auto& record : m_drives.records())
        record->setStartMenuEntry(settings.startMenuEntries);
}

int MainWindow::addRow() {
    const int n = m_rows.add();
    port::IButton& button = m_rows.button(n);
    button.setTop(button.height() * (n - 1));
    button.setLeft(0);
    button.setVisible(true);

    port::ILabel& volume = m_rows.volumeName(n);
    volume.setTop((button.height() - 2 * volume.height()) / 2 + button.top());
    volume.setLeft(button.width() + kLabelGap);
    volume.setVisible(true);

    port::ILabel& drive = m_rows.drive(n);
    drive.setTop(volume.top() + volume.height());
    drive.setLeft(volume.left());
    drive.setVisible(true);

    m_view.setHeight(m_view.height() - (m_view.clientHeight() - m_rows.button(0).height() * n));
    return n;
}

void MainWindow::adjustWidth() {
    const double button = m_rows.button(0).width();
    if (m_state.settings.showLabels) {
        int widest = kMinimumLabelWidth;
        for (int row = 1; row <= m_rows.last(); ++row) {
            for (port::ILabel* label : {&m_rows.volumeName(row), &m_rows.drive(row)})
                if (label->width() > widest)
                    widest = static_cast<int>(std::lround(label->width()));
        }
        m_view.setWidth(m_view.width() - (m_view.clientWidth() - (button + widest)) + kLabelGap);
        m_view.setCaption(m_platform.process.exeName());
    } else {
        m_view.setWidth(m_view.width() - (m_view.clientWidth() - button));
        m_view.setCaption("TVM");
    }
}

void MainWindow::resized() {
    // Keep the window on the screen; nothing moves it down or right.
    if (m_view.top() + m_view.height() > m_view.screenHeight())
        m_view.setTop(m_view.screenHeight() - m_view.height());
    if (m_view.left() + m_view.width() > m_view.screenWidth())
        m_view.setLeft(m_view.screenWidth() - m_view.width());
}

void MainWindow::hide() {
    if (m_state.settings.resident && !m_window.tray.available())
        m_view.minimize();
    else
        m_view.setVisible(false);
}

bool MainWindow::closing() {
    if (m_state.settings.resident) {
        hide();
        return true;
    }
    PlacedWindow placed(m_view);
    m_state.settingsFile.writePlacement(placed, app::kWindowSection);
    if (m_systemMenuInstalled)
        m_window.systemMenu.remove();
    m_systemMenuInstalled = false;
    m_window.tray.remove();
    m_refreshTimer.setEnabled(false);
    m_endTimer.setEnabled(false);
    // Releasing the records removes the Start-menu entries they wrote.
    m_drives.clear();
    return false;
}

void MainWindow::buttonClicked(int row) {
    drives::DriveRecord* record = m_drives.recordOfRow(row);
    if (record && record->mountable()) {
        // A disc not mounted yet: mounted first, then read as a poll reads it. A refusal changes nothing.
        if (const auto mounted = m_platform.drives.mount(record->letter()); !mounted) {
            m_platform.messages.show(mounted.error(), m_platform.process.title(),
                                     port::MessageIcon::Exclamation);
            return;
        }
        {
            drives::PollScope poll(m_platform.drives);
            static_cast<void>(record->check());
        }
        adjustWidth();
        updateTrayMenu();
        if (!record->hasAutorun())
            return;
    }
    if (record)
        m_shortcuts.launch(record->program(), record->folder());
    hide();
    m_endTimer.setEnabled(true);
}

void MainWindow::refreshTick() {
    // The poll switches its own timer off so that polls never overlap.
    m_refreshTimer.setEnabled(false);
    const drives::DriveList::PollResult poll = m_drives.poll(m_platform.drives);
    if (poll.changed)
        updateTrayMenu();
    if (poll.newAutorunDisc) {
        adjustWidth();
        if (m_state.settings.openOnNewDisc)
            m_view.setVisible(true);
    }
    m_refreshTimer.setInterval(poll.changed ? m_state.settings.changeInterval
                                            : m_state.settings.pollInterval);
    m_refreshTimer.setEnabled(true);
}

void MainWindow::deviceChanged() {
    if (m_refreshTimer.enabled() && m_refreshTimer.interval() > 0)
        refreshTick();
}

void MainWindow::endTick() {
    if (!m_endTimer.enabled())
        return;
    m_endTimer.setEnabled(false);
    m_shortcuts.removeLaunchFiles();
    if (!m_state.settings.resident)
        m_view.close();
}

void MainWindow::loadDriveList() {
    m_drives.clear();
    // Loading the rows reads every drive once, like a poll.
    drives::PollScope poll(m_platform.drives);
    for (const char letter : app::registeredDrives(m_state.settingsFile)) {
        auto record = std::make_unique<drives::DriveRecord>(
            drives::DriveRecord::Context{m_platform.drives, m_platform.files, m_platform.codec,
                                         m_window.icons, m_shortcuts,
                                         [this](const std::string& text) { return m_view.textWidth(text); }},
            letter);
        record->setStartMenuEntry(m_state.settings.startMenuEntries);
        const int n = addRow();
        record->attach(m_rows.button(n), m_rows.volumeName(n), m_rows.drive(n), m_rows.menuItem(n));
        static_cast<void>(record->check());
        m_drives.add(std::move(record));
    }
    updateTrayMenu();
}

void MainWindow::rebuildRows() {
    // The old records go before their rows do, so no record outlives the controls it points at.
    m_drives.clear();
    while (m_rows.last() >= 1)
        m_rows.removeLast();
    loadDriveList();
    adjustWidth();
}

void MainWindow::keyPressed(const port::Key& key) {
    const int focus = m_view.focusedRow();
    if (key.kind == port::Key::Kind::Tab) {
        moveFocus(focus, key.shift);
        return;
    }
    // Each letter toggles its drive's registration; every key makes the rows anew.
    if (key.kind == port::Key::Kind::Letter && key.letter >= 'A' && key.letter <= 'Z')
        app::setDriveRegistered(m_state.settingsFile, key.letter,
                                !app::driveRegistered(m_state.settingsFile, key.letter));
    rebuildKeepingFocus(focus);
}

void MainWindow::rebuildKeepingFocus(int focus) {
    rebuildRows();
    // The focus stays on its row, so that Shift+Tab, say, goes on from there.
    if (focus >= 1 && focus <= m_rows.last() && m_rows.button(focus).visible() &&
        m_rows.button(focus).enabled())
        m_view.focusRow(focus);
}

void MainWindow::scaleChanged() {
    // The icons come at the new scale's size and the labels are measured in its font; the rows and the
    // window's size follow.
    rebuildKeepingFocus(m_view.focusedRow());
}

void MainWindow::moveFocus(int from, bool backwards) {
    // The buttons that can take the focus, in row order; the focus goes round.
    std::vector<int> rows;
    for (int row = 1; row <= m_rows.last(); ++row)
        if (m_rows.button(row).visible() && m_rows.button(row).enabled())
            rows.push_back(row);
    if (rows.empty())
        return;
    const auto count = static_cast<std::ptrdiff_t>(rows.size());
    const auto at = std::find(rows.begin(), rows.end(), from) - rows.begin();
    std::ptrdiff_t next = 0;
    if (at == count)
        next = backwards ? count - 1 : 0;
    else
        next = (at + (backwards ? count - 1 : 1)) % count;
    m_view.focusRow(rows[static_cast<std::size_t>(next)]);
}

void MainWindow::filesDropped(const std::vector<std::string>& paths) {
    if (m_paths.launchAll(paths))
        m_endTimer.setEnabled(true);
}

void MainWindow::trayEvent(port::TrayEvent event) {
    if (event == port::TrayEvent::ShowWindow) {
        openWindow();
        return;
    }
    popupCommand(m_window.popup.open(popupMenuEntries()));
}

void MainWindow::updateTrayMenu() {
    m_window.tray.setMenu(popupMenuEntries(), [this](int id) { popupCommand(id); });
}

void MainWindow::popupCommand(int id) {
    if (id > commands::kDriveItemBase) {
        buttonClicked(id - commands::kDriveItemBase);
    } else if (const commands::Command* command = commands::find(commands::kPopupMenu, id);
               command && command->run) {
        (this->*command->run)();
    }
}

std::vector<port::MenuEntry> MainWindow::popupMenuEntries() {
    std::vector<port::MenuEntry> entries;
    for (int row = 1; row <= m_rows.last(); ++row) {
        const drives::MenuItem& item = m_rows.menuItem(row);
        if (item.visible)
            entries.push_back({commands::kDriveItemBase + row, item.caption, false});
    }
    for (port::MenuEntry& entry : commands::entries(commands::kPopupMenu))
        entries.push_back(std::move(entry));
    return entries;
}

void MainWindow::systemCommand(int id) {
    if (const commands::Command* command = commands::find(commands::kSystemMenu, id); command && command->run)
        (this->*command->run)();
}

void MainWindow::openWindow() {
    m_view.setVisible(true);
}

void MainWindow::showSettings() {
    SettingsDialog dialog(m_state.settingsFile, m_state.settings, m_window.dialogs,
                          m_window.windowTop.desktopDecides());
    if (dialog.show())
        applySettings();
}

void MainWindow::showAbout() {
    if (!m_about)
        m_about = std::make_unique<AboutBox>(m_platform.process, m_window.dialogs);
    m_about->show();
}

void MainWindow::showHelp() {
    m_platform.messages.show(kHelpText, "使い方", port::MessageIcon::None);
}

void MainWindow::exit() {
    // Only the copy in memory: the next start is resident again if the file says so.
    m_state.settings.resident = false;
    m_view.close();
}

} // namespace ui
