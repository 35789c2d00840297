#include "app/IniFile.h"

#include "app/Profile.h"
#include "app/Settings.h"
#include "app/Text.h"
#include "port/Paths.h"

#include <charconv>
#include <cmath>

namespace app {

namespace {

// Every read goes through a buffer of this size, as the Windows profile API is called with it.
constexpr std::size_t kBufferSize = 4096;

// Files the program creates get the platform's own line breaks.
profile::Newline newFileStyle() {
    return port::pathSeparator() == '\\' ? profile::Newline::CrLf : profile::Newline::Lf;
}

// A single-precision number as decimal text, the shortest text that reads back as the same number.
std::string singleText(float value) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

// A stored number, or nothing when the text is not one (blanks around it are allowed).
std::optional<float> readSingle(std::string_view text) {
    return parseNumber<float>(trim(text, " \t"));
}

// Top, Left, Width and Height, in the order they are stored and restored.
struct Placement {
    const char* suffix;
    float (port::IPlacedWindow::*get)();
    void (port::IPlacedWindow::*set)(float);
};
constexpr Placement kPlacements[] = {
    {"_Top", &port::IPlacedWindow::top, &port::IPlacedWindow::setTop},
    {"_Left", &port::IPlacedWindow::left, &port::IPlacedWindow::setLeft},
    {"_Width", &port::IPlacedWindow::width, &port::IPlacedWindow::setWidth},
    {"_Height", &port::IPlacedWindow::height, &port::IPlacedWindow::setHeight},
};

} // namespace

IniFile::IniFile(port::IFileSystem& files, port::ITextCodec& codec) : m_files(files), m_codec(codec) {}

const std::string& IniFile::sectionOrCurrent(const std::string& section) const {
    return section.empty() ? m_section : section;
}

std::string IniFile::read(const std::string& key, const std::string& fallback, const std::string& section) {
    return profile::getProfileString(m_files, m_codec, m_file, sectionOrCurrent(section), key, fallback,
                                     kBufferSize);
}

std::optional<SettingTable> IniFile::readSection(const std::string& section) {
    return splitSection(readSectionBuffer(sectionOrCurrent(section)));
}

void IniFile::write(const std::string& key, const std::string& setting, const std::string& section) {
    profile::writeProfileString(m_files, m_codec, m_file, sectionOrCurrent(section), key, setting,
                                newFileStyle());
}

void IniFile::remove(const std::string& key, const std::string& section) {
    const std::string& target = sectionOrCurrent(section);
    if (key.empty()) {
        profile::deleteProfileSection(m_files, m_codec, m_file, target);
        return;
    }
    // Only the key's own lines go. Rebuilding the section from a section read instead would lose its
    // comments, its lines without "=", everything past the read buffer and its place in the file.
    profile::deleteProfileKey(m_files, m_codec, m_file, target, key);
}

port::FontRecord IniFile::readFont(const std::string& key, const port::FontRecord& font,
                                   const std::string& section) {
    port::FontRecord result;
    result.name = read(key + "_Name", font.name, section);
    result.size = readSingle(read(key + "_Size", singleText(font.size), section)).value_or(font.size);
    auto flag = [&](const char* suffix, bool current) {
        return readBoolean(read(key + suffix, booleanText(current), section), current);
    };
    result.bold = flag("_Bold", font.bold);
    result.italic = flag("_Italic", font.italic);
    result.strikethrough = flag("_Strikethrough", font.strikethrough);
    result.underline = flag("_Underline", font.underline);
    return result;
}

void IniFile::writeFont(const std::string& key, const port::FontRecord& font, const std::string& section) {
    write(key + "_Name", font.name, section);
    write(key + "_Size", singleText(font.size), section);
    write(key + "_Bold", booleanText(font.bold), section);
    write(key + "_Italic", booleanText(font.italic), section);
    write(key + "_Strikethrough", booleanText(font.strikethrough), section);
    write(key + "_Underline", booleanText(font.underline), section);
}

void IniFile::readPlacement(port::IPlacedWindow& window, const std::string& section) {
    const std::string name = window.name();
    for (const Placement& p : kPlacements) {
        // The current value is the default, so a missing entry leaves the window as it is; a stored text
        // that is not a number does the same.
        float current = (window.*p.get)();
        auto stored = readSingle(read(name + p.suffix, singleText(current), section));
        (window.*p.set)(stored.value_or(current));
    }
}

void IniFile::writePlacement(port::IPlacedWindow& window, const std::string& section) {
    const std::string name = window.name();
    for (const Placement& p : kPlacements)
        write(name + p.suffix, singleText((window.*p.get)()), section);
}

void IniFile::readList(const std::string& key, std::vector<std::string>& list, const std::string& section) {
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i] = read(key + "_" + std::to_string(i), list[i], section);
}

void IniFile::writeList(const std::string& key, const std::vector<std::string>& list,
                        const std::string& section) {
    for (std::size_t i = 0; i < list.size(); ++i)
        write(key + "_" + std::to_string(i), list[i], section);
}

std::string IniFile::readSectionBuffer(const std::string& section) {
    // Entries each end in a NUL and the list in a second one; what does not fit in the buffer is cut,
    // and the buffer still ends in two NULs.
    std::string raw;
    for (const std::string& line : profile::getProfileSection(m_files, m_codec, m_file, section)) {
        raw += line;
        raw += '\0';
        if (raw.size() > kBufferSize)
            break;
    }
    if (raw.size() + 1 > kBufferSize) {
        raw.resize(kBufferSize - 2);
        raw += '\0';
    }
    raw += '\0';
    return raw;
}

std::optional<SettingTable> splitSection(const std::string& raw) {
    SettingTable table;
    std::size_t pos = 0;
    while (pos < raw.size()) {
        std::size_t end = raw.find('\0', pos);
        if (end == std::string::npos)
            end = raw.size();
        std::string_view entry(raw.data() + pos, end - pos);
        if (entry.size() < 2)
            break;
        std::size_t eq = entry.find('=');
        if (eq != std::string_view::npos)
            table.emplace_back(std::string(entry.substr(0, eq)), std::string(entry.substr(eq + 1)));
        pos = end + 1;
    }
    if (table.empty())
        return std::nullopt;
    return table;
}

} // namespace app
