#include "app/Settings.h"

#include "app/IniFile.h"
#include "app/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace app {
namespace {

constexpr std::int32_t kTimerMin = 0;
constexpr std::int32_t kTimerMax = 65535; // a timer interval takes 0 to 65535 ms

// A plain decimal number ("1", "-1", "0.0"): its truth is whether any digit is non-zero. Parsed by
// hand because the C library's conversion follows the user's locale.
std::optional<bool> numberTruth(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        text.remove_prefix(1);
    bool digits = false, nonZero = false, point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digits = true;
            nonZero = nonZero || c != '0';
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    return nonZero;
}

// An interval as stored: a decimal integer, clamped into what a timer takes. Digits beyond any
// integer type still clamp, by their sign; anything that is not an integer reads as the default.
std::int32_t readInterval(const std::string& text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return kIntervalDefault;
    long long value = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc::result_out_of_range || ptr != digits.data() + digits.size())
        return negative ? kTimerMin : kTimerMax;
    if (negative)
        value = -value;
    return static_cast<std::int32_t>(std::clamp<long long>(value, kTimerMin, kTimerMax));
}

// Top, Left, Width and Height, in the order they are stored.
constexpr std::array<std::pair<const char*, int port::Rect::*>, 4> kPlacementKeys{{
    {"_Top", &port::Rect::top},
    {"_Left", &port::Rect::left},
    {"_Width", &port::Rect::width},
    {"_Height", &port::Rect::height},
}};

// A single-precision number as decimal text, the shortest text that reads back as the same number.
std::string singleText(float value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

} // namespace

port::Rect loadPlacement(IniFile& file, const port::Rect& current, double unitsPerInch) {
    const IniFile::Snapshot snapshot(file);
    port::Rect placement = current;
    for (const auto& [suffix, field] : kPlacementKeys) {
        const std::string stored = file.read(kPlacementName + std::string(suffix), "", kWindowSection);
        if (const auto twips = parseNumber<float>(trim(stored, " \t")))
            placement.*field = static_cast<int>(std::lround(*twips * unitsPerInch / 1440));
    }
    return placement;
}

void savePlacement(IniFile& file, const port::Rect& placement, double unitsPerInch) {
    const IniFile::Snapshot snapshot(file);
    for (const auto& [suffix, field] : kPlacementKeys)
        static_cast<void>(file.write(kPlacementName + std::string(suffix),
                                     singleText(static_cast<float>(placement.*field * 1440 / unitsPerInch)),
                                     kWindowSection));
}

bool readBoolean(const std::string& text, bool fallback) {
    if (equalsIgnoreCase(text, "True"))
        return true;
    if (equalsIgnoreCase(text, "False"))
        return false;
    return numberTruth(text).value_or(fallback);
}

const char* booleanText(bool value) {
    return value ? "True" : "False";
}

void loadSettings(IniFile& file, Settings& settings) {
    const IniFile::Snapshot snapshot(file);
    for (const Preference& preference : kPreferences)
        settings.*preference.field = readBoolean(
            file.read(preference.key, booleanText(preference.fallback), kModeSection), preference.fallback);
    // Both intervals are written back so that they appear in the file from the first run on.
    for (const Interval& interval : kIntervals) {
        settings.*interval.field =
            readInterval(file.read(interval.key, std::to_string(kIntervalDefault), kStatusSection));
        static_cast<void>(file.write(interval.key, std::to_string(settings.*interval.field), kStatusSection));
    }
}

void savePreferences(IniFile& file, const Settings& settings) {
    const IniFile::Snapshot snapshot(file);
    for (const Preference& preference : kPreferences)
        static_cast<void>(file.write(preference.key, booleanText(settings.*preference.field), kModeSection));
}

bool reviewShortcuts(IniFile& file) {
    return readBoolean(file.read("AppNameCheck", "False", kModeSection), false);
}

namespace {
std::string driveKey(char letter) {
    return std::string("Drive_") + letter;
}
} // namespace

bool driveRegistered(IniFile& file, char letter) {
    return readBoolean(file.read(driveKey(letter), "False", kDriveSection), false);
}

void setDriveRegistered(IniFile& file, char letter, bool registered) {
    static_cast<void>(file.write(driveKey(letter), booleanText(registered), kDriveSection));
}

std::vector<char> registeredDrives(IniFile& file) {
    const IniFile::Snapshot snapshot(file);
    std::vector<char> letters;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (driveRegistered(file, letter))
            letters.push_back(letter);
    return letters;
}

} // namespace app
