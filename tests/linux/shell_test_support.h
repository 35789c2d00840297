#pragma once
// A temporary folder per test, environment variables set for one test, the file system with its writes
// watched, and small file helpers, for the tests of the launch services.
#include "linux/LinuxFileSystem.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace shelltest {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavimoro-shell-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

// Sets environment variables for one test and puts the old values back.
class ScopedEnv {
  public:
    void set(const char* name, const std::string& value) {
        save(name);
        ::setenv(name, value.c_str(), 1);
    }
    void unset(const char* name) {
        save(name);
        ::unsetenv(name);
    }
    ~ScopedEnv() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                ::unsetenv(it->first.c_str());
        }
    }

  private:
    void save(const char* name) {
        const char* old = std::getenv(name);
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// The real file system, its replaces recorded, and refused or kept in memory on demand.
class WatchedFiles : public lnx::LinuxFileSystem {
  public:
    std::map<std::string, std::string> replaced; // the bytes of each file's last replace
    bool failReplace = false;
    bool inMemory = false; // a replace leaves the disk as it was
    port::Result<void> replaceFile(const std::string& path, std::string_view bytes) override {
        replaced[path] = std::string(bytes);
        if (failReplace)
            return port::fail("refused");
        return inMemory ? port::Result<void>() : LinuxFileSystem::replaceFile(path, bytes);
    }
};

inline void writeFile(const std::string& path, const std::string& text, mode_t mode = 0644) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
    ::chmod(path.c_str(), mode);
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Script lines that write the working folder to <out>.cwd and the arguments, one per line, to <out>.args.
inline std::string recordingScript(const std::string& out) {
    return "#!/bin/sh\n"
           "pwd > '" +
           out +
           ".cwd'\n"
           "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
           out + ".args'\n";
}

} // namespace shelltest
