#pragma once
// What the program keeps between runs: the six "Mode" preferences and the two "Status" intervals.
#include <cstdint>
#include <string>

namespace app {

class IniClass;

struct Settings {
    bool standby = false;
    bool WindowTop = false;
    bool VolumeName = false;
    bool AutoOpen = false;
    bool AutoShortcut = false;
    bool StartMode = false;
    std::int32_t RefreshTimer = 0;
    std::int32_t ChangeTimer = 0;
};

// Fills `settings` from the settings file and writes both intervals back, so that they appear in the
// file from the first run on.
void LoadSettings(IniClass& accessor, Settings& settings);

// How a stored Boolean reads: "True"/"False" in any letter case, or a number (0 false); anything else
// reads as `fallback`.
bool readBoolean(const std::string& text, bool fallback);

} // namespace app
