// A disc's program line written as a Start-menu desktop entry, then read back.
//
// The input's NUL-separated pieces are a program path, its argument text, a working folder and a volume
// label, as a disc's AUTORUN.INF and its label give them. The entry is published into a Start menu of its
// own; its Exec line, read by the Desktop Entry rules as a launcher reads it (string escapes undone, then the
// quoting rules, then %% to %), must give exactly the intended arguments ("wine" for a Windows program,
// the program, then its argument text split by the Windows rules). The file name made from the label
// must stay in its folder.
#include "FuzzSupport.h"
#include "drives/Shortcuts.h"
#include "linux/DesktopEntry.h"
#include "linux/LinuxFileSystem.h"
#include "linux/LinuxStartMenu.h"
#include "linux/ShortcutMessages.h"
#include "linux/WindowsCommandLine.h"

#include <algorithm>
#include <fstream>
#include <map>

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// A disc mounted on /media/cd: "E:\Bin\X.EXE" is "/media/cd/Bin/X.EXE". No file on it exists.
std::string resolveOnDisc(std::string_view path) {
    std::string out(path);
    if (out.size() >= 2 && out[1] == ':')
        out = "/media/cd/" + out.substr(2);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

bool controlCharacter(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}

// The string escapes of a value: \s \n \t \r \\. The writer never needs any other.
std::optional<std::string> unescapeString(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        switch (value[i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

// Characters an argument holds only inside double quotes.
bool reservedInExec(char c) {
    return std::string_view(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos;
}

// An Exec value (string escapes already undone) by the quoting rules: arguments separated by spaces,
// each either wholly in double quotes (where " ` $ \ take a backslash) or free of reserved characters;
// then %% is a literal %, and any other % would be a field code, which the writer must never make.
std::optional<Args> execArguments(std::string_view exec) {
    Args args;
    std::size_t i = 0;
    while (i < exec.size()) {
        if (exec[i] == ' ') {
            ++i;
            continue;
        }
        std::string arg;
        if (exec[i] == '"') {
            for (++i;; ++i) {
                if (i >= exec.size())
                    return std::nullopt; // the quote is never closed
                if (exec[i] == '"')
                    break;
                if (exec[i] == '\\') {
                    if (++i >= exec.size() ||
                        std::string_view("\"`$\\").find(exec[i]) == std::string_view::npos)
                        return std::nullopt;
                }
                arg += exec[i];
            }
            if (++i < exec.size() && exec[i] != ' ')
                return std::nullopt; // quotes must enclose the whole argument
        } else {
            for (; i < exec.size() && exec[i] != ' '; ++i) {
                if (reservedInExec(exec[i]))
                    return std::nullopt;
                arg += exec[i];
            }
        }
        std::string plain;
        for (std::size_t k = 0; k < arg.size(); ++k) {
            if (arg[k] == '%' && (++k == arg.size() || arg[k] != '%'))
                return std::nullopt;
            plain += arg[k];
        }
        args.push_back(std::move(plain));
    }
    return args;
}

// The keys of the file's one group, each line "Key=value" with the value's escapes still in.
std::map<std::string, std::string> readGroup(const std::string& text) {
    std::vector<std::string_view> lines = fuzz::split(text, '\n');
    fuzz::check(lines.size() >= 2 && lines.front() == "[Desktop Entry]" && lines.back().empty(),
                "a desktop entry is one group of whole lines", text);
    std::map<std::string, std::string> keys;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::string_view line = lines[i];
        for (unsigned char c : line)
            fuzz::check(c >= 0x20 && c != 0x7F, "a line holds no control character", line);
        const std::size_t eq = line.find('=');
        fuzz::check(eq != std::string_view::npos, "every line is a key and a value", line);
        const bool added = keys.emplace(line.substr(0, eq), line.substr(eq + 1)).second;
        fuzz::check(added, "every key is written once", line);
    }
    return keys;
}

// The Start menu in a folder of its own: $XDG_DATA_HOME/applications.
struct StartMenu {
    fuzz::TempFolder temp;
    lnx::LinuxFileSystem files;
    lnx::EntryWriter entries{files, resolveOnDisc};
    lnx::LinuxStartMenu menu{entries, files};
    std::string folder = temp / "applications/";
    StartMenu() {
        ::setenv("XDG_DATA_HOME", (temp / "").c_str(), 1);
        fuzz::check(menu.folder() == folder, "the Start menu is the data folder's applications");
        fs::create_directories(folder);
    }
};

void checkShortcut(StartMenu& start, const std::vector<std::string_view>& pieces) {
    const port::Shortcut shortcut{fuzz::piece(pieces, 0), fuzz::piece(pieces, 1), fuzz::piece(pieces, 2), ""};
    const std::string& arguments = shortcut.arguments;
    const std::string label = fuzz::piece(pieces, 3);

    // The file name stays in its folder, whatever the label holds.
    const std::string name = drives::startMenuEntryName(start.folder, 'E', label, start.menu.extension());
    fuzz::check(name.find('/') == std::string::npos && name.find('\0') == std::string::npos,
                "a shortcut name holds no separator", name);
    const fs::path file = fs::path(start.folder) / name;
    fuzz::check(file.lexically_normal().parent_path() == fs::path(start.temp / "applications"),
                "a shortcut stays in its folder", name);

    // What the shortcut is meant to start: its program, then the argument text split by the Windows rules.
    const std::string entryName = name.substr(0, name.size() - std::string_view(".desktop").size());
    const lnx::DesktopEntry entry = lnx::shortcutEntry(entryName, shortcut, resolveOnDisc);
    const Args& intended = entry.exec;
    // Or, for an address, a folder or a document, the desktop's opener gets that one thing alone.
    const Args split = lnx::splitWindowsCommandLine(arguments);
    const bool opened = intended.front() != "wine" && lnx::fileArgument(intended) + 1 == intended.size();
    fuzz::check(opened || (intended.size() > split.size() &&
                           std::equal(split.begin(), split.end(), intended.end() - long(split.size()))),
                "the disc's arguments reach the program as Windows splits them", arguments);

    bool storable = true;
    for (const std::string& text : intended)
        for (char c : text)
            storable = storable && !controlCharacter(static_cast<unsigned char>(c));
    for (char c : entry.name + entry.path)
        storable = storable && !controlCharacter(static_cast<unsigned char>(c));

    const auto published = start.menu.publish(name, shortcut, {});
    if (!storable) {
        fuzz::check(!published && published.failure().reason == lnx::kShortcutUnstorable,
                    "control characters are refused", name);
        return;
    }
    if (!published)
        return; // a name too long for the file system: the write fails and nothing is left behind
    fuzz::check(*published == file.string(), "the entry is the file named", *published);
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove(file);

    const std::map<std::string, std::string> keys = readGroup(text);
    const auto exec = keys.find("Exec");
    fuzz::check(exec != keys.end(), "the entry has an Exec line", text);
    const std::optional<std::string> unescaped = unescapeString(exec->second);
    fuzz::check(unescaped.has_value(), "the Exec value uses only the string escapes", exec->second);
    const std::optional<Args> args = execArguments(*unescaped);
    fuzz::check(args.has_value(), "the Exec value follows the quoting rules", *unescaped);
    fuzz::check(*args == intended, "the Exec line gives exactly the intended arguments", *unescaped);

    const std::optional<lnx::DesktopEntry> read = lnx::readDesktopEntry(text);
    fuzz::check(read && read->exec == intended, "the program's own reader gives the same arguments", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static StartMenu start;
    checkShortcut(start, fuzz::split(fuzz::asText(data, size), '\0'));
    return 0;
}
