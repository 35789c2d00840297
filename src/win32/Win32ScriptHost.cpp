#include "win32/Win32ScriptHost.h"

#include "win32/Dispatch.h"
#include "win32/WideText.h"

// <windows.h> renames DeleteFile to DeleteFileW; the scripting member keeps its own name here.
#undef DeleteFile

namespace win {

namespace {

// A call's outcome as the port reports it; the text is the object's own description of the error.
port::Result<void> fromCom(const ComResult& r) {
    if (r.ok())
        return {};
    return port::fail(r.message());
}

class ScriptFileSystem : public port::IScriptFileSystem {
  public:
    explicit ScriptFileSystem(Dispatch fso) : m_fso(std::move(fso)) {}

    port::Result<std::vector<port::DriveEntry>> Drives() override {
        std::vector<port::DriveEntry> result;
        Variant drives;
        if (ComResult r = m_fso.get(L"Drives", drives); !r.ok())
            return port::fail(r.message());
        Dispatch collection(drives.asDispatch());
        std::vector<Dispatch> items;
        collection.forEach(items);
        for (const Dispatch& drive : items) {
            Variant type;
            Variant letter;
            port::DriveEntry entry;
            if (drive.get(L"DriveType", type).ok())
                entry.DriveType = static_cast<int>(type.asLong(0));
            if (drive.get(L"DriveLetter", letter).ok())
                entry.DriveLetter = toUtf8(letter.asText());
            result.push_back(std::move(entry));
        }
        return result;
    }

    port::Result<std::vector<std::string>> GetFolderFiles(const std::string& folder) override {
        Variant folderObject;
        if (ComResult r = m_fso.call(L"GetFolder", vector1(toWide(folder)), &folderObject); !r.ok())
            return port::fail(r.message());
        Variant files;
        if (ComResult r = Dispatch(folderObject.asDispatch()).get(L"Files", files); !r.ok())
            return port::fail(r.message());
        std::vector<Dispatch> items;
        Dispatch(files.asDispatch()).forEach(items);
        std::vector<std::string> names;
        for (const Dispatch& file : items) {
            Variant name;
            if (file.get(L"Name", name).ok())
                names.push_back(toUtf8(name.asText()));
        }
        return names;
    }

    port::Result<void> DeleteFile(const std::string& path) override {
        return fromCom(m_fso.call(L"DeleteFile", vector1(toWide(path))));
    }

    static std::vector<Variant> vector1(const std::wstring& text) {
        std::vector<Variant> args;
        args.emplace_back(text);
        return args;
    }

  private:
    Dispatch m_fso;
};

class Shortcut : public port::IShortcut {
  public:
    explicit Shortcut(Dispatch link) : m_link(std::move(link)) {}

    void setTargetPath(const std::string& v) override { set(L"TargetPath", v); }
    void setArguments(const std::string& v) override { set(L"Arguments", v); }
    void setWorkingDirectory(const std::string& v) override { set(L"WorkingDirectory", v); }
    void setIconLocation(const std::string& v) override { set(L"IconLocation", v); }
    std::string TargetPath() override { return read(L"TargetPath"); }
    std::string Arguments() override { return read(L"Arguments"); }
    std::string WorkingDirectory() override { return read(L"WorkingDirectory"); }
    std::string IconLocation() override { return read(L"IconLocation"); }

    port::Result<void> Save() override { return fromCom(m_link.call(L"Save", {})); }

  private:
    // A refused value leaves the field as it was; "Save" then writes what the object holds.
    void set(const wchar_t* name, const std::string& value) { m_link.put(name, Variant(toWide(value))); }
    std::string read(const wchar_t* name) {
        Variant value;
        return m_link.get(name, value).ok() ? toUtf8(value.asText()) : std::string();
    }

    Dispatch m_link;
};

class ScriptShell : public port::IScriptShell {
  public:
    explicit ScriptShell(Dispatch shell) : m_shell(std::move(shell)) {}

    port::Result<std::unique_ptr<port::IShortcut>> CreateShortcut(const std::string& path) override {
        Variant link;
        if (ComResult r = m_shell.call(L"CreateShortcut", ScriptFileSystem::vector1(toWide(path)), &link);
            !r.ok())
            return port::fail(r.message());
        Dispatch object(link.asDispatch());
        if (!object)
            return port::fail("CreateShortcut gave no object: " + path);
        return std::make_unique<Shortcut>(std::move(object));
    }

    port::Result<void> Run(const std::string& command) override {
        return fromCom(m_shell.call(L"Run", ScriptFileSystem::vector1(toWide(command))));
    }

  private:
    Dispatch m_shell;
};

} // namespace

port::Result<std::unique_ptr<port::IScriptFileSystem>> Win32ScriptHost::createFileSystemObject() {
    Dispatch fso;
    if (ComResult r = Dispatch::create(L"Scripting.FileSystemObject", fso); !r.ok())
        return port::fail(r.message());
    if (!fso)
        return port::fail("Scripting.FileSystemObject gave no object");
    return std::make_unique<ScriptFileSystem>(std::move(fso));
}

port::Result<std::unique_ptr<port::IScriptShell>> Win32ScriptHost::createShell() {
    Dispatch shell;
    if (ComResult r = Dispatch::create(L"WScript.Shell", shell); !r.ok())
        return port::fail(r.message());
    if (!shell)
        return port::fail("WScript.Shell gave no object");
    return std::make_unique<ScriptShell>(std::move(shell));
}

} // namespace win
