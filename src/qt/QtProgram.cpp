#include "qt/QtProgram.h"

#include "app/code_main.h"
#include "linux/DiscPaths.h"
#include "linux/InstanceSocket.h"
#include "linux/LinuxCodec.h"
#include "linux/LinuxFileSystem.h"
#include "linux/LinuxProcess.h"
#include "linux/LinuxScriptHost.h"
#include "linux/LinuxSpecialFolders.h"
#include "linux/LinuxVolumes.h"
#include "qt/InstanceChannel.h"
#include "qt/QtIcons.h"
#include "qt/QtMainView.h"
#include "qt/QtMessageBox.h"
#include "qt/QtSessionEnd.h"
#include "ui/frm_main.h"

#include <QApplication>
#include <QDBusConnection>
#include <cstdlib>
#include <string>
#include <vector>

namespace qtui {

std::string iconCacheFolder() {
    const std::string cache = lnx::xdgFolder("XDG_CACHE_HOME", ".cache");
    return cache.empty() ? std::string() : cache + "/tavimoro/";
}

LinuxPlatform::LinuxPlatform(std::string argv0, std::vector<std::string> arguments,
                             const lnx::DriveSourceConfig& driveConfig)
    : process(std::move(argv0), std::move(arguments)), drives(driveConfig), discPaths(drives),
      icons([this](std::string_view path) { return discPaths.resolve(path); }),
      files([this](const std::string& path) { return discPaths.resolve(path); }),
      // Start-menu entries show the disc's icon as a PNG: desktops cannot read icons inside programs.
      scriptHost(
          entryFiles, drives, [this](std::string_view path) { return discPaths.resolve(path); },
          [this](const std::string& iconLocation) {
              const std::string folder = iconCacheFolder();
              return folder.empty() ? std::string() : icons.writePng(iconLocation, folder);
          },
          [](const std::string& target) {
              const std::string folder = iconCacheFolder();
              return folder.empty() ? std::string() : lnx::utf8Link(target, folder + "links");
          }),
      volumes(drives) {
    process.setActivator(
        [this](const std::string& title) { return lnx::requestActivation(process.channelPath(), title); });
}

QtWindow::QtWindow(port::IIcons& icons, TrayHost host, const lnx::DriveSource& drives)
    : view(programIcon()), tray(programIcon(), host), systemMenu(view.window()), windowTop(view.window()),
      dialogs(programIcon()),
      deviceEvents(drives), services{view, icons, tray, popup, systemMenu, windowTop, dialogs, deviceEvents} {
}

int runProgram(int argc, char** argv, const lnx::DriveSourceConfig& driveConfig) {
    // Without a display Qt would refuse to start; the command-line launch needs no screen.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // QApplication takes its own options (-platform, -style ...) out of argv; the rest is ours.
    QApplication application(argc, argv);

    LinuxPlatform platform(argc > 0 ? argv[0] : "tavimoro", std::vector<std::string>(argv + 1, argv + argc),
                           driveConfig);
    lnx::LinuxProcess& process = platform.process;
    app::Program program(platform.services);

    const app::StartOutcome outcome = app::code_main::SubMain(program);
    if (outcome == app::StartOutcome::Ended)
        return 0;

    // From here on this is the resident instance: a second one asks it, through the channel, to bring
    // the "AutoRun" window forward.
    InstanceChannel channel;
    channel.listen(process.channelPath());

    // Entries for discs that a run ended without cleaning up (killed, say) left in the Start menu.
    lnx::removeStaleEntries(program.StartMenuFolder,
                            [&](const std::string& drive) { return platform.volumes.volumeLabel(drive); });

    // The presenter goes first: its drive records point at the window's controls.
    QtWindow window(platform.icons, trayHostOn(QDBusConnection::sessionBus()), platform.drives);
    app::frm_main form(program, window.services);
    window.tray.setHandler([&form](int message) { form.TaskIconMessage(message); });
    const QtSessionEnd sessionEnd([&form] { form.EndSession(); });
    form.Start(outcome);
    const int status = QApplication::exec();
    window.tray.setHandler(nullptr);
    return status;
}

} // namespace qtui
