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

const port::Result<std::string>& IniFile::bytes() {
    if (!m_bytes || m_snapshots == 0)
        m_bytes = m_files.readFile(m_file);
    return *m_bytes;
}

std::string IniFile::read(const std::string& key, const std::string& fallback, const std::string& section) {
    // What the file refused is what the program holds: a read gives it back.
    for (auto kept = m_kept.rbegin(); kept != m_kept.rend(); ++kept)
        if (equalsIgnoreCase(kept->section, section) && equalsIgnoreCase(kept->key, key))
            return kept->value;
    const port::Result<std::string>& data = bytes();
    return profile::getString(data ? std::string_view(*data) : std::string_view(), section, key, fallback,
                              m_codec, kBufferSize);
}

port::Result<void> IniFile::store(const Entry& entry) {
    const port::Result<std::string>& data = bytes();
    // A file that exists but cannot be read is left alone: replacing it would lose what it holds.
    if (!data && m_files.kind(m_file))
        return data.failure();
    const std::string_view before = data ? std::string_view(*data) : std::string_view();
    std::string after =
        profile::writeString(before, entry.section, entry.key, entry.value, m_codec, newFileStyle());
    if (after == before)
        return {};
    if (auto replaced = m_files.replaceFile(m_file, after); !replaced)
        return replaced;
    // The snapshot goes on from what the file holds now.
    if (m_snapshots > 0)
        m_bytes.emplace(std::move(after));
    return {};
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
