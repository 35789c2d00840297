#include "win32/Win32Shortcuts.h"

#include "win32/Dispatch.h"
#include "win32/WideText.h"
#include "win32/Win32Process.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cwchar>
#include <string_view>

#include <vector>

namespace win {
namespace {

// What a machine without the scripting host is told, in the words the program has always used.
constexpr const char* kNoScriptingMessage = "この環境でプログラムを実行するには\r\n"
                                            "Windows Script Host 5.1 以降又は\r\n"
                                            "Intenet Explorer 5.0以降を\r\n"
                                            "インストールする必要があります。";

constexpr const wchar_t* kOwnDescription = L"Tavimoro";

std::vector<Variant> textArgument(const std::string& text) {
    std::vector<Variant> arguments;
    arguments.emplace_back(toWide(text));
    return arguments;
}

std::string readField(const Dispatch& link, const wchar_t* name) {
    Variant value;
    return link.get(name, value).ok() ? toUtf8(value.asText()) : std::string();
}

port::ShortcutError shortcutError(port::ShortcutFault fault, const std::string& path,
                                  std::string reason = {}) {
    return {fault, path, std::move(reason)};
}

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// "scheme:..." (a web address, a mail address): a shortcut the shell opens, not a file.
bool isAddress(std::wstring_view target) {
    const auto colon = target.find(L':');
    return colon != std::wstring_view::npos && colon > 1;
}

bool isAbsolute(std::wstring_view path) {
    return (path.size() >= 3 && path[1] == L':' && isSeparator(path[2])) ||
           (!path.empty() && isSeparator(path[0]));
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": a class identifier as the registry holds it.
bool isClassId(std::wstring_view text) {
    constexpr std::wstring_view kForm = L"{........-....-....-....-............}";
    const auto hex = [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
    };
    if (text.size() != kForm.size())
        return false;
    for (std::size_t i = 0; i < kForm.size(); ++i)
        if (kForm[i] == L'.' ? !hex(text[i]) : text[i] != kForm[i])
            return false;
    return true;
}

bool existingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The program a shortcut's target names, found as the shell finds it: a relative name in the disc's
// folder first, then a bare name in each folder of the search path; a name without an extension with
// each of the executable ones (PATHEXT). A shortcut keeps what it was given, not what the system finds,
// so the target must be the whole path: a bare "explorer" would become the program's own folder's.
std::wstring environment(const wchar_t* name) {
    std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

// The non-empty pieces of a list separated by ";".
std::vector<std::wstring> pieces(const std::wstring& list) {
    std::vector<std::wstring> out;
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t cut = std::min(list.find(L';', at), list.size());
        if (cut > at)
            out.push_back(list.substr(at, cut - at));
        at = cut + 1;
    }
    return out;
}

std::wstring findProgram(const std::wstring& program, const std::wstring& folder) {
    if (program.empty() || isAbsolute(program) || isAddress(program))
        return program;
    std::vector<std::wstring> folders{folder};
    if (program.find_first_of(L"\\/") == std::wstring::npos)
        for (std::wstring& one : pieces(environment(L"PATH")))
            folders.push_back(std::move(one));
    std::vector<std::wstring> extensions{L""};
    if (program.substr(program.find_last_of(L"\\/") + 1).find(L'.') == std::wstring::npos) {
        extensions = pieces(environment(L"PATHEXT"));
        if (extensions.empty())
            extensions = {L".COM", L".EXE", L".BAT", L".CMD"};
    }
    for (const std::wstring& in : folders) {
        const std::wstring base = in.empty() || isSeparator(in.back()) ? in + program : in + L"\\" + program;
        for (const std::wstring& extension : extensions)
            if (existingFile(base + extension))
                return base + extension;
    }
    return program;
}

// Writes `shortcut` to the file `path` through "WScript.Shell"; gives the shell, which can run it.
port::Result<Dispatch, port::ShortcutError>
writeShortcut(const std::string& path, const port::Shortcut& shortcut, const port::ShortcutReview& review) {
    Dispatch shell;
    if (!Dispatch::create(L"WScript.Shell", shell).ok() || !shell)
        return shortcutError(port::ShortcutFault::Unavailable, path, kNoScriptingMessage);
    Variant made;
    if (!shell.call(L"CreateShortcut", textArgument(path), &made).ok())
        return shortcutError(port::ShortcutFault::Refused, path);
    const Dispatch link(made.asDispatch());
    if (!link)
        return shortcutError(port::ShortcutFault::Refused, path);
    // A refused value leaves the field as it was; Save then writes what the object holds.
    link.put(L"WorkingDirectory", Variant(toWide(shortcut.folder)));
    link.put(L"TargetPath", Variant(findProgram(toWide(shortcut.program), toWide(shortcut.folder))));
    link.put(L"Arguments", Variant(toWide(shortcut.arguments)));
    link.put(L"IconLocation", Variant(toWide(shortcut.icon)));
    // How the program knows its own entries again in a later run.
    link.put(L"Description", Variant(kOwnDescription));
    if (review)
        review({readField(link, L"TargetPath"), readField(link, L"Arguments"),
                readField(link, L"WorkingDirectory"), readField(link, L"IconLocation")});
    if (const ComResult saved = link.call(L"Save", {}); !saved.ok())
        return shortcutError(port::ShortcutFault::NotSaved, path, saved.message());
    return shell;
}

} // namespace

port::Result<void> Win32Launcher::ready() {
    // Asked of the registry, not by creating the object: that would load the scripting runtime (half a
    // megabyte) into every run, most of which never write a shortcut. The objects are made when one is.
    // The class is looked up where COM looks a programmatic identifier up, without COM, which would
    // otherwise be loaded at every start for this alone.
    wchar_t id[64] = {};
    DWORD idSize = sizeof id - sizeof id[0];
    if (RegGetValueW(HKEY_CLASSES_ROOT, L"Scripting.FileSystemObject\\CLSID", nullptr, RRF_RT_REG_SZ, nullptr,
                     id, &idSize) != ERROR_SUCCESS ||
        !isClassId(id))
        return port::fail(kNoScriptingMessage);
    const std::wstring key = std::wstring(L"CLSID\\") + id + L"\\InprocServer32";
    wchar_t server[MAX_PATH + 1] = {};
    DWORD size = sizeof server - sizeof server[0];
    wchar_t found[MAX_PATH + 1] = {};
    // The server's file, by its registered path or, for a bare name, on the system's search path. A
    // REG_EXPAND_SZ path comes back expanded.
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, server, &size) !=
            ERROR_SUCCESS ||
        SearchPathW(nullptr, server, nullptr, MAX_PATH + 1, found, nullptr) == 0)
        return port::fail(kNoScriptingMessage);
    return {};
}

port::Result<void, port::ShortcutError> Win32Launcher::launch(const port::Shortcut& shortcut,
                                                              const port::ShortcutReview& review) {
    // The shell would only say so in a message of its own, after the launch file is written and run.
    const std::wstring target = findProgram(toWide(shortcut.program), toWide(shortcut.folder));
    if (!isAddress(target) && GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        return shortcutError(port::ShortcutFault::Missing, toUtf8(target));
    const std::string path = launchFile();
    auto shell = writeShortcut(path, shortcut, review);
    if (!shell)
        return shell.failure();
    if (const ComResult ran = shell->call(L"Run", textArgument("\"" + path + "\"")); !ran.ok())
        return shortcutError(port::ShortcutFault::NotStarted, path, ran.message());
    return {};
}

std::string Win32Launcher::launchFile() {
    return toUtf8(programFolder()) + "autorun.lnk";
}

void Win32Launcher::cleanUp() {
    // A batch file of that name beside the program is what launches of the program's first versions
    // left there.
    for (const wchar_t* name : {L"autorun.lnk", L"autorun.bat"})
        DeleteFileW((programFolder() + name).c_str());
}

std::string Win32StartMenu::folder() {
    if (!m_folder) {
        m_folder.emplace();
        wchar_t path[MAX_PATH + 1] = {};
        // By its path, not by an item-id list: the shell allocates those with COM's allocator, which would
        // load COM into every start.
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_STARTMENU, nullptr, SHGFP_TYPE_CURRENT, path))) {
            path[MAX_PATH] = L'\0';
            *m_folder = toUtf8(path);
            if (!m_folder->empty() && m_folder->back() != '\\')
                *m_folder += '\\';
        }
    }
    return *m_folder;
}

port::Result<std::string, port::ShortcutError> Win32StartMenu::publish(const std::string& name,
                                                                       const port::Shortcut& shortcut,
                                                                       const port::ShortcutReview& review) {
    // Without the folder, entries go to the root folder, where the program has always put them then.
    const std::string base = folder();
    const std::string path = (base.empty() ? std::string("\\") : base) + name;
    if (auto written = writeShortcut(path, shortcut, review); !written)
        return written.failure();
    return path;
}

void Win32StartMenu::withdraw(const std::string& path) {
    // An entry that cannot be deleted stays the user's to remove.
    DeleteFileW(toWide(path).c_str());
}

std::vector<std::string> Win32StartMenu::ownEntries() {
    std::vector<std::string> names;
    const std::wstring base = toWide(folder());
    if (base.empty())
        return names;
    WIN32_FIND_DATAW found{};
    const FindHandle scan(FindFirstFileW((base + L"(?) *.lnk").c_str(), &found));
    if (!scan.valid())
        return names;
    // Made only when there is a shortcut to read: most starts find none.
    enterApartment();
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.putVoid())))
        return names;
    const auto file = link.query<IPersistFile>(IID_IPersistFile);
    for (bool more = true; more && file; more = FindNextFileW(scan.get(), &found)) {
        wchar_t description[64] = {};
        const std::wstring name = found.cFileName;
        if (name[1] >= L'A' && name[1] <= L'Z' && SUCCEEDED(file->Load((base + name).c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetDescription(description, 64)) &&
            std::wcscmp(description, kOwnDescription) == 0)
            names.push_back(toUtf8(name));
    }
    return names;
}

} // namespace win
