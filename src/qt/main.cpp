// The Linux program: the Qt application over the project's Linux services.
#include "qt/QtProgram.h"

int main(int argc, char** argv) {
    return qtui::runProgram(argc, argv, lnx::DriveSourceConfig{});
}
