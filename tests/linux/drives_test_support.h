#pragma once
// Temporary folders, files and ISO images for the tests of the Linux drive services.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace drivetest {

class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavimoro-drives-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::string str() const { return m_path.string(); }
    std::string operator/(std::string_view rel) const { return (m_path / rel).string(); }

  private:
    std::filesystem::path m_path;
};

inline void writeFile(const std::string& path, std::string_view bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Single quotes for /bin/sh.
inline std::string shellQuote(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

inline bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline bool haveTool(const std::string& name) {
    return run("command -v " + name);
}

// Standard output of a command, trailing newline removed.
inline std::string capture(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, got);
        ::pclose(pipe);
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// An ISO image of a small folder, made with genisoimage and its options ("-J" Joliet, "-udf" UDF bridge).
inline bool makeGenisoImage(const TempDir& dir, const std::string& image, const std::string& label,
                            const std::string& options) {
    const std::string content = dir / "content";
    writeFile(content + "/AUTORUN.INF", "[AutoRun]\r\nopen=setup.exe\r\n");
    return run("genisoimage -quiet -input-charset utf-8 " + options + " -V " + shellQuote(label) + " -o " +
               shellQuote(image) + " " + shellQuote(content));
}

// The same with xorriso, which writes multi-byte labels cleanly.
inline bool makeXorrisoImage(const TempDir& dir, const std::string& image, const std::string& label) {
    const std::string content = dir / "content";
    writeFile(content + "/AUTORUN.INF", "[AutoRun]\r\nopen=setup.exe\r\n");
    return run("xorriso -outdev " + shellQuote(image) + " -volid " + shellQuote(label) + " -joliet on -map " +
               shellQuote(content) + " /");
}

} // namespace drivetest
