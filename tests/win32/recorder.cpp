// A stand-in for a disc's autorun program: writes how it was started into "record.txt" beside itself
// (or into the file named by TAVIMORO_RECORD), as UTF-8 lines "cmdline=", "args=", "cwd=".
#include "win32/Handles.h"
#include "win32/WideText.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Process.h"

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const wchar_t* line = GetCommandLineW();
    std::wstring exe = win::modulePath();
    std::wstring target = exe.substr(0, exe.find_last_of(L'\\') + 1) + L"record.txt";
    wchar_t named[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"TAVIMORO_RECORD", named, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        target = named;
    win::Win32FileSystem files;
    std::string record = "cmdline=" + win::toUtf8(line) + "\r\n" +
                         "args=" + win::toUtf8(win::commandTail(line)) + "\r\n" +
                         "cwd=" + files.currentDirectory().value_or("") + "\r\n";
    return files.replaceFile(win::toUtf8(target), record).ok() ? 0 : 1;
}
