// An icon file from a disc (AUTORUN.INF "icon=DISC.ICO"), read into the icon a button shows: the input is
// the file's bytes. Qt's own image readers do the decoding; the program's part is what it hands them.
#include "FuzzSupport.h"
#include "qt/QtIcons.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** argv) {
    // Pixmaps need a running GUI; the offscreen platform gives one without a display. Qt gets a command
    // line of its own: it would take out the options it knows from libFuzzer's.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    static QGuiApplication application(qtArgc, qtArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QIcon icon = qtui::iconFromIcoData(bytes, qtui::kPictureSide);
    fuzz::check(icon.isNull() == icon.availableSizes().isEmpty(),
                "an icon has a picture exactly when it is not null");
    return 0;
}
