#include "ui/MainWindow.h"

#include "app/Cycle.h"
#include "app/Text.h"
#include "ui/Commands.h"
#include "ui/DriveRows.h"
#include "ui/SettingsDialog.h"

#include <algorithm>
#include <utility>

namespace ui {
namespace {

constexpr std::size_t kTipCharacters = 63; // the longest tip the notification area shows

// What the empty window says: why it is empty, then the ways to a row (a disc or a disc image makes a
// drive that a window without rows registers; a letter key registers its drive).
constexpr const char* kNoCdRomDrive = "CD-ROM ドライブがありません。";
constexpr const char* kNoDriveRegistered = "登録したドライブがありません。";
constexpr const char* kWaysToARow =
    "ディスクを入れるか、\nイメージファイルを開くか、ドライブ文字のキーを押してください。";

// The id of drive `letter`'s item in the pop-up menu, and back.
int driveItemId(char letter) {
    return commands::kDriveItemBase + (letter - 'A');
}
char driveOfItem(int id, int base = commands::kDriveItemBase) {
    const int offset = id - base;
    return offset >= 0 && offset < 26 ? static_cast<char>('A' + offset) : 0;
}

int ejectItemId(char letter) {
    return commands::kEjectItemBase + (letter - 'A');
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
      m_paths(platform.files, platform.codec, platform.drives, m_shortcuts),
      m_refreshTimer(m_view.refreshTimer(), 1000, true), m_endTimer(m_view.endTimer(), 1000, false) {
    m_view.setCaption("Tavimoro");
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
    m_drives.clear();
}

void MainWindow::start(bool shown) {
    load();
    if (shown)
        m_view.setVisible(true);
    else if (!m_window.tray.available())
        waitForArea();
}

void MainWindow::waitForArea() {
    m_waitsForArea = true;
    if (!m_view.minimize())
        m_view.setVisible(true);
}

void MainWindow::load() {
    // A resident program's icon comes first, as a plain tray program's does: the window and its rows
    // take longer to make.
    if (m_state.settings.resident)
        m_window.tray.add(trayTip(m_platform.process.exeName()));
    m_refreshTimer.setInterval(m_state.settings.pollInterval);
    // With no place saved the window starts in the area panels leave free, not under a top panel.
    port::Rect unsaved = m_view.placement();
    const port::Rect area = m_view.workArea();
    unsaved.left = std::max(unsaved.left, area.left);
    unsaved.top = std::max(unsaved.top, area.top);
    const port::Rect placement = app::loadPlacement(m_state.settingsFile, unsaved, m_view.unitsPerInch());
    m_view.moveTo(placement.left, placement.top);
    m_platform.launcher.cleanUp();
    loadDriveList();
    // The test is on the built list: when every registration reads false, all CD-ROM drives are
    // registered again.
    if (m_drives.empty() && registerCdRomDrives())
        loadDriveList();
    if (!m_state.testMode) {
        m_window.systemMenu.install(commands::entries(commands::kSystemMenu),
                                    [this](int id) { systemCommand(id); });
        m_systemMenuInstalled = true;
    }
    applySettings();
}

bool MainWindow::registerCdRomDrives() {
    const std::vector<char> letters = m_platform.drives.cdromLetters().value_or(std::vector<char>{});
    for (const char letter : letters)
        app::setDriveRegistered(m_state.settingsFile, letter, true);
    return !letters.empty();
}

void MainWindow::applySettings() {
    const app::Settings& settings = m_state.settings;
    m_window.windowTop.setTopmost(settings.keepOnTop);
    if (settings.resident)
        m_window.tray.add(trayTip(m_platform.process.exeName()));
    else
        m_window.tray.remove();
    fitWidth();
    for (auto& record : m_drives.records())
        record->setStartMenuEntry(settings.startMenuEntries);
}

void MainWindow::fitWidth() {
    const bool labels = m_state.settings.showLabels;
    m_view.fitWidth(labels);
    m_view.setCaption(labels ? m_platform.process.exeName() : "TVM");
}

void MainWindow::resized() {
    // Keep the window on the screen; nothing moves it down or right.
    const port::Rect window = m_view.placement();
    const port::Rect screen = m_view.screen();
    const int bottom = screen.top + screen.height, right = screen.left + screen.width;
    if (window.top + window.height > bottom || window.left + window.width > right)
        m_view.moveTo(std::min(window.left, right - window.width),
                      std::min(window.top, bottom - window.height));
}

void MainWindow::hide() {
    if (!m_state.settings.resident || m_window.tray.available()) {
        m_view.setVisible(false);
        return;
    }
    if (m_view.minimize()) {
        m_waitsForArea = true;
        return;
    }
    // A desktop that keeps no minimized windows and has no notification area: the window hides all the
    // same, and a start of the program brings it back, which the user learns the first time.
    m_view.setVisible(false);
    if (m_toldHidden)
        return;
    m_toldHidden = true;
    const std::string title = m_platform.process.title();
    const std::string text = "通知領域が見つからないため、ウィンドウを隠しました。\r\n" + title +
                             " をもう一度起動すると、ウィンドウが開きます。";
    if (!m_window.tray.notify(title, text))
        m_platform.messages.show(text, title, port::MessageIcon::Information);
}

bool MainWindow::closing() {
    if (m_state.settings.resident) {
        hide();
        return true;
    }
    app::savePlacement(m_state.settingsFile, m_view.placement(), m_view.unitsPerInch());
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

void MainWindow::buttonClicked(char letter) {
    drives::DriveRecord* record = m_drives.find(letter);
    if (record && record->state().mountable) {
        // A disc not mounted yet: mounted first, then read as a poll reads it. A refusal changes nothing.
        if (const auto mounted = m_platform.drives.mount(letter); !mounted) {
            m_platform.messages.show(mounted.error(), m_platform.process.title(),
                                     port::MessageIcon::Exclamation);
            return;
        }
        {
            drives::PollScope poll(m_platform.drives);
            static_cast<void>(record->check());
        }
        m_view.updateRow(rowOf(record->state(), m_window.icons));
        fitWidth();
        updateTrayMenu();
        if (!record->state().autorun)
            return;
    }
    if (record)
        m_shortcuts.launch(record->state().program, record->state().folder);
    hide();
    m_endTimer.setEnabled(true);
}

void MainWindow::buttonMenuAsked(char letter) {
    // The drive's own item, then the window's commands, which the right button opens elsewhere on it.
    const int eject = ejectItemId(letter);
    std::vector<port::MenuEntry> items{{eject, commands::kEjectCaption, false}};
    for (port::MenuEntry& entry : commands::entries(commands::kSystemMenu))
        items.push_back(std::move(entry));
    const int chosen = m_window.popup.open(items);
    if (chosen == eject)
        ejectDrive(letter);
    else if (chosen != 0)
        systemCommand(chosen);
}

void MainWindow::ejectDrive(char letter) {
    if (const auto ejected = m_platform.drives.eject(letter); !ejected) {
        m_platform.messages.show(ejected.error(), m_platform.process.title(), port::MessageIcon::Exclamation);
        return;
    }
    // The row empties now, not at the next poll.
    drives::DriveRecord* record = m_drives.find(letter);
    if (!record)
        return;
    {
        drives::PollScope poll(m_platform.drives);
        static_cast<void>(record->check());
    }
    m_view.updateRow(rowOf(record->state(), m_window.icons));
    updateTrayMenu();
}

void MainWindow::refreshTick() {
    // The poll switches its own timer off so that polls never overlap.
    m_refreshTimer.setEnabled(false);
    const drives::DriveList::PollResult poll = m_drives.poll(m_platform.drives);
    for (const drives::DriveRecord* record : poll.changed)
        m_view.updateRow(rowOf(record->state(), m_window.icons));
    if (!poll.changed.empty())
        updateTrayMenu();
    if (poll.newAutorunDisc) {
        fitWidth();
        if (m_state.settings.openOnNewDisc)
            m_view.setVisible(true);
    }
    m_refreshTimer.setInterval(poll.changed.empty() ? m_state.settings.pollInterval
                                                    : m_state.settings.changeInterval);
    m_refreshTimer.setEnabled(true);
}

void MainWindow::deviceChanged() {
    if (!m_refreshTimer.enabled() || m_refreshTimer.interval() <= 0)
        return;
    // A window with no row takes the drives that came (a disc image opened, a drive plugged in) as a
    // start would: its hint told the user to bring one.
    if (m_drives.empty() && registerCdRomDrives())
        rebuildRows();
    refreshTick();
}

void MainWindow::endTick() {
    if (!m_endTimer.enabled())
        return;
    m_endTimer.setEnabled(false);
    m_platform.launcher.cleanUp();
    if (!m_state.settings.resident)
        m_view.close();
}

void MainWindow::loadDriveList() {
    m_drives.clear();
    std::vector<port::DriveRow> rows;
    {
        // Loading the rows reads every drive once, like a poll.
        drives::PollScope poll(m_platform.drives);
        for (const char letter : app::registeredDrives(m_state.settingsFile)) {
            auto record = std::make_unique<drives::DriveRecord>(
                drives::DriveRecord::Context{m_platform.drives, m_platform.files, m_platform.codec,
                                             m_shortcuts},
                letter);
            record->setStartMenuEntry(m_state.settings.startMenuEntries);
            static_cast<void>(record->check());
            rows.push_back(rowOf(record->state(), m_window.icons));
            m_drives.add(std::move(record));
        }
    }
    m_view.setHint(rows.empty() ? emptyHint() : "");
    m_view.setRows(std::move(rows));
    updateTrayMenu();
}

std::string MainWindow::emptyHint() {
    const bool noDrive = m_platform.drives.cdromLetters().value_or(std::vector<char>{}).empty();
    return std::string(noDrive ? kNoCdRomDrive : kNoDriveRegistered) + kWaysToARow;
}

void MainWindow::rebuildRows() {
    loadDriveList();
    fitWidth();
}

void MainWindow::keyPressed(const port::Key& key) {
    const char focus = m_view.focusedLetter();
    if (key.kind == port::Key::Kind::Tab) {
        moveFocus(focus, key.shift);
        return;
    }
    // Each letter toggles its drive's registration; every key makes the rows anew.
    const app::IniFile::Snapshot snapshot(m_state.settingsFile);
    if (key.kind == port::Key::Kind::Letter && key.letter >= 'A' && key.letter <= 'Z')
        app::setDriveRegistered(m_state.settingsFile, key.letter,
                                !app::driveRegistered(m_state.settingsFile, key.letter));
    rebuildKeepingFocus(focus);
}

void MainWindow::rebuildKeepingFocus(char focus) {
    rebuildRows();
    // The focus stays on its row, so that Shift+Tab, say, goes on from there.
    if (const drives::DriveRecord* record = m_drives.find(focus); record && record->state().clickable())
        m_view.focusLetter(focus);
}

void MainWindow::scaleChanged() {
    // The icons come at the new scale's size and the labels are measured in its font; the rows and the
    // window's size follow.
    rebuildKeepingFocus(m_view.focusedLetter());
}

void MainWindow::moveFocus(char from, bool backwards) {
    // The buttons that can take the focus, in row order; the focus goes round.
    std::vector<char> letters;
    for (const auto& record : m_drives.records())
        if (record->state().clickable())
            letters.push_back(record->letter());
    if (const auto next = app::nextInCycle(letters, from, backwards))
        m_view.focusLetter(*next);
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
    if (event == port::TrayEvent::AreaAppeared) {
        // The window that waited in lieu of the icon goes where it would have gone at once; one the user
        // opened stays.
        if (std::exchange(m_waitsForArea, false) && m_state.settings.resident)
            m_view.setVisible(false);
        return;
    }
    popupCommand(m_window.popup.open(popupMenuEntries()));
}

void MainWindow::updateTrayMenu() {
    m_window.tray.setMenu(popupMenuEntries(), [this](int id) { popupCommand(id); });
}

void MainWindow::popupCommand(int id) {
    if (const char letter = driveOfItem(id)) {
        buttonClicked(letter);
    } else if (const char ejected = driveOfItem(id, commands::kEjectItemBase)) {
        ejectDrive(ejected);
    } else if (const commands::Command* command = commands::find(commands::kPopupMenu, id);
               command && command->run) {
        (this->*command->run)();
    }
}

std::vector<port::MenuEntry> MainWindow::popupMenuEntries() const {
    std::vector<port::MenuEntry> entries;
    for (const auto& record : m_drives.records())
        if (record->state().clickable())
            entries.push_back({driveItemId(record->letter()), menuCaption(record->state()), false});
    // Every drive can be opened, an empty one included; the separator keeps them apart from the discs.
    if (!m_drives.records().empty())
        entries.push_back({0, "", true});
    for (const auto& record : m_drives.records()) {
        const drives::DriveState& state = record->state();
        const std::string drive = state.label.empty() ? state.driveText() : menuCaption(state);
        entries.push_back({ejectItemId(record->letter()), drive + " を取り出す", false});
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
    m_waitsForArea = false;
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
