#pragma once
// What the program keeps between runs, and where each piece lives in the settings file: the six
// preferences of section "Mode", the two poll intervals of "Status", the drives registered in "CD". Each
// key is spelled here once, with its default; the load, the settings dialog and the saves go through it.
#include "port/Window.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace app {

class IniFile;

struct Settings {
    bool resident = false;           // standby: an icon in the notification area; closing only hides
    bool keepOnTop = false;          // WindowTop
    bool showLabels = true;          // VolumeName: the volume labels beside the buttons
    bool openOnNewDisc = false;      // AutoOpen: a new autorun disc shows the window
    bool startMenuEntries = false;   // AutoShortcut: a Start-menu entry for every autorun disc
    bool startHidden = false;        // StartMode: a resident start shows no window
    std::int32_t pollInterval = 0;   // RefreshTimer, ms
    std::int32_t changeInterval = 0; // ChangeTimer, ms: the next poll after one that saw a change
};

inline constexpr const char* kModeSection = "Mode";
inline constexpr const char* kStatusSection = "Status";
inline constexpr const char* kDriveSection = "CD";
inline constexpr const char* kWindowSection = "Window";

// A Boolean preference of section "Mode".
struct Preference {
    const char* key;
    bool Settings::*field;
    bool fallback;
};
// In the order the settings dialog writes them.
inline constexpr std::array<Preference, 6> kPreferences{{
    {"WindowTop", &Settings::keepOnTop, false},
    {"VolumeName", &Settings::showLabels, true},
    {"standby", &Settings::resident, false},
    {"AutoOpen", &Settings::openOnNewDisc, false},
    {"AutoShortcut", &Settings::startMenuEntries, false},
    {"StartMode", &Settings::startHidden, false},
}};

// A poll interval of section "Status", in milliseconds.
struct Interval {
    const char* key;
    std::int32_t Settings::*field;
};
inline constexpr std::int32_t kIntervalDefault = 1000;
inline constexpr std::array<Interval, 2> kIntervals{{
    {"RefreshTimer", &Settings::pollInterval},
    {"ChangeTimer", &Settings::changeInterval},
}};

// Fills `settings` from the settings file and writes both intervals back, so that they appear in the
// file from the first run on.
void loadSettings(IniFile& file, Settings& settings);
// Writes the six preferences, in the order of kPreferences.
void savePreferences(IniFile& file, const Settings& settings);
// "AppNameCheck" in "Mode": show each shortcut as it is about to be written. Read anew every time, never
// kept: it has no place in the dialog.
bool reviewShortcuts(IniFile& file);

// The registration of drive `letter` ('A' to 'Z'): "Drive_E" in section "CD".
bool driveRegistered(IniFile& file, char letter);
void setDriveRegistered(IniFile& file, char letter, bool registered);
// The registered letters, A to Z.
std::vector<char> registeredDrives(IniFile& file);

// The drive window's outer placement under [Window], stored in twips (1/1440 inch) as the window was
// designed in, and converted from and to a view's units here alone. Its keys are "frm_main_Top",
// "frm_main_Left", "frm_main_Width" and "frm_main_Height": named after the window that first wrote them,
// so that the settings files of earlier versions keep their place.
inline constexpr const char* kPlacementName = "frm_main";
// The stored placement in units of `unitsPerInch` an inch; each value missing, or not a number, stays as
// `current` has it.
port::Rect loadPlacement(IniFile& file, const port::Rect& current, double unitsPerInch);
void savePlacement(IniFile& file, const port::Rect& placement, double unitsPerInch);

// How a stored Boolean reads: "True"/"False" in any letter case, or a number (0 false); anything else
// reads as `fallback`.
bool readBoolean(const std::string& text, bool fallback);
const char* booleanText(bool value);

} // namespace app
