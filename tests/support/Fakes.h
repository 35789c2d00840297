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
    std::map<std::string, std::string, PathLess> files;        // full path -> content
    std::map<std::string, std::uint32_t, PathLess> extraAttrs; // full path -> extra attribute bits
    std::set<std::string, PathLess> folders;                   // full paths, without trailing "\"
    std::set<std::string, PathLess> unreadableAttrs;           // paths whose attribute query fails
    std::set<std::string, PathLess> undeletable;
    bool writable = true;
    int writes = 0;
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

    port::Result<std::string> readFile(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end())
            return port::fail("not found: " + path);
        return it->second;
    }
    port::Result<void> replaceFile(const std::string& path, std::string_view bytes) override {
        if (!writable)
            return port::fail("read-only: " + path);
        ++writes;
        files[path] = std::string(bytes);
        return {};
    }
    port::Result<std::uint32_t> attributes(const std::string& path) override {
        if (unreadableAttrs.count(path))
            return port::fail("unreadable: " + path);
        const auto leaf = path.substr(path.rfind('\\') + 1);
        if (leaf == "." || leaf == "..")
            return port::kAttrDirectory;
        if (folders.count(trimSep(path)))
            return port::kAttrDirectory;
        auto it = files.find(path);
        if (it == files.end())
            return port::fail("not found: " + path);
        auto extra = extraAttrs.find(path);
        return extra == extraAttrs.end() ? 0u : extra->second;
    }
    port::Result<std::vector<std::string>> scanDirectory(const std::string& folder) override {
        std::string base = trimSep(folder);
        if (!folders.count(base))
            return port::fail("no folder: " + folder);
        std::string prefix = base + "\\";
        std::vector<std::string> names{".", ".."};
        auto childOf = [&](const std::string& p) {
            return p.size() > prefix.size() && upperPath(p.substr(0, prefix.size())) == upperPath(prefix) &&
                   p.find('\\', prefix.size()) == std::string::npos;
        };
        for (auto& [p, _] : files) {
            auto extra = extraAttrs.find(p);
            bool hidden =
                extra != extraAttrs.end() && (extra->second & (port::kAttrHidden | port::kAttrSystem));
            if (childOf(p) && !hidden)
                names.push_back(p.substr(prefix.size()));
        }
        for (auto& p : folders)
            if (childOf(p))
                names.push_back(p.substr(prefix.size()));
        for (auto& p : unreadableAttrs)
            if (childOf(p) && std::find(names.begin(), names.end(), p.substr(prefix.size())) == names.end())
                names.push_back(p.substr(prefix.size()));
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

class Volumes : public port::IVolumes {
  public:
    std::map<std::string, std::string> labels; // "E:" -> label
    std::vector<std::string> asked;
    int polls = 0, depth = 0;
    int askedOutsidePoll = 0;
    std::function<void()> onAsk; // runs at every label read
    std::string volumeLabel(const std::string& drivePath) override {
        asked.push_back(drivePath);
        if (depth == 0)
            ++askedOutsidePoll;
        if (onAsk)
            onAsk();
        auto it = labels.find(drivePath);
        return it == labels.end() ? "" : it->second;
    }
    void beginPoll() override {
        if (depth++ == 0)
            ++polls;
    }
    void endPoll() override { --depth; }
};

class SpecialFolders : public port::ISpecialFolders {
  public:
    std::optional<std::string> startMenu_ = "C:\\Users\\u\\Start Menu"; // none: it cannot be determined
    port::Result<std::string> startMenu() override {
        if (!startMenu_)
            return port::fail("no Start menu");
        return *startMenu_;
    }
};

class Process : public port::IProcess {
  public:
    std::string exeName_ = "tavimoro";
    std::string commandLine_;
    std::string settingsFile = "C:\\Apps\\tavimoro.ini";
    std::string launchFolder_ = "C:\\Apps\\";
    bool another = false;
    std::vector<std::string> activated;
    bool activationResult = false;
    std::string exeName() override { return exeName_; }
    std::string commandLine() override { return commandLine_; }
    std::string settingsFilePath() override { return settingsFile; }
    std::string launchFolder() override { return launchFolder_; }
    std::string shortcutExtension() override { return ".lnk"; }
    std::string title() override { return "Tavimoro"; }
    port::Version version_{1, 1, 0};
    port::Version version() override { return version_; }
    bool anotherInstanceRunning() override { return another; }
    port::Result<void> activateWindow(const std::string& title) override {
        activated.push_back(title);
        if (!activationResult)
            return port::fail("no window");
        return {};
    }
};

// The scripting host: a file-system object over the fake file system, and a shell that records
// shortcuts and runs.
class ScriptHost : public port::IScriptHost {
  public:
    struct Lnk {
        std::string TargetPath, Arguments, WorkingDirectory, IconLocation;
    };
    explicit ScriptHost(FileSystem& fs) : m_fs(fs) {}
    bool fsoAvailable = true;
    bool shellAvailable = true;
    std::vector<port::DriveEntry> drives;
    std::map<std::string, Lnk> saved; // path -> fields, as saved
    std::vector<std::string> runs;
    bool drivesReadable = true;
    std::set<std::string> refusedShortcuts; // paths CreateShortcut refuses
    std::optional<std::string> saveError, runError;
    int fsoCreated = 0, shellCreated = 0;

    port::Result<std::unique_ptr<port::IScriptFileSystem>> createFileSystemObject() override;
    port::Result<std::unique_ptr<port::IScriptShell>> createShell() override;

  private:
    FileSystem& m_fs;
};

class ScriptFileSystem : public port::IScriptFileSystem {
  public:
    ScriptFileSystem(FileSystem& fs, ScriptHost& host) : m_fs(fs), m_host(host) {}
    port::Result<std::vector<port::DriveEntry>> Drives() override {
        if (!m_host.drivesReadable)
            return port::fail("Drives unreadable");
        return m_host.drives;
    }
    port::Result<std::vector<std::string>> GetFolderFiles(const std::string& folder) override {
        auto names = m_fs.scanDirectory(folder);
        if (!names)
            return port::fail(names.error());
        std::vector<std::string> out;
        std::string prefix = FileSystem::trimSep(folder) + "\\";
        for (auto& n : *names)
            if (m_fs.files.count(prefix + n))
                out.push_back(n);
        return out;
    }
    port::Result<void> DeleteFile(const std::string& path) override { return m_fs.deleteFile(path); }

  private:
    FileSystem& m_fs;
    ScriptHost& m_host;
};

class Shortcut : public port::IShortcut {
  public:
    Shortcut(ScriptHost& host, FileSystem& fs, std::string path)
        : m_host(host), m_fs(fs), m_path(std::move(path)) {}
    void setTargetPath(const std::string& v) override { m_lnk.TargetPath = v; }
    void setArguments(const std::string& v) override { m_lnk.Arguments = v; }
    void setWorkingDirectory(const std::string& v) override { m_lnk.WorkingDirectory = v; }
    void setIconLocation(const std::string& v) override { m_lnk.IconLocation = v; }
    std::string TargetPath() override { return m_lnk.TargetPath; }
    std::string Arguments() override { return m_lnk.Arguments; }
    std::string WorkingDirectory() override { return m_lnk.WorkingDirectory; }
    std::string IconLocation() override { return m_lnk.IconLocation; }
    port::Result<void> Save() override {
        if (m_host.saveError)
            return port::fail(*m_host.saveError);
        m_host.saved[m_path] = m_lnk;
        m_fs.addFile(m_path, "lnk:" + m_lnk.TargetPath);
        return {};
    }

  private:
    ScriptHost& m_host;
    FileSystem& m_fs;
    std::string m_path;
    ScriptHost::Lnk m_lnk;
};

class ScriptShell : public port::IScriptShell {
  public:
    ScriptShell(ScriptHost& host, FileSystem& fs) : m_host(host), m_fs(fs) {}
    port::Result<std::unique_ptr<port::IShortcut>> CreateShortcut(const std::string& path) override {
        if (m_host.refusedShortcuts.count(path))
            return port::fail("refused: " + path);
        return std::make_unique<Shortcut>(m_host, m_fs, path);
    }
    port::Result<void> Run(const std::string& command) override {
        m_host.runs.push_back(command);
        if (m_host.runError)
            return port::fail(*m_host.runError);
        return {};
    }

  private:
    ScriptHost& m_host;
    FileSystem& m_fs;
};

inline port::Result<std::unique_ptr<port::IScriptFileSystem>> ScriptHost::createFileSystemObject() {
    if (!fsoAvailable)
        return port::fail("no Scripting.FileSystemObject");
    ++fsoCreated;
    return std::make_unique<ScriptFileSystem>(m_fs, *this);
}
inline port::Result<std::unique_ptr<port::IScriptShell>> ScriptHost::createShell() {
    if (!shellAvailable)
        return port::fail("no WScript.Shell");
    ++shellCreated;
    return std::make_unique<ScriptShell>(*this, m_fs);
}

// All fakes together, wired into one Services bundle.
struct Platform {
    FileSystem fs;
    Codec codec;
    ScriptHost host{fs};
    Volumes volumes;
    SpecialFolders folders;
    MessageBox messages;
    Process process;
    port::Services services{process, fs, codec, host, volumes, folders, messages};
};

} // namespace fakes
