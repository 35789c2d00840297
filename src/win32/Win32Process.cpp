#include "win32/Win32Process.h"

#include "win32/WideText.h"
#include "win32/Win32MainView.h"

#include <winver.h>

#include <cstring>
#include <vector>

namespace win {

namespace {

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

std::wstring baseNameWithoutExtension(const std::wstring& path) {
    size_t cut = path.find_last_of(L"\\/");
    std::wstring name = cut == std::wstring::npos ? path : path.substr(cut + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.resize(dot);
    return name;
}

// What tells the program's instances apart: copies under other names run side by side. File names
// compare without regard to case.
std::wstring instanceName() {
    std::wstring name = baseNameWithoutExtension(modulePath());
    if (!name.empty())
        CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

} // namespace

UINT showRequestMessage() {
    // Named after the instance: a drive window of another copy does not know the message and ignores it.
    static const UINT message = RegisterWindowMessageW((L"TavimoroShowWindow-" + instanceName()).c_str());
    return message;
}

ULONG_PTR launchRequestTag() {
    // A number no other program uses, the same in every process of the session: a registered message.
    static const UINT tag = RegisterWindowMessageW((L"TavimoroLaunchPath-" + instanceName()).c_str());
    return tag;
}

std::optional<std::string> launchRequestPath(const COPYDATASTRUCT& data) {
    // The longest path the wide file functions take, with its NUL.
    constexpr DWORD kMaxBytes = 32768 * sizeof(wchar_t);
    if (data.dwData != launchRequestTag() || !data.lpData || data.cbData < 2 * sizeof(wchar_t) ||
        data.cbData > kMaxBytes || data.cbData % sizeof(wchar_t) != 0)
        return std::nullopt;
    // The sender's buffer need not be aligned for wchar_t: the characters are copied out first.
    std::wstring path(data.cbData / sizeof(wchar_t), L'\0');
    std::memcpy(path.data(), data.lpData, data.cbData);
    if (path.back() != L'\0')
        return std::nullopt;
    path.pop_back();
    if (path.find(L'\0') != std::wstring::npos)
        return std::nullopt;
    return toUtf8(path);
}

std::wstring commandTail(std::wstring_view line) {
    size_t pos = 0;
    if (!line.empty() && line[0] == L'"') {
        // A quoted name runs to the next quote; the parser of the C run-time does the same.
        size_t close = line.find(L'"', 1);
        pos = close == std::wstring_view::npos ? line.size() : close + 1;
    } else {
        while (pos < line.size() && !isBlank(line[pos]))
            ++pos;
    }
    while (pos < line.size() && isBlank(line[pos]))
        ++pos;
    return std::wstring(line.substr(pos));
}

std::wstring modulePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring programFolder() {
    // A root folder ("C:\\") ends in its separator already.
    std::wstring folder = folderOf(modulePath());
    return folder.empty() || folder.back() == L'\\' ? folder : folder + L"\\";
}

std::string Win32Process::exeName() {
    return toUtf8(baseNameWithoutExtension(modulePath()));
}

std::string Win32Process::commandLine() {
    const wchar_t* line = GetCommandLineW();
    return line ? toUtf8(commandTail(line)) : std::string();
}

std::string Win32Process::settingsFilePath() {
    return toUtf8(programFolder() + baseNameWithoutExtension(modulePath()) + L".ini");
}

port::Version Win32Process::version() {
    const std::wstring exe = modulePath();
    DWORD ignored = 0;
    const DWORD size = exe.empty() ? 0 : GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<unsigned char> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(exe.c_str(), 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != VS_FFI_SIGNATURE)
        return {};
    return {static_cast<int>(HIWORD(info->dwFileVersionMS)), static_cast<int>(LOWORD(info->dwFileVersionMS)),
            static_cast<int>(HIWORD(info->dwFileVersionLS))};
}

bool Win32Process::anotherInstanceRunning() {
    if (m_another)
        return *m_another;
    // One mutex per user session and instance name.
    std::wstring mutexName = L"Local\\Tavimoro-" + instanceName();
    m_instanceMutex = UniqueHandle(CreateMutexW(nullptr, FALSE, mutexName.c_str()));
    DWORD error = GetLastError();
    // A mutex that exists but may not be opened belongs to a running instance as well.
    m_another = m_instanceMutex.valid() ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    return *m_another;
}

port::Result<void, port::HandOverFailure> Win32Process::handOver(const std::string& path) {
    // Hidden windows are found too (a resident first instance keeps its window hidden). All of them are
    // listed before any is asked: the one that comes forward changes the order they are found in.
    std::vector<HWND> windows;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr));)
        windows.push_back(window);
    const std::wstring wide = toWide(path);
    COPYDATASTRUCT request{launchRequestTag(), static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)),
                           const_cast<wchar_t*>(wide.c_str())};
    bool answered = false;
    for (HWND window : windows) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        // Only the process the user just started may take the foreground; it hands that right on, to the
        // window or to the program it launches.
        AllowSetForegroundWindow(owner);
        DWORD_PTR answer = 0;
        if (path.empty()) {
            answered |=
                SendMessageTimeoutW(window, showRequestMessage(), 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0;
        } else if (SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&request),
                                       SMTO_ABORTIFHUNG, 5000, &answer) != 0 &&
                   answer != 0) {
            if (answer == kLaunchTaken)
                return {};
            return port::HandOverFailure::Refused;
        }
    }
    if (!answered)
        return port::HandOverFailure::Unreachable;
    return {};
}

} // namespace win
