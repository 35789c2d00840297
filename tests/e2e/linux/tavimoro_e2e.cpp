// The program for the end-to-end tests: its drives come from a simulated machine. Each variable that
// is set replaces one place the drive data is read from.
#include "qt/QtProgram.h"

#include <cstdlib>

int main(int argc, char** argv) {
    lnx::DriveSourceConfig config;
    const auto take = [](const char* variable, std::string& place) {
        if (const char* value = std::getenv(variable); value && *value)
            place = value;
    };
    take("TAVIMORO_TEST_SYSFS", config.sysBlock);
    take("TAVIMORO_TEST_UDEV", config.udevData);
    take("TAVIMORO_TEST_MOUNTINFO", config.mountinfo);
    take("TAVIMORO_TEST_DEV", config.devDir);
    return qtui::runProgram(argc, argv, config);
}
