#pragma once
// The program's only way of reading and writing INI files: one object bound to one file, with a
// current section used whenever an operation's section argument is empty. Every call goes straight
// to the file; nothing is cached.
#include "port/FileSystem.h"
#include "port/TextCodec.h"
#include "port/Window.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace app {

using SettingTable = std::vector<std::pair<std::string, std::string>>;

class IniFile {
  public:
    IniFile(port::IFileSystem& files, port::ITextCodec& codec);

    void setFile(const std::string& path) { m_file = path; }
    void setSection(const std::string& section) { m_section = section; }
    const std::string& file() const { return m_file; }

    // The value as the Windows profile functions give it; `fallback` when the entry is missing.
    std::string read(const std::string& key, const std::string& fallback, const std::string& section = "");
    // Nothing when the section is missing or keeps no entry.
    std::optional<SettingTable> readSection(const std::string& section = "");
    void write(const std::string& key, const std::string& value, const std::string& section = "");
    // An empty key removes the whole section.
    void remove(const std::string& key, const std::string& section = "");

    port::FontRecord readFont(const std::string& key, const port::FontRecord& font,
                              const std::string& section = "");
    void writeFont(const std::string& key, const port::FontRecord& font, const std::string& section = "");
    // A window's placement under its name: "NAME_Top", "NAME_Left", "NAME_Width", "NAME_Height".
    void readPlacement(port::IPlacedWindow& window, const std::string& section = "");
    void writePlacement(port::IPlacedWindow& window, const std::string& section = "");
    void readList(const std::string& key, std::vector<std::string>& list, const std::string& section = "");
    void writeList(const std::string& key, const std::vector<std::string>& list,
                   const std::string& section = "");

  private:
    const std::string& sectionOrCurrent(const std::string& section) const;
    // A section read as the Windows profile API delivers it into a 4096-byte buffer.
    std::string readSectionBuffer(const std::string& section);

    port::IFileSystem& m_files;
    port::ITextCodec& m_codec;
    std::string m_file;
    std::string m_section;
};

// The raw text of a section read (entries each ending in NUL, then a second NUL) as a table.
std::optional<SettingTable> splitSection(const std::string& raw);

} // namespace app
