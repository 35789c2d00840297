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

class IniClass {
  public:
    IniClass(port::IFileSystem& files, port::ITextCodec& codec);

    void SetFile(const std::string& path) { m_file = path; }
    void SetSection(const std::string& section) { m_section = section; }
    const std::string& file() const { return m_file; }

    std::string T_GetSetting(const std::string& key, const std::string& defaultValue,
                             const std::string& section = "");
    // Nothing when the section is missing or keeps no entry.
    std::optional<SettingTable> T_GetAllSettings(const std::string& section = "");
    void T_SaveSetting(const std::string& key, const std::string& setting, const std::string& section = "");
    // An empty key removes the whole section.
    void T_DeleteSetting(const std::string& key, const std::string& section = "");

    port::FontRecord FontGetSetting(const std::string& key, const port::FontRecord& font,
                                    const std::string& section = "");
    void FontSaveSetting(const std::string& key, const port::FontRecord& font,
                         const std::string& section = "");
    void FormGetSetting(port::IPlacedWindow& window, const std::string& section = "");
    void FormSaveSetting(port::IPlacedWindow& window, const std::string& section = "");
    void ListGetSetting(const std::string& key, std::vector<std::string>& list,
                        const std::string& section = "");
    void ListSaveSetting(const std::string& key, const std::vector<std::string>& list,
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
std::optional<SettingTable> SplitSection(const std::string& raw);

} // namespace app
