#include "app/IniFile.h"

#include "app/Profile.h"
#include "app/Text.h"
#include "port/Paths.h"

#include <algorithm>

namespace app {

namespace {

// Every read goes through a buffer of this size, as the Windows profile API is called with it.
constexpr std::size_t kBufferSize = 4096;

// Files the program creates get the platform's own line breaks.
profile::Newline newFileStyle() {
    return port::pathSeparator() == '\\' ? profile::Newline::CrLf : profile::Newline::Lf;
}

} // namespace

IniFile::IniFile(port::IFileSystem& files, port::ITextCodec& codec) : m_files(files), m_codec(codec) {}

std::string IniFile::read(const std::string& key, const std::string& fallback, const std::string& section) {
    // What the file refused is what the program holds: a read gives it back.
    for (auto kept = m_kept.rbegin(); kept != m_kept.rend(); ++kept)
        if (equalsIgnoreCase(kept->section, section) && equalsIgnoreCase(kept->key, key))
            return kept->value;
    return profile::getProfileString(m_files, m_codec, m_file, section, key, fallback, kBufferSize);
}

port::Result<void> IniFile::store(const Entry& entry) {
    return profile::writeProfileString(m_files, m_codec, m_file, entry.section, entry.key, entry.value,
                                       newFileStyle());
}

port::Result<void> IniFile::flush() {
    while (!m_kept.empty()) {
        if (auto stored = store(m_kept.front()); !stored) {
            // Told once for a run of refused writes, not at every one of them.
            if (!m_refusing && m_tell)
                m_tell(stored.error());
            m_refusing = true;
            return stored;
        }
        m_kept.erase(m_kept.begin());
    }
    m_refusing = false;
    return {};
}

port::Result<void> IniFile::write(const std::string& key, const std::string& value,
                                  const std::string& section) {
    // A value kept back earlier is superseded; the new one goes in line behind the others.
    std::erase_if(m_kept, [&](const Entry& kept) {
        return equalsIgnoreCase(kept.section, section) && equalsIgnoreCase(kept.key, key);
    });
    m_kept.push_back({section, key, value});
    return flush();
}

} // namespace app
