#pragma once
// The settings file: the program's only way of reading and writing it, with the semantics of the Windows
// profile functions. Every read goes to the file (it may change behind the program's back). A write the
// file refuses (a folder or file that is not writable, a full disc) is kept in memory, read back from
// there, and written again before each later write until one goes through; the user is told once for
// each run of refused writes.
#include "port/FileSystem.h"
#include "port/TextCodec.h"

#include <functional>
#include <string>
#include <vector>

namespace app {

class IniFile {
  public:
    IniFile(port::IFileSystem& files, port::ITextCodec& codec);

    void setFile(const std::string& path) { m_file = path; }
    const std::string& file() const { return m_file; }
    // Who tells the user that a write was refused, and why (the reason names the file).
    void onRefusedWrite(std::function<void(const std::string& reason)> tell) { m_tell = std::move(tell); }

    // The value as the Windows profile functions give it; `fallback` when the entry is missing.
    std::string read(const std::string& key, const std::string& fallback, const std::string& section);
    // Writes the value, after any the file refused before; a failure when this one is kept back too.
    port::Result<void> write(const std::string& key, const std::string& value, const std::string& section);
    // Writes what the file refused before; a failure while anything is still kept back.
    port::Result<void> flush();

  private:
    struct Entry {
        std::string section, key, value;
    };

    port::Result<void> store(const Entry& entry);

    port::IFileSystem& m_files;
    port::ITextCodec& m_codec;
    std::string m_file;
    std::vector<Entry> m_kept; // refused writes, oldest first
    bool m_refusing = false;   // the user has been told of the refusal that keeps them
    std::function<void(const std::string&)> m_tell;
};

} // namespace app
