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
#include "ui/frm_main.h"

#include <QApplication>
#include <cstdlib>
#include <string>
#include <vector>

namespace qtui {

std::string iconCacheFolder() {
    const std::string cache = lnx::xdgFolder("XDG_CACHE_HOME", ".cache");
    return cache.empty() ? std::string() : cache + "/tavimoro/";
}

int runProgram(int argc, char** argv, const lnx::DriveSourceConfig& driveConfig) {
    // Without a display Qt would refuse to start; the command-line launch needs no screen.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // QApplication takes its own options (-platform, -style ...) out of argv; the rest is ours.
    QApplication application(argc, argv);

    std::vector<std::string> arguments(argv + 1, argv + argc);
    lnx::LinuxProcess process(argc > 0 ? argv[0] : "tavimoro", std::move(arguments));
    process.setActivator([&process](const std::string& title) {
        return lnx::requestActivation(process.channelPath(), title);
    });

    const lnx::DriveSource drives(driveConfig);
    const lnx::DiscPaths discPaths(drives);
    const auto resolve = [&discPaths](std::string_view path) { return discPaths.resolve(path); };
    QtIcons icons(resolve);
    lnx::LinuxFileSystem files([&discPaths](const std::string& path) { return discPaths.resolve(path); });
    lnx::LinuxCodec codec;
    // Start-menu entries show the disc's icon as a PNG: desktops cannot read icons inside programs.
    lnx::LinuxScriptHost scriptHost(drives, resolve, [&icons](const std::string& iconLocation) {
        const std::string folder = iconCacheFolder();
        return folder.empty() ? std::string() : icons.writePng(iconLocation, folder);
    });
    lnx::LinuxVolumes volumes(drives);
    lnx::LinuxSpecialFolders folders;
    QtMessageBox messages;

    port::Services services{process, files, codec, scriptHost, volumes, folders, messages};
    app::Program program(services);

    const app::StartOutcome outcome = app::code_main::SubMain(program);
    if (outcome == app::StartOutcome::Ended)
        return 0;

    // From here on this is the resident instance: a second one asks it, through the channel, to bring
    // the "AutoRun" window forward.
    InstanceChannel channel;
    channel.listen(process.channelPath());

    // The presenter goes before the view: its drive records point at the view's controls.
    QtMainView view(programIcon());
    app::frm_main form(program, view, icons);
    view.setPresenter(&form);
    form.Form_Load();
    if (outcome == app::StartOutcome::ShowMainWindow)
        view.setVisible(true);
    const int status = QApplication::exec();
    view.setPresenter(nullptr);
    return status;
}

} // namespace qtui
