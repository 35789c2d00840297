// Checks the Windows services against the real system (run under Wine by tests/e2e/wine/platform.sh).
// Usage: platform_check WORKFOLDER [CDROM_LETTER CDROM_LABEL]
// Prints one line per failed check and a summary; the exit status is the number of failures.
#include "port/Paths.h"
#include "win32/Handles.h"
#include "win32/WideText.h"
#include "win32/Win32Codec.h"
#include "win32/Win32Drives.h"
#include "win32/Win32FileSystem.h"
#include "win32/Win32Process.h"
#include "win32/Win32Shortcuts.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

int g_failures = 0;
int g_checks = 0;

void check(bool ok, const std::string& what, const std::string& detail = "") {
    ++g_checks;
    if (ok)
        return;
    ++g_failures;
    std::string line = "FAIL " + what + (detail.empty() ? "" : ": " + detail) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

void checkEqual(const std::string& got, const std::string& expected, const std::string& what) {
    check(got == expected, what, "got [" + got + "], expected [" + expected + "]");
}

void writeRaw(const std::string& path, const std::string& bytes) {
    win::Win32FileSystem files;
    check(files.replaceFile(path, bytes).ok(), "writing " + path);
}

void checkCommandTail() {
    struct Case {
        const wchar_t* line;
        const wchar_t* tail;
    } cases[] = {
        {L"C:\\tavi\\tavimoro.exe C:\\disc", L"C:\\disc"},
        {L"\"C:\\a b\\tavimoro.exe\" \"C:\\x y\"", L"\"C:\\x y\""},
        {L"\"C:\\a b\\tavimoro.exe\"\"x\"", L"\"x\""},
        {L"tavimoro.exe \t  /TestMode", L"/TestMode"},
        {L"tavimoro.exe  arg  ", L"arg  "},
        {L"tavimoro.exe", L""},
        {L"\"C:\\unterminated name", L""},
        {L"", L""},
    };
    for (const Case& c : cases)
        checkEqual(win::toUtf8(win::commandTail(c.line)), win::toUtf8(c.tail),
                   "commandTail of [" + win::toUtf8(c.line) + "]");
}

void checkPaths() {
    struct Case {
        const char* path;
        bool absolute;
    } cases[] = {{"C:\\", true}, {"e:/x", true}, {"\\\\server\\share", true},
                 {"C:", false},  {"C:x", false}, {"x\\y", false},
                 {"", false},    {"1:\\", false}};
    for (const Case& c : cases)
        check(port::isAbsolutePath(c.path) == c.absolute, std::string("isAbsolutePath ") + c.path);
    check(port::pathSeparator() == '\\' && port::isPathSeparator('/') && !port::isPathSeparator(':'),
          "path separators");
}

void checkCodec() {
    win::Win32Codec codec;
    std::string withNul("a\0b", 3);
    checkEqual(codec.ansiToUtf8(withNul), withNul, "codec keeps an embedded NUL");
    checkEqual(codec.ansiToUtf8(""), "", "codec of empty text");
    if (GetACP() == 932) {
        const std::string sjis = "\x93\xfa\x96\x7b\x8c\xea"; // 日本語 in CP932
        checkEqual(codec.ansiToUtf8(sjis), "日本語", "CP932 to UTF-8");
        checkEqual(codec.utf8ToAnsi("日本語"), sjis, "UTF-8 to CP932");
        // A lead byte at the very end is cut short: it must not swallow or crash, just convert.
        check(!codec.ansiToUtf8("A\x93").empty(), "a truncated double-byte character");
    } else {
        std::printf("note: ANSI code page %u, not 932: the Japanese conversions were not checked\n",
                    GetACP());
    }
}

void checkFileSystem(const std::string& work) {
    win::Win32FileSystem files;
    const std::string folder = work + "\\fs";
    check(files.createDirectories(folder + "\\deep\\er\\").ok(), "createDirectories of a nested folder");
    check(files.kind(folder + "\\deep\\er") == port::FileKind::Folder, "a created folder");
    check(files.createDirectories(folder + "\\deep").ok(), "createDirectories of an existing folder");

    const std::string file = folder + "\\a.txt";
    check(files.replaceFile(file, "first").ok(), "replaceFile of a new file");
    checkEqual(files.readFile(file).value_or("<none>"), "first", "readFile after writing");
    check(!files.createDirectories(file + "\\sub"), "createDirectories below a file");

    // The old file's attributes survive the replacement.
    SetFileAttributesW(win::toWide(file).c_str(), FILE_ATTRIBUTE_HIDDEN);
    check(files.replaceFile(file, std::string("second\0line", 11)).ok(), "replaceFile of a hidden file");
    checkEqual(files.readFile(file).value_or("<none>"), std::string("second\0line", 11),
               "the replaced content");
    check(GetFileAttributesW(win::toWide(file).c_str()) & FILE_ATTRIBUTE_HIDDEN,
          "replaceFile keeps the hidden attribute");
    SetFileAttributesW(win::toWide(file).c_str(), FILE_ATTRIBUTE_READONLY);
    check(!files.replaceFile(file, "third"), "replaceFile of a read-only file is refused");
    checkEqual(files.readFile(file).value_or("<none>"), std::string("second\0line", 11), "and leaves it");
    SetFileAttributesW(win::toWide(file).c_str(), FILE_ATTRIBUTE_NORMAL);

    check(!files.replaceFile(folder + "\\missing\\b.txt", "x"), "replaceFile into a missing folder");
    check(!files.replaceFile(folder + "\\deep", "x"), "replaceFile over a folder");
    check(files.kind(folder + "\\deep") == port::FileKind::Folder, "the folder is left as it was");
    check(!files.readFile(folder + "\\deep").ok(), "readFile of a folder");
    check(!files.readFile(folder + "\\nothing.txt").ok(), "readFile of a missing file");
    check(!files.kind(folder + "\\nothing.txt").ok(), "the kind of a missing file");

    writeRaw(folder + "\\visible.txt", "v");
    writeRaw(folder + "\\二.txt", "2");
    writeRaw(folder + "\\system.txt", "s");
    SetFileAttributesW(win::toWide(folder + "\\system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
    for (const std::string& base : {folder, folder + "\\"}) {
        // Hidden and system files are in, the folder is out, and no replacement left a temporary file.
        auto names = files.folderFiles(base).value_or(std::vector<std::string>{"<failed>"});
        std::sort(names.begin(), names.end());
        std::string got;
        for (const std::string& name : names)
            got += name + " ";
        checkEqual(got, "a.txt system.txt visible.txt 二.txt ", "folderFiles of " + base);
    }
    check(!files.folderFiles(folder + "\\missing").ok(), "folderFiles of a missing folder");

    check(files.deleteFile(folder + "\\visible.txt").ok(), "deleteFile of a file");
    check(!files.kind(folder + "\\visible.txt"), "the deleted file is gone");
    checkEqual(files.deleteFile(folder + "\\visible.txt").error(), "指定されたファイルが見つかりません。",
               "deleteFile of a missing file");
    check(!files.currentDirectory().value_or("").empty(), "currentDirectory");
}

void checkDrives(const std::string& cdLetter, const std::string& cdLabel) {
    win::Win32Drives drives;
    const auto listed = drives.cdromLetters();
    check(listed.ok(), "cdromLetters", listed.error());
    const auto letters = listed.value_or(std::vector<char>{});
    const auto has = [&](char letter) {
        return std::find(letters.begin(), letters.end(), letter) != letters.end();
    };
    check(std::is_sorted(letters.begin(), letters.end()) && !has('C'),
          "cdromLetters: CD-ROM drives alone, in letter order", std::string(letters.begin(), letters.end()));
    checkEqual(drives.disc('Q').label, "", "the label of a drive that does not exist");
    if (!cdLetter.empty()) {
        check(has(cdLetter[0]), "cdromLetters holds " + cdLetter);
        const port::Disc disc = drives.disc(cdLetter[0]);
        checkEqual(disc.label, cdLabel, "the label of the CD-ROM drive");
        checkEqual(disc.root, cdLetter + ":\\", "the root of the CD-ROM drive");
        // Whatever the system answers reaches the user: done, or refused with the system's reason.
        const auto ejected = drives.eject(cdLetter[0]);
        std::printf("eject %s: %s\n", cdLetter.c_str(), ejected ? "done" : ejected.error().c_str());
        const std::string refused = "ディスクを取り出せませんでした。\r\n";
        check(ejected.ok() ||
                  (ejected.error().starts_with(refused) && ejected.error().size() > refused.size()),
              "an eject is done or says why", ejected.error());
    }
    check(!drives.eject('Q'), "an eject of a drive that does not exist is refused");
}

void checkShortcuts() {
    win::Win32Launcher launcher;
    check(launcher.ready().ok(), "the launcher is ready", launcher.ready().error());
    const std::string exe = win::toUtf8(win::modulePath());
    checkEqual(launcher.launchFile(), exe.substr(0, exe.rfind('\\') + 1) + "autorun.lnk", "launchFile");

    win::Win32StartMenu startMenu;
    win::Win32FileSystem files;
    const std::string menu = startMenu.folder();
    check(!menu.empty() && menu.back() == '\\' && menu.find('\0') == std::string::npos,
          "the Start-menu folder", menu);
    check(files.kind(menu) == port::FileKind::Folder, "the Start-menu folder exists", menu);
    checkEqual(startMenu.extension(), ".lnk", "the Start menu's extension");

    const port::Shortcut shortcut{"C:\\windows\\notepad.exe", "/a \"b c\"", "C:\\windows\\",
                                  "C:\\windows\\notepad.exe,1"};
    port::Shortcut reviewed;
    const auto published = startMenu.publish("(M) テスト.lnk", shortcut,
                                             [&](const port::Shortcut& stored) { reviewed = stored; });
    check(published.ok(), "publish", published ? "" : published.failure().reason);
    checkEqual(reviewed.arguments, shortcut.arguments, "the arguments reviewed before saving");
    const std::string lnk = published.value_or(std::string());
    checkEqual(lnk, menu + "(M) テスト.lnk", "the published entry's path");

    // Read the file itself back: what the shell will open.
    win::ComPtr<IShellLinkW> reader;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reader.putVoid());
    auto persist = reader.query<IPersistFile>(IID_IPersistFile);
    check(persist && SUCCEEDED(persist->Load(win::toWide(lnk).c_str(), STGM_READ)),
          "the saved shortcut loads");
    if (persist) {
        wchar_t text[1024] = {};
        int index = -1;
        reader->GetPath(text, 1024, nullptr, SLGP_RAWPATH);
        checkEqual(win::toUtf8(text), shortcut.program, "saved target");
        reader->GetArguments(text, 1024);
        checkEqual(win::toUtf8(text), shortcut.arguments, "saved arguments");
        reader->GetWorkingDirectory(text, 1024);
        checkEqual(win::toUtf8(text), shortcut.folder, "saved working folder");
        reader->GetIconLocation(text, 1024, &index);
        checkEqual(win::toUtf8(text) + "," + std::to_string(index), shortcut.icon, "saved icon");
    }
    persist.reset();
    // The entry is known as the program's own; a file of the same form that the program did not write is not.
    writeRaw(menu + "(N) USER.lnk", "not a shortcut of the program's");
    const auto own = startMenu.ownEntries();
    check(own == std::vector<std::string>{"(M) テスト.lnk"}, "ownEntries", own.empty() ? "" : own.back());
    DeleteFileW(win::toWide(menu + "(N) USER.lnk").c_str());
    startMenu.withdraw(lnk);
    check(!files.kind(lnk), "withdraw deletes the entry");
    startMenu.withdraw(lnk); // gone already: nothing happens

    const auto refused = startMenu.publish("missing\\x.lnk", shortcut, {});
    check(!refused && refused.failure().fault == port::ShortcutFault::NotSaved &&
              !refused.failure().reason.empty(),
          "publish into a missing folder: not saved, with an error text");
}

// What a shortcut's target becomes for a program named as discs name them, and a launch of one that is not
// there.
void checkTargets(const std::string& work) {
    const std::string disc = work + "\\disc\\";
    CreateDirectoryW(win::toWide(disc).c_str(), nullptr);
    CreateDirectoryW(win::toWide(disc + "bin").c_str(), nullptr);
    writeRaw(disc + "TOOL.EXE", "MZ");
    writeRaw(disc + "bin\\prog.exe", "MZ");
    wchar_t explorer[MAX_PATH] = {};
    SearchPathW(nullptr, L"explorer.exe", nullptr, MAX_PATH, explorer, nullptr);
    const std::pair<std::string, std::string> cases[] = {
        {"explorer", win::toUtf8(explorer)}, // on the search path, with its extension
        {"TOOL", disc + "TOOL.EXE"},         // the disc's folder comes first
        {"bin\\prog", disc + "bin\\prog.exe"},
        {disc + "none.exe", disc + "none.exe"}, // a whole path stays as it is
    };
    win::Win32StartMenu startMenu;
    win::ComPtr<IShellLinkW> reader;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, reader.putVoid());
    const auto file = reader.query<IPersistFile>(IID_IPersistFile);
    for (const auto& [program, target] : cases) {
        const auto entry = startMenu.publish("(Z) target.lnk", {program, "", disc, ""}, {});
        wchar_t stored[MAX_PATH + 1] = {};
        if (entry && file && SUCCEEDED(file->Load(win::toWide(*entry).c_str(), STGM_READ)))
            reader->GetPath(stored, MAX_PATH, nullptr, SLGP_RAWPATH);
        check(_wcsicmp(stored, win::toWide(target).c_str()) == 0, "the target of " + program,
              win::toUtf8(stored));
        startMenu.withdraw(entry.value_or(""));
    }
    const auto missing = win::Win32Launcher().launch({disc + "NONE.EXE", "", disc, ""}, {});
    check(!missing && missing.failure().fault == port::ShortcutFault::Missing &&
              missing.failure().path == disc + "NONE.EXE",
          "a program that is not there is found out before the launch");
}

void checkProcess() {
    win::Win32Process process;
    checkEqual(process.exeName(), "platform_check", "exeName");
    std::string exe = win::toUtf8(win::modulePath());
    std::string folder = exe.substr(0, exe.rfind('\\') + 1);
    checkEqual(process.settingsFilePath(), folder + "platform_check.ini", "settingsFilePath");
    const port::Version version = process.version();
    check(version.major == 0 && version.minor == 0 && version.revision == 0,
          "a program without a version resource has no version numbers");
    check(!process.anotherInstanceRunning(), "the first instance");
    check(!process.anotherInstanceRunning(), "the first instance, asked again");
    win::Win32Process second;
    check(second.anotherInstanceRunning(), "a second instance sees the first");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 4) {
        std::fputs("usage: platform_check WORKFOLDER [CDROM_LETTER CDROM_LABEL]\n", stderr);
        return 100;
    }
    win::ComScope com;
    const std::string work = win::toUtf8(argv[1]);
    const std::string cdLetter = argc == 4 ? win::toUtf8(argv[2]) : "";
    const std::string cdLabel = argc == 4 ? win::toUtf8(argv[3]) : "";
    checkCommandTail();
    checkPaths();
    checkCodec();
    checkFileSystem(work);
    checkDrives(cdLetter, cdLabel);
    checkShortcuts();
    checkTargets(work);
    checkProcess();
    std::printf("%d checks, %d failed\n", g_checks, g_failures);
    return g_failures;
}
