#include "qt/QtProgram.h"

#include "drives/PathLauncher.h"
#include "linux/CommandLine.h"
#include "linux/InstanceSocket.h"
#include "linux/Utf8Link.h"
#include "linux/WineDrives.h"
#include "linux/XdgFolders.h"
#include "program/Program.h"
#include "qt/InstanceChannel.h"
#include "qt/QtFonts.h"
#include "qt/QtSessionEnd.h"
#include "qt/UDisksMount.h"
#include "ui/Design.h"

#include <QApplication>
#include <QDBusConnection>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace qtui {

std::string iconCacheFolder() {
    const std::string cache = lnx::xdgFolder("XDG_CACHE_HOME", ".cache");
    return cache.empty() ? std::string() : cache + "/tavimoro/";
}

LinuxPlatform::LinuxPlatform(std::string argv0, std::vector<std::string> arguments,
                             const lnx::DriveSourceConfig& driveConfig)
    : process(std::move(argv0), std::move(arguments)), driveSource(driveConfig), discPaths(driveSource),
      icons([this](std::string_view path) { return discPaths.resolve(path); }),
      files([this](const std::string& path) { return discPaths.resolve(path); }),
      drives(driveSource, lnx::DiscActions{[](const std::string& device) {
                                               return mountWithUDisks(QDBusConnection::systemBus(), device);
                                           },
                                           [](const std::string& device, bool image) {
                                               return ejectWithUDisks(QDBusConnection::systemBus(), device,
                                                                      image);
                                           },
                                           [](const std::string& file) {
                                               return openImageWithUDisks(QDBusConnection::systemBus(), file);
                                           }}),
      // Start-menu entries show the disc's icon as a PNG: desktops cannot read icons inside programs.
      entries(
          entryFiles, [this](std::string_view path) { return discPaths.resolve(path); },
          [this](const std::string& icon) {
              const std::string folder = iconCacheFolder();
              return folder.empty() ? std::string() : icons.writePng(icon, folder);
          },
          [](const std::string& target) {
              const std::string folder = iconCacheFolder();
              return folder.empty() ? std::string() : lnx::utf8Link(target, folder + "links");
          }),
      // The launch names a disc's Windows program by the letter Wine gives the disc. A Start-menu entry
      // keeps this machine's path: it runs later, maybe in another prefix or after the letter is gone,
      // and wine itself takes an existing path for the letter of the prefix it runs in.
      launcher(entries, process.configFolder(),
               [this](const std::string& path) -> std::optional<std::string> {
                   const auto mount = discPaths.mountPointAtStart(path);
                   return mount ? lnx::wineDrivePath(lnx::winePrefix(), *mount, path) : std::nullopt;
               }),
      startMenu(entries, entryFiles) {
    process.setRequester([this](const lnx::InstanceRequest& request) {
        return lnx::sendRequest(process.channelPath(), request);
    });
}

QtWindow::QtWindow(QtIcons& icons, const QDBusConnection& bus, const lnx::DriveSource& drives)
    : view(icons.windowIcon()), tray(icons.windowIcon(), bus), systemMenu(view.window()),
      windowTop(view.window()), dialogs(icons.windowIcon()),
      deviceEvents(drives), services{view, icons, tray, popup, systemMenu, windowTop, dialogs, deviceEvents},
      m_icons(icons) {
    m_icons.setDevicePixelRatio([this] { return view.window().devicePixelRatioF(); });
}

QtWindow::~QtWindow() {
    m_icons.setDevicePixelRatio({});
}

int runProgram(int argc, char** argv, const lnx::DriveSourceConfig& driveConfig) {
    const std::string argv0 = argc > 0 ? argv[0] : "tavimoro";
    // Read before QApplication, which would take some of the program's arguments for its own, and would
    // need a display to answer --help.
    const lnx::CommandLine command =
        lnx::parseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    switch (command.action) {
    case lnx::CommandLine::Action::Help:
        std::fputs(lnx::usageText().c_str(), stdout);
        return 0;
    case lnx::CommandLine::Action::Version:
        std::fputs(lnx::versionText(lnx::LinuxProcess(argv0, {}).version()).c_str(), stdout);
        return 0;
    case lnx::CommandLine::Action::Wrong:
        lnx::LinuxProcess(argv0, {}).reportError(command.error);
        return 1;
    case lnx::CommandLine::Action::Run:
        break;
    }

    // Without a display Qt would refuse to start; the command-line launch needs no screen.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // QApplication sees its own options only: a path after "--" that looks like one stays a path. It
    // keeps the argument vector for its whole life.
    std::vector<std::string> toolkitArguments{argv0};
    toolkitArguments.insert(toolkitArguments.end(), command.toolkit.begin(), command.toolkit.end());
    std::vector<char*> toolkitArgv;
    for (std::string& argument : toolkitArguments)
        toolkitArgv.push_back(argument.data());
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = static_cast<int>(toolkitArguments.size());
    QApplication application(toolkitArgc, toolkitArgv.data());
    // A Wayland compositor knows the program by this name (its app id), and finds its icon and name in
    // the desktop entry of the same name.
    QGuiApplication::setDesktopFileName(QStringLiteral("tavimoro"));

    LinuxPlatform platform(argv0, command.operands, driveConfig);
    program::Program program(platform.services);
    const auto outcome = program.start();
    if (outcome == program::StartOutcome::Ended)
        return 0;
    if (outcome == program::StartOutcome::Failed)
        return 1;

    // The window's first text would wait for the system's font list: it is read meanwhile.
    const std::jthread fontWarmUp = warmUpFonts(ui::design::kLabelFont);

    // From here on this is the resident instance: a second one asks it, through the channel, to bring
    // its drive window (or one titled "AutoRun") forward, or to launch a path.
    InstanceChannel channel;
    channel.listen(platform.process.channelPath());

    // The presenter goes first: its drive records point at the window's controls.
    QtWindow window(platform.icons, QDBusConnection::sessionBus(), platform.driveSource);
    std::unique_ptr<ui::MainWindow> mainWindow;
    // The signals are handled before the window loads (it writes Start-menu entries as it does): one that
    // comes meanwhile ends the window once it is there.
    bool endAsked = false;
    const QtSessionEnd sessionEnd([&] {
        if (mainWindow)
            mainWindow->sessionEnding();
        else
            endAsked = true;
    });
    mainWindow = program.openWindow(window.services, outcome);
    if (endAsked)
        QMetaObject::invokeMethod(
            &application, [&mainWindow] { mainWindow->sessionEnding(); }, Qt::QueuedConnection);
    channel.setShowWindow([&mainWindow] { mainWindow->openWindow(); });
    // A path another start hands over is checked before the answer and launched after it, as a drop: a
    // launch that fails holds a message box open, which that start should not wait on.
    channel.setLaunch([&application, &mainWindow, &platform](const std::string& path) {
        if (!drives::PathLauncher::locate(platform.files, path))
            return false;
        QMetaObject::invokeMethod(
            &application, [&mainWindow, path] { mainWindow->filesDropped({path}); }, Qt::QueuedConnection);
        return true;
    });
    return QApplication::exec();
}

} // namespace qtui
