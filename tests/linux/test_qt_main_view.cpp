// The Qt drive window with its presenter and the real Linux services over a simulated machine: fake
// sysfs, udev database and mount table, and disc folders that the tests change between polls.
#include "drives_test_support.h"
#include "linux/ShortcutEntry.h"
#include "port/MessageBox.h"
#include "program/Program.h"
#include "qt/QtIcons.h"
#include "qt/QtMainView.h"
#include "qt/QtProgram.h"
#include "qt_test_support.h"
#include "ui/Commands.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDropEvent>
#include <QFontInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QWidget>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace {

using drivetest::readFile;
using drivetest::TempDir;
using drivetest::writeFile;

using qttest::application;

class RecordingMessages : public port::IMessageBox {
  public:
    std::vector<std::string> shown;
    void show(const std::string& text, const std::string&, port::MessageIcon) override {
        shown.push_back(text);
    }
};

// A 16x16 .ico file of one colour, written by Qt's own writer path (an ICO is a BMP with a header).
std::string icoBytes() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 40));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    // ICONDIR + one ICONDIRENTRY holding a PNG image, as Windows Vista and later write them.
    std::string ico("\0\0\1\0\1\0", 6);
    const auto put16 = [&](unsigned v) { ico += char(v & 0xFF), ico += char((v >> 8) & 0xFF); };
    const auto put32 = [&](unsigned v) { put16(v & 0xFFFF), put16(v >> 16); };
    ico += char(16), ico += char(16), ico += char(0), ico += char(0);
    put16(1);
    put16(32);
    put32(static_cast<unsigned>(png.size()));
    put32(22);
    return ico + png.toStdString();
}

// One user on a simulated machine with CD-ROM drives sr0..srN (D:, E:, ...), running the window.
class Machine {
  public:
    explicit Machine(int drives) {
        application();
        m_config.sysBlock = m_dir / "sys/class/block";
        m_config.udevData = m_dir / "run/udev/data";
        m_config.mountinfo = m_dir / "proc/mountinfo";
        m_config.devDir = m_dir / "dev";
        std::filesystem::create_directories(m_config.udevData);
        std::filesystem::create_directories(m_config.devDir);
        for (int n = 0; n < drives; ++n) {
            writeFile(m_config.sysBlock + "/sr" + std::to_string(n) + "/dev",
                      "11:" + std::to_string(n) + "\n");
            writeFile(m_config.sysBlock + "/sr" + std::to_string(n) + "/device/type", "5\n");
        }
        writeMounts();
        for (const char* variable :
             {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
            if (const char* value = std::getenv(variable))
                m_savedEnvironment[variable] = std::string(value);
            else
                m_savedEnvironment[variable] = std::nullopt;
            const std::string folder = m_dir / (std::string("home/") + variable);
            std::filesystem::create_directories(folder);
            ::setenv(variable, folder.c_str(), 1);
        }
    }
    ~Machine() {
        m_form.reset();
        m_window.reset();
        for (const auto& [variable, value] : m_savedEnvironment) {
            if (value)
                ::setenv(variable.c_str(), value->c_str(), 1);
            else
                ::unsetenv(variable.c_str());
        }
    }

    std::string settingsFile() const { return m_dir / "home/XDG_CONFIG_HOME/tavimoro/tavimoro.ini"; }
    std::string startMenu() const { return m_dir / "home/XDG_DATA_HOME/applications/"; }
    std::string disc(const std::string& name) const { return m_dir / ("discs/" + name); }
    void settings(const std::string& text) { writeFile(settingsFile(), text); }

    void insert(int drive, const std::string& folder, const std::string& label) {
        writeFile(m_config.udevData + "/b11:" + std::to_string(drive), "E:ID_FS_LABEL_ENC=" + label + "\n");
        m_mounted[drive] = folder;
        writeMounts();
    }
    void eject(int drive) {
        m_mounted.erase(drive);
        writeMounts();
    }

    // Starts the program as the user would, up to the loaded window.
    program::StartOutcome start() {
        m_platform = std::make_unique<qtui::LinuxPlatform>(m_dir / "bin/tavimoro", std::vector<std::string>{},
                                                           m_config);
        qtui::LinuxPlatform& p = *m_platform;
        m_services = std::make_unique<port::Services>(
            port::Services{p.process, p.files, p.codec, p.drives, p.launcher, p.startMenu, messages});
        m_program = std::make_unique<program::Program>(*m_services);
        const program::StartOutcome outcome = m_program->start();
        m_window =
            std::make_unique<qtui::QtWindow>(p.icons, QDBusConnection(QStringLiteral("none")), p.driveSource);
        m_form = m_program->openWindow(m_window->services, outcome);
        return outcome;
    }

    qtui::QtWindow& window() { return *m_window; }
    qtui::QtMainView& view() { return m_window->view; }
    // The rows, the widgets of a drive's row and its pop-up menu item ("" for none).
    int rowCount() { return static_cast<int>(m_form->driveList().records().size()); }
    QAbstractButton& button(char letter) { return *widget(view().button(letter)); }
    QLabel& volumeLabel(char letter) { return *widget(view().label(letter)); }
    QLabel& driveLabel(char letter) { return *widget(view().driveText(letter)); }
    std::string menuItem(char letter) {
        for (const port::MenuEntry& entry : m_form->popupMenuEntries())
            if (entry.id < ui::commands::kEjectItemBase &&
                entry.caption.rfind(std::string("(") + letter + ":)", 0) == 0)
                return entry.caption;
        return "";
    }
    // One tick of the poll timer, as the timer gives it.
    void poll() { m_form->refreshTick(); }
    // What a row shows.
    std::string volumeText(char letter) { return volumeLabel(letter).text().toStdString(); }
    std::string driveText(char letter) { return driveLabel(letter).text().toStdString(); }
    bool buttonEnabled(char letter) { return button(letter).isEnabled(); }
    bool buttonHasIcon(char letter) { return !button(letter).icon().isNull(); }
    int clientWidth() { return view().window().width(); }
    int clientHeight() { return view().window().height(); }
    // The value of Drive_<letter> in the settings file, empty when the key is missing.
    std::string registration(char letter) {
        const std::string ini = readFile(settingsFile());
        const std::string key = std::string("Drive_") + letter + "=";
        const auto at = ini.find(key);
        return at == std::string::npos ? std::string()
                                       : ini.substr(at + key.size(), ini.find('\n', at) - at - key.size());
    }
    bool entryExists(const std::string& name) {
        return std::filesystem::exists(startMenu() + name + ".desktop");
    }

    RecordingMessages messages;

  private:
    template <class Widget> static Widget* widget(Widget* shown) {
        EXPECT_NE(shown, nullptr);
        return shown;
    }
    void writeMounts() {
        std::string text = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n";
        for (const auto& [n, folder] : m_mounted)
            text += std::to_string(40 + n) + " 22 11:" + std::to_string(n) + " / " + folder +
                    " ro,relatime - iso9660 /dev/sr" + std::to_string(n) + " ro\n";
        writeFile(m_config.mountinfo, text);
    }

    TempDir m_dir;
    lnx::DriveSourceConfig m_config;
    std::map<int, std::string> m_mounted;
    std::map<std::string, std::optional<std::string>> m_savedEnvironment;
    std::unique_ptr<qtui::LinuxPlatform> m_platform;
    std::unique_ptr<port::Services> m_services;
    std::unique_ptr<program::Program> m_program;
    // The presenter goes first: its records point at the window's controls.
    std::unique_ptr<qtui::QtWindow> m_window;
    std::unique_ptr<ui::MainWindow> m_form;
};

void makeAutorunDisc(const std::string& folder, const std::string& autorun) {
    writeFile(folder + "/AUTORUN.INF", autorun);
    writeFile(folder + "/setup.sh", "#!/bin/sh\n");
    writeFile(folder + "/Disc.ico", icoBytes());
}

TEST(QtMainView, firstRunRegistersEveryDriveAndLaysOutRowsInPixels) {
    Machine machine(2);
    machine.settings("[Mode]\nVolumeName=True\n");
    EXPECT_EQ(machine.start(), program::StartOutcome::ShowWindow);
    const std::string ini = readFile(machine.settingsFile());
    EXPECT_NE(ini.find("[CD]\nDrive_D=True\nDrive_E=True\n"), std::string::npos) << ini;

    qtui::QtMainView& view = machine.view();
    ASSERT_DOUBLE_EQ(view.unitsPerInch(), 96.0);
    EXPECT_EQ(machine.rowCount(), 2);
    EXPECT_TRUE(view.visible());
    // Two rows of 735 twips (49 px); 735 + 1200 + 60 twips wide (133 px).
    EXPECT_EQ(machine.clientHeight(), 98);
    EXPECT_EQ(machine.clientWidth(), 133);
    EXPECT_EQ(view.window().minimumSize(), view.window().maximumSize()) << "the user must not resize it";
    EXPECT_EQ(machine.button('E').geometry(), QRect(0, 49, 49, 49));
    // The volume label's 112.5 twips below the row's top round to 8 px; the drive label follows 255
    // twips (17 px) lower; both start 795 twips (53 px) from the left.
    EXPECT_EQ(machine.volumeLabel('D').geometry().topLeft(), QPoint(53, 8));
    EXPECT_EQ(machine.driveLabel('E').geometry().topLeft(), QPoint(53, 49 + 25));
    EXPECT_EQ(machine.driveText('E'), "(E:)");
    // The design's face is a Windows one; a Japanese face of the same kind stands in for it.
    const QFont labels = machine.driveLabel('E').font();
    EXPECT_EQ(labels.families().value(0).toStdString(), "ＭＳ Ｐゴシック");
    EXPECT_DOUBLE_EQ(labels.pointSizeF(), 11.25);
    EXPECT_EQ(QFontInfo(labels).family().toStdString(), "IPAPGothic");
    EXPECT_FALSE(machine.buttonEnabled('D'));
    EXPECT_TRUE(machine.buttonHasIcon('D')) << "an empty drive shows the program's icon, greyed";
    EXPECT_EQ(view.caption(), "tavimoro");
}

TEST(QtMainView, pollsFollowDiscsInsertedRemovedAndSwapped) {
    Machine machine(2);
    machine.settings("[Mode]\nstandby=True\nStartMode=True\nAutoOpen=True\nAutoShortcut=True\n"
                     "[Status]\nRefreshTimer=700\nChangeTimer=300\n");
    EXPECT_EQ(machine.start(), program::StartOutcome::LoadHidden);
    qtui::QtMainView& view = machine.view();
    // The offscreen platform has no notification area: the resident window waits minimized.
    EXPECT_TRUE(view.window().isMinimized());
    EXPECT_EQ(view.qtRefreshTimer().interval(), 700);
    EXPECT_TRUE(view.qtRefreshTimer().isActive());

    const std::string one = machine.disc("one");
    makeAutorunDisc(one, "[AutoRun]\r\nopen=setup.sh\r\nicon=DISC.ICO\r\n");
    const std::string label = "とても長いディスクの名前\\x20第一巻";
    machine.insert(0, one, label);
    machine.poll();
    EXPECT_EQ(machine.volumeText('D'), "とても長いディスクの名前 第一巻");
    EXPECT_TRUE(machine.buttonEnabled('D'));
    EXPECT_TRUE(machine.buttonHasIcon('D'));
    EXPECT_TRUE(view.visible()) << "AutoOpen shows the window for a new autorun disc";
    EXPECT_GT(machine.clientWidth(), 133) << "the long label widens the window";
    const int labelRight =
        machine.volumeLabel('D').geometry().left() + machine.volumeLabel('D').geometry().width();
    EXPECT_GE(machine.clientWidth(), labelRight) << "the whole label fits in the window";
    EXPECT_EQ(machine.menuItem('D'), "(D:) とても長いディスクの名前 第一巻");
    EXPECT_EQ(view.qtRefreshTimer().interval(), 300) << "after a change the next poll comes at ChangeTimer";
    EXPECT_TRUE(machine.entryExists("(D) とても長いディスクの名前 第一巻"));
    machine.poll();
    EXPECT_EQ(view.qtRefreshTimer().interval(), 700) << "a poll without change returns to RefreshTimer";

    // Swapped for another autorun disc: the first poll empties the row, the second fills it.
    const std::string two = machine.disc("two");
    makeAutorunDisc(two, "[AutoRun]\r\nopen=setup.sh\r\n");
    machine.insert(0, two, "TWO");
    machine.poll();
    EXPECT_EQ(machine.volumeText('D'), "");
    EXPECT_FALSE(machine.buttonEnabled('D'));
    EXPECT_FALSE(machine.entryExists("(D) とても長いディスクの名前 第一巻"));
    machine.poll();
    EXPECT_EQ(machine.volumeText('D'), "TWO");
    EXPECT_TRUE(machine.buttonEnabled('D'));
    EXPECT_TRUE(machine.entryExists("(D) TWO"));
    EXPECT_EQ(view.qtRefreshTimer().interval(), 300);

    // A disc without AUTORUN.INF in E:, and D:'s disc removed.
    const std::string data = machine.disc("data");
    writeFile(data + "/readme.txt", "x");
    machine.insert(1, data, "DATA");
    machine.eject(0);
    machine.poll();
    EXPECT_FALSE(machine.buttonEnabled('D'));
    EXPECT_FALSE(machine.buttonEnabled('E'));
    EXPECT_EQ(machine.volumeText('E'), "");
    EXPECT_EQ(machine.menuItem('D'), "");
    EXPECT_FALSE(machine.entryExists("(D) TWO"));
    EXPECT_EQ(view.qtRefreshTimer().interval(), 300);
}

// Runs the event loop until `done` holds, for at most five seconds (a bound, not a measure of speed).
bool eventsUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

TEST(QtMainView, aDiscMountedOrUnmountedShowsWithoutWaitingForTheTimer) {
    Machine machine(2);
    machine.settings("[Status]\nRefreshTimer=60000\nChangeTimer=60000\n");
    machine.start();
    const std::string one = machine.disc("one");
    makeAutorunDisc(one, "[AutoRun]\r\nopen=setup.sh\r\n");
    machine.insert(1, one, "ONE");
    EXPECT_TRUE(eventsUntil([&] { return machine.volumeText('E') == "ONE"; })) << "mounted";
    EXPECT_TRUE(machine.buttonEnabled('E'));
    machine.eject(1);
    EXPECT_TRUE(eventsUntil([&] { return !machine.buttonEnabled('E'); })) << "unmounted";
    EXPECT_EQ(machine.view().qtRefreshTimer().interval(), 60000);
}

TEST(QtMainView, letterKeysToggleOnceWhetherTheWindowOrAButtonHasTheFocus) {
    Machine machine(1);
    machine.start();
    qtui::QtMainView& view = machine.view();
    ASSERT_EQ(machine.rowCount(), 1);
    const auto registration = [&](char letter) { return machine.registration(letter); };
    const auto press = [&](QWidget& target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent down(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&target, &down);
        // The release goes where the focus is now (the key may have made the rows anew); a key never
        // released would make the next press of it a repeat.
        QWidget* focus = view.window().focusWidget();
        QKeyEvent up(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(focus ? focus : &view.window(), &up);
        QApplication::processEvents(); // unloaded rows are deleted once the event has returned
    };

    press(view.window(), Qt::Key_G);
    EXPECT_EQ(registration('G'), "True");
    EXPECT_EQ(machine.rowCount(), 2);
    EXPECT_EQ(machine.clientHeight(), 98);
    // The key reaches the focused button first; the window must not count it a second time.
    press(machine.button('D'), Qt::Key_G, Qt::ShiftModifier);
    EXPECT_EQ(registration('G'), "False");
    EXPECT_EQ(machine.rowCount(), 1);
    EXPECT_EQ(machine.clientHeight(), 49) << "the rows were rebuilt: one row";
    press(machine.button('D'), Qt::Key_5);
    press(view.window(), Qt::Key_Left);
    EXPECT_EQ(registration('G'), "False");
    EXPECT_EQ(registration('D'), "True");
    EXPECT_EQ(machine.rowCount(), 1);
}

// A key event as the window gets it.
struct KeyStep {
    QEvent::Type type;
    bool autoRepeat;
    quint64 time; // the X server's, in milliseconds
};

TEST(QtMainView, aHeldKeyCountsOnceHoweverItsRepeatsArrive) {
    constexpr auto P = QEvent::KeyPress;
    constexpr auto R = QEvent::KeyRelease;
    struct Case {
        const char* name;
        std::vector<KeyStep> steps;
        const char* registered;
    };
    const Case cases[] = {
        {"one press", {{P, false, 100}}, "True"},
        {"repeats Qt marked", {{P, false, 100}, {R, true, 760}, {P, true, 760}, {R, false, 800}}, "True"},
        {"a release and a press at one time", {{P, false, 100}, {R, false, 760}, {P, false, 760}}, "True"},
        {"presses alone while the key is down", {{P, false, 100}, {P, false, 140}, {P, false, 180}}, "True"},
        {"pressed again after a release", {{P, false, 100}, {R, false, 200}, {P, false, 400}}, "False"},
        {"events with no time", {{P, false, 0}, {R, false, 0}, {P, false, 0}}, "False"},
    };
    for (const Case& c : cases) {
        Machine machine(1);
        machine.start();
        for (const KeyStep& step : c.steps) {
            QKeyEvent event(step.type, Qt::Key_G, Qt::NoModifier, QStringLiteral("g"), step.autoRepeat);
            event.setTimestamp(step.time);
            QApplication::sendEvent(&machine.view().window(), &event);
            QApplication::processEvents();
        }
        EXPECT_EQ(machine.registration('G'), c.registered) << c.name;
    }
}

TEST(QtMainView, closingHidesWhenResidentAndEndsOtherwise) {
    for (const bool standby : {true, false}) {
        Machine machine(1);
        machine.settings(standby ? "[Mode]\nstandby=True\n" : "[Mode]\nstandby=False\n");
        machine.start();
        qtui::QtMainView& view = machine.view();
        ASSERT_TRUE(view.visible());
        view.window().close();
        // Resident without a notification area (offscreen has none), the window waits minimized.
        EXPECT_EQ(view.visible(), standby) << standby;
        EXPECT_EQ(view.window().isMinimized(), standby) << standby;
        EXPECT_EQ(view.closed(), !standby);
        EXPECT_EQ(view.qtRefreshTimer().isActive(), standby) << "an unloaded window polls no more";
        const std::string ini = readFile(machine.settingsFile());
        EXPECT_EQ(ini.find("[Window]") != std::string::npos, !standby) << ini;
    }
}

TEST(QtMainView, dropsHandLocalFilesToThePresenter) {
    Machine machine(1);
    machine.start();
    // Web addresses alone are refused.
    QMimeData web;
    web.setUrls({QUrl("https://example.org/x")});
    QDropEvent refused(QPointF(5, 5), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&machine.view().window(), &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_FALSE(machine.view().qtEndTimer().isActive());

    // A dropped disc folder, among web addresses, launches its program and arms the end timer.
    const std::string folder = machine.disc("dropped");
    writeFile(folder + "/AUTORUN.INF", "[AutoRun]\r\nopen=missing-program\r\n");
    QMimeData mime;
    mime.setUrls({QUrl("https://example.org/x"), QUrl::fromLocalFile(QString::fromStdString(folder))});
    // Over a label: the label passes the drag on to the window, which takes the drop.
    QLabel& label = machine.driveLabel('D');
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&label, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&label, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_TRUE(machine.view().qtEndTimer().isActive());
    ASSERT_EQ(machine.messages.shown.size(), 1u) << "the missing program is reported";
    EXPECT_NE(machine.messages.shown[0].find("missing-program"), std::string::npos)
        << machine.messages.shown[0];
}

TEST(QtIcons, hostileOrMissingIconFilesGiveNoPicture) {
    application();
    TempDir dir;
    qtui::QtIcons icons([](std::string_view path) { return std::string(path); });
    const std::string good = dir / "good.ico";
    writeFile(good, icoBytes());
    EXPECT_TRUE(icons.iconFile(good).ok());
    EXPECT_TRUE(icons.programIcon().ok());
    EXPECT_EQ(qtui::programIcon().availableSizes().size(), 5u) << "the theme's sizes up to 128 pixels";

    std::string huge = icoBytes();
    huge[6] = huge[7] = 0; // 256 x 256 declared for a 16 x 16 image
    const std::vector<std::pair<std::string, std::string>> cases{
        {"empty", ""},
        {"header only", std::string("\0\0\1\0\1\0", 6)},
        {"entry past the end", std::string("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0\xff\xff\0\0\x16\0\0\0", 22)},
        {"thousands of images declared", std::string("\0\0\1\0\xff\xff", 6) + std::string(64, '\x01')},
        {"not an icon", "hello world"},
        {"wrong size in the entry", huge},
    };
    for (const auto& [name, bytes] : cases) {
        writeFile(dir / "bad.ico", bytes);
        auto picture = icons.iconFile(dir / "bad.ico");
        // Qt may still decode a mislabelled image; it must never crash or hang, nor give an empty icon.
        if (picture) {
            EXPECT_FALSE(dynamic_cast<qtui::QtPicture&>(**picture).icon().isNull()) << name;
        }
    }
    EXPECT_FALSE(icons.iconFile(dir / "missing.ico").ok());
    EXPECT_FALSE(icons.iconFile(dir.str()).ok()) << "a folder";
    // A disc may carry a named pipe under an icon's name: no writer ever comes, and nothing may wait.
    ASSERT_EQ(::mkfifo((dir / "pipe.ico").c_str(), 0600), 0);
    EXPECT_FALSE(icons.iconFile(dir / "pipe.ico").ok());
    EXPECT_EQ(icons.writePng(dir / "pipe.ico", dir / "cache"), "");
    EXPECT_FALSE(icons.programFileIcon(good, 0, false).ok()) << "an icon file is no program file";
    EXPECT_FALSE(icons.programFileIcon(dir / "missing.exe", 0, false).ok());

    // Start-menu entries get the icon as a PNG, shared by equal icons; no icon gives no file.
    const std::string png = icons.writePng(good, dir / "cache");
    ASSERT_FALSE(png.empty());
    EXPECT_EQ(readFile(png).substr(0, 4), "\x89PNG");
    EXPECT_EQ(icons.writePng(good + ",0", dir / "cache"), png);
    EXPECT_EQ(icons.writePng(dir / "missing.ico", dir / "cache"), "");
    EXPECT_EQ(icons.writePng(good + ",x", dir / "cache"), "") << "an index that is no number";
}

} // namespace

namespace {

TEST(ShortcutIcon, theConverterGivesTheEntryItsImageAndFallsBackToTheFile) {
    TempDir dir;
    writeFile(dir / "disc/DISC.ICO", "x");
    const auto resolve = [&](std::string_view path) {
        std::string p(path);
        return p.rfind("E:\\", 0) == 0 ? dir / ("disc/" + p.substr(3)) : p;
    };
    std::vector<std::string> asked;
    const lnx::IconConverter convert = [&](const std::string& location) {
        asked.push_back(location);
        return location.find("SETUP") != std::string::npos ? std::string("/cache/icon.png") : std::string();
    };
    EXPECT_EQ(lnx::shortcutEntry("n", {"setup.sh", "", "E:\\", "E:\\SETUP.EXE,2"}, resolve, convert).icon,
              "/cache/icon.png");
    EXPECT_EQ(lnx::shortcutEntry("n", {"setup.sh", "", "E:\\", "E:\\DISC.ICO"}, resolve, convert).icon,
              dir / "disc/DISC.ICO")
        << "without an image the icon file itself is named";
    EXPECT_EQ(lnx::shortcutEntry("n", {"setup.sh", "", "E:\\", ""}, resolve, convert).icon, "");
    EXPECT_EQ(asked, (std::vector<std::string>{"E:\\SETUP.EXE,2", "E:\\DISC.ICO"})) << "no icon, no question";
}

} // namespace
