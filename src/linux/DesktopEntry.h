#pragma once
// Desktop Entry files, the Linux form of a shortcut: the quoting of an Exec line, the string escaping of
// values, and the writing and reading of the few keys a launcher needs.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lnx {

// One argument as it goes into an Exec line: double-quoted (with " ` $ \ backslashed) when it holds a
// reserved character or is empty; every % doubled so that no field code can appear.
std::string quoteExecArgument(std::string_view arg);
// The whole Exec line for an argument vector (before string escaping).
std::string joinExecLine(const std::vector<std::string>& argv);
// The Exec line split back into arguments (after string unescaping): quoted parts lose their quotes and
// backslashes, %% becomes %, a field code (%f, %U, ...) is dropped. Nothing when a quote is left open,
// a quoted part has a backslash before any other character, or a lone % ends the line.
std::optional<std::vector<std::string>> splitExecLine(std::string_view line);

// The escaping of a value of type string: \ \n \t \r written as escapes; a leading blank as \s.
std::string escapeValue(std::string_view value);
// The inverse; an unknown escape keeps its character, a backslash at the very end is kept.
std::string unescapeValue(std::string_view value);

// True when the text can be stored in a value: no NUL and no control character other than
// tab, line feed and carriage return (which have escapes).
bool storableInValue(std::string_view text);
// True for well-formed UTF-8: desktops refuse a file whose values are anything else.
bool isUtf8(std::string_view text);
// The text with every byte that is not part of well-formed UTF-8 replaced by U+FFFD.
std::string toUtf8Lossy(std::string_view text);

struct DesktopEntry {
    std::string name;
    std::vector<std::string> exec; // the program, then its arguments
    std::string path;              // the working folder; empty for none
    std::string icon;              // empty for none
    bool ours = false;             // carries the mark of the entries this program writes
};

// The extension of a Desktop Entry's file name.
inline constexpr std::string_view kDesktopExtension = ".desktop";
// True for a file name that ends in ".desktop" (in any letter case) with a name before it.
bool isDesktopFileName(std::string_view name);

// The key that marks the entries this program writes, so that it can tell them from a user's own.
inline constexpr const char* kOwnEntryKey = "X-Tavimoro-Shortcut";

// The file's text: group [Desktop Entry], Type=Application, Name, Exec, Path and Icon when given, and the
// mark of this program's entries.
std::string writeDesktopEntry(const DesktopEntry& entry);
// Reads the [Desktop Entry] group back. Nothing when the group or its Exec key is missing or the Exec
// line does not split. Localised keys (Name[ja]) and other groups are ignored.
std::optional<DesktopEntry> readDesktopEntry(std::string_view text);

} // namespace lnx
