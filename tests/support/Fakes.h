#pragma once
// In-memory fakes of the platform services, for the unit tests of the portable code. Paths follow the
// Windows conventions ("\" separates, letters compare as stored), as the program's home platform does.
#include "port/Services.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace fakes {

// Windows compares file names without regard to letter case.
inline std::string upperPath(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}
struct PathLess {
    bool operator()(const std::string& a, const std::string& b) const { return upperPath(a) < upperPath(b); }
};

class FileSystem : public port::IFileSystem {
  public:
    std::map<std::string, std::string, PathLess> files; // full path -> content
    std::set<std::string, PathLess> folders;            // full paths, without trailing "\"
    std::set<std::string, PathLess> undeletable;
    bool writable = true;
    int writes = 0, listings = 0, reads = 0;
    std::string cwd = "C:\\work";

    static std::string trimSep(std::string p) {
        while (p.size() > 1 && p.back() == '\\')
            p.pop_back();
        return p;
    }
    void addFile(const std::string& path, const std::string& content = "") {
        files[path] = content;
        addFolder(path.substr(0, path.rfind('\\')));
    }
    void addFolder(std::string path) {
        path = trimSep(path);
        while (!path.empty()) {
            folders.insert(path);
            auto cut = path.rfind('\\');
            if (cut == std::string::npos)
                break;
            path = path.substr(0, cut);
        }
    }

    port::Result<std::string> readFile(const std::string& path, std::size_t limit = SIZE_MAX) override {
        ++reads;
        auto it = files.find(path);
        if (it == files.end())
            return port::fail("not found: " + path);
        if (it->second.size() > limit)
            return port::fail("too large: " + path);
        return it->second;
    }
    port::Result<void> replaceFile(const std::string& path, std::string_view bytes) override {
        if (!writable)
            return port::fail("read-only: " + path);
        ++writes;
        files[path] = std::string(bytes);
        return {};
    }
    port::Result<port::FileKind> kind(const std::string& path) override {
        const auto leaf = path.substr(path.rfind('\\') + 1);
        if (leaf == "." || leaf == ".." || folders.count(trimSep(path)))
            return port::FileKind::Folder;
        if (!files.count(path))
            return port::fail("not found: " + path);
        return port::FileKind::File;
    }
    port::Result<std::vector<std::string>> folderFiles(const std::string& folder) override {
        ++listings;
        const std::string base = trimSep(folder);
        if (!folders.count(base))
            return port::fail("no folder: " + folder);
        const std::string prefix = base + "\\";
        std::vector<std::string> names;
        for (auto& [path, _] : files)
            if (path.size() > prefix.size() &&
                upperPath(path.substr(0, prefix.size())) == upperPath(prefix) &&
                path.find('\\', prefix.size()) == std::string::npos)
                names.push_back(path.substr(prefix.size()));
        return names;
    }
    port::Result<void> deleteFile(const std::string& path) override {
        if (undeletable.count(path))
            return port::fail("アクセスが拒否されました");
        if (!files.erase(path))
            return port::fail("ファイルが見つかりません");
        return {};
    }
    port::Result<void> createDirectories(const std::string& path) override {
        addFolder(path);
        return {};
    }
    port::Result<std::string> currentDirectory() override { return cwd; }
};

// Bytes pass through unchanged: the tests write their files in UTF-8.
class Codec : public port::ITextCodec {
  public:
    std::string ansiToUtf8(std::string_view bytes) override { return std::string(bytes); }
    std::string utf8ToAnsi(std::string_view text) override { return std::string(text); }
    std::string utf8ToAnsiInLine(std::string_view text, std::string_view, std::string_view) override {
        return std::string(text);
    }
};

class MessageBox : public port::IMessageBox {
  public:
    struct Shown {
        std::string text, caption;
        port::MessageIcon icon;
    };
    std::vector<Shown> shown;
    std::function<void()> onShow; // runs while the box is "open"
    void show(const std::string& text, const std::string& caption, port::MessageIcon icon) override {
        shown.push_back({text, caption, icon});
        if (onShow)
            onShow();
    }
};

// The CD-ROM drives: a disc's label and root as each drive holds them now.
class Drives : public port::IDrives {
  public:
    std::vector<char> letters{'D', 'E'};
    bool listable = true;
    std::map<char, port::Disc> discs; // none for an empty drive
    std::vector<char> asked;
    int polls = 0, depth = 0;
    int askedOutsidePoll = 0;
    std::function<void()> onAsk; // runs at every disc read
    port::Result<std::vector<char>> cdromLetters() override {
        if (!listable)
            return port::fail("no drive list");
        return letters;
    }
    port::Disc disc(char letter) override {
        asked.push_back(letter);
        if (depth == 0)
            ++askedOutsidePoll;
        if (onAsk)
            onAsk();
        // As on Windows, a drive without a disc still has its root.
        const auto it = discs.find(letter);
        return it == discs.end() ? port::Disc{"", std::string(1, letter) + ":\\"} : it->second;
    }
    // What mount() does: a failure's text, else the root the disc gets.
    std::optional<std::string> mountRefusal;
    std::vector<char> mounted;
    port::Result<void> mount(char letter) override {
        mounted.push_back(letter);
        if (mountRefusal)
            return port::fail(*mountRefusal);
        port::Disc& disc = discs[letter];
        disc.root = std::string(1, letter) + ":\\";
        disc.mountable = false;
        return {};
    }
    // The disc images there are, by file, and the folder each opens to; a refusal for all of them.
    std::map<std::string, std::string> images;
    std::optional<std::string> imageRefusal;
    port::Result<std::string, port::ImageRefusal> openImage(const std::string& path) override {
        const auto it = images.find(path);
        if (it == images.end())
            return port::ImageRefusal{true, ""};
        if (imageRefusal)
            return port::ImageRefusal{false, *imageRefusal};
        return it->second;
    }
    // What eject() does: a failure's text, else the disc goes.
    std::optional<std::string> ejectRefusal;
    std::vector<char> ejected;
    port::Result<void> eject(char letter) override {
        ejected.push_back(letter);
        if (ejectRefusal)
            return port::fail(*ejectRefusal);
        discs.erase(letter);
        return {};
    }
    void beginPoll() override {
        if (depth++ == 0)
            ++polls;
    }
    void endPoll() override { --depth; }
};

class Process : public port::IProcess {
  public:
    std::string exeName_ = "tavimoro";
    std::string commandLine_;
    std::string settingsFile = "C:\\Apps\\tavimoro.ini";
    bool another = false;
    std::string exeName() override { return exeName_; }
    std::string commandLine() override { return commandLine_; }
    std::string settingsFilePath() override { return settingsFile; }
    std::string title() override { return "Tavimoro"; }
    port::Version version_{1, 1, 0};
    port::Version version() override { return version_; }
    bool anotherInstanceRunning() override { return another; }
    std::vector<std::string> handedOver;                // the paths, "" for a plain start
    std::optional<port::HandOverFailure> handOverFails; // how the first instance answers
    port::Result<void, port::HandOverFailure> handOver(const std::string& path) override {
        handedOver.push_back(path);
        if (handOverFails)
            return *handOverFails;
        return {};
    }
    std::vector<std::string> errors;
    void reportError(const std::string& text) override { errors.push_back(text); }
};

// Shortcuts as a shell writes them: each saved one becomes a file of the fake file system. A fault set
// here makes the next writes fail with it.
class Shortcuts : public port::ILauncher, public port::IStartMenu {
  public:
    explicit Shortcuts(FileSystem& fs) : m_fs(fs) {}
    std::string startMenu = "C:\\Users\\u\\Start Menu\\";
    std::optional<std::string> unavailable; // the reason ready() and every write give
    std::optional<port::ShortcutFault> fault;
    std::string reason = "refused";              // of the fault
    std::map<std::string, port::Shortcut> saved; // path -> shortcut
    std::vector<port::Shortcut> launched;
    std::vector<std::string> withdrawn;
    int writes = 0;

    port::Result<void> ready() override {
        if (unavailable)
            return port::fail(*unavailable);
        return {};
    }
    port::Result<void, port::ShortcutError> launch(const port::Shortcut& shortcut,
                                                   const port::ShortcutReview& review) override {
        if (auto written = write(launchFile(), shortcut, review); !written)
            return written.failure();
        if (fault == port::ShortcutFault::NotStarted)
            return port::ShortcutError{*fault, launchFile(), reason};
        if (fault == port::ShortcutFault::Missing)
            return port::ShortcutError{*fault, shortcut.program, ""};
        launched.push_back(shortcut);
        return {};
    }
    std::string launchFile() override { return "C:\\Apps\\autorun.lnk"; }
    int cleanUps = 0;
    void cleanUp() override {
        ++cleanUps;
        m_fs.files.erase(launchFile());
    }
    std::string folder() override { return startMenu; }
    std::string extension() override { return ".lnk"; }
    port::Result<std::string, port::ShortcutError> publish(const std::string& name,
                                                           const port::Shortcut& shortcut,
                                                           const port::ShortcutReview& review) override {
        return write(startMenu + name, shortcut, review);
    }
    std::vector<std::string> ownEntries() override {
        std::vector<std::string> names;
        for (const auto& [path, content] : m_fs.files)
            if (path.rfind(startMenu, 0) == 0 && content.rfind("lnk:", 0) == 0)
                names.push_back(path.substr(startMenu.size()));
        return names;
    }
    void withdraw(const std::string& path) override {
        withdrawn.push_back(path);
        static_cast<void>(m_fs.deleteFile(path));
    }

  private:
    port::Result<std::string, port::ShortcutError>
    write(const std::string& path, const port::Shortcut& shortcut, const port::ShortcutReview& review) {
        if (unavailable)
            return port::ShortcutError{port::ShortcutFault::Unavailable, path, *unavailable};
        if (fault == port::ShortcutFault::Refused || fault == port::ShortcutFault::NotSaved)
            return port::ShortcutError{*fault, path, reason};
        if (review)
            review(shortcut);
        ++writes;
        saved[path] = shortcut;
        m_fs.addFile(path, "lnk:" + shortcut.program);
        return path;
    }
    FileSystem& m_fs;
};

// All fakes together, wired into one Services bundle.
struct Platform {
    FileSystem fs;
    Codec codec;
    Drives drives;
    Shortcuts shortcuts{fs};
    MessageBox messages;
    Process process;
    port::Services services{process, fs, codec, drives, shortcuts, shortcuts, messages};
};

} // namespace fakes
