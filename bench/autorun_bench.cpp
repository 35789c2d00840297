// How long one drive check can take over a crafted AUTORUN.INF: each file as large as the reader takes,
// in shapes that make it work hardest (CP932 text throughout, the section at the end, one endless line,
// the section first with nothing it looks for). Prints "autorun_ms_SHAPE MILLISECONDS", the slowest of
// five reads each.
#include "drives/Autorun.h"
#include "linux/LinuxCodec.h"
#include "linux/LinuxFileSystem.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// CP932 text: the two bytes of "日" over and over, a line every `line` characters.
std::string cp932Text(std::size_t size, std::size_t line) {
    std::string text;
    while (text.size() + 2 < size) {
        text += "\x93\xfa";
        if (line && text.size() % (2 * line) == 0)
            text += "\r\n";
    }
    return text;
}

} // namespace

int main() {
    const std::size_t size = drives::kMaxAutorunBytes;
    const std::string section = "[AutoRun]\r\n", open = "open=setup.exe\r\n";
    const std::vector<std::pair<const char*, std::string>> shapes{
        {"section_last", cp932Text(size - section.size() - open.size(), 40) + section + open},
        {"one_line", section + "open=" + cp932Text(size - section.size() - 5, 0)},
        {"entries_only", section + cp932Text(size - section.size(), 40)},
        {"keys", section +
                     [&] {
                         std::string keys;
                         while (keys.size() + 12 < size - section.size())
                             keys += "\x93\xfa\x96\x7b=\x93\xfa\r\n";
                         return keys;
                     }()},
    };
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tavimoro-autorun-bench";
    std::filesystem::create_directories(folder);
    lnx::LinuxFileSystem files;
    lnx::LinuxCodec codec;
    for (const auto& [name, bytes] : shapes) {
        const std::string path = (folder / "AUTORUN.INF").string();
        std::ofstream(path, std::ios::binary) << bytes;
        double slowest = 0;
        for (int i = 0; i < 5; ++i) {
            const auto start = std::chrono::steady_clock::now();
            static_cast<void>(drives::readAutorun(files, codec, path));
            slowest = std::max(
                slowest,
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        std::printf("autorun_ms_%s %.1f\n", name, slowest);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
