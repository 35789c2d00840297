#pragma once
// The settings file: the program's only way of reading and writing it, with the semantics of the Windows
// profile functions. A read goes to the file (it may change behind the program's back), except while a
// Snapshot lives: then the file is read once and every read and write of that stretch of work goes to
// those bytes. A write replaces the file only when its bytes change. A write the file refuses (a folder
// or file that is not writable, a full disc) is kept in memory, read back from there, and written again
// before each later write until one goes through; the user is told once for each run of refused writes.
#include "port/FileSystem.h"
#include "port/TextCodec.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace app {

class IniFile {
  public:
    IniFile(port::IFileSystem& files, port::ITextCodec& codec);

    // While it lives, the file is read at most once: the start reads some forty values, and each read of
    // the file costs far more than looking a value up in its bytes. Snapshots nest; the bytes go with the
    // last one, and the next read after it goes to the file again.
    class Snapshot {
      public:
        // The first snapshot reads the file anew: what a read outside one left behind may be old.
        explicit Snapshot(IniFile& file) : m_file(&file) {
            if (m_file->m_snapshots++ == 0)
                m_file->m_bytes.reset();
        }
        ~Snapshot() {
            if (--m_file->m_snapshots == 0)
                m_file->m_bytes.reset();
        }
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;

      private:
        IniFile* m_file;
    };

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

    // The file's bytes, or why they could not be read: read now, or the snapshot's.
    const port::Result<std::string>& bytes();
    port::Result<void> store(const Entry& entry);

    port::IFileSystem& m_files;
    port::ITextCodec& m_codec;
    std::string m_file;
    std::optional<port::Result<std::string>> m_bytes; // the last read, kept while a snapshot lives
    int m_snapshots = 0;
    std::vector<Entry> m_kept; // refused writes, oldest first
    bool m_refusing = false;   // the user has been told of the refusal that keeps them
    std::function<void(const std::string&)> m_tell;
};

} // namespace app
