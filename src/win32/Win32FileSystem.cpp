#include "win32/Win32FileSystem.h"

#include "win32/Handles.h"
#include "win32/WideText.h"

#include <string>

namespace win {

namespace {

bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// The failure of an operation other than a deletion, with the Win32 error code that caused it.
port::Error failure(const char* what, const std::string& path, unsigned long error) {
    return port::fail(what + path + " (エラー " + std::to_string(error) + ")");
}

} // namespace

std::string fileErrorText(unsigned long error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return "指定されたファイルが見つかりません。";
    case ERROR_PATH_NOT_FOUND:
        return "指定されたパスが見つかりません。";
    case ERROR_ACCESS_DENIED:
        return "アクセスが拒否されました。";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "ファイルは別のプロセスが使用中のため、アクセスできません。";
    case ERROR_WRITE_PROTECT:
        return "メディアは書き込み禁止になっています。";
    case ERROR_NOT_READY:
        return "デバイスの準備ができていません。";
    case ERROR_INVALID_NAME:
        return "ファイル名、ディレクトリ名、またはボリューム ラベルの構文が間違っています。";
    default:
        return "ファイルを削除できませんでした。(エラー " + std::to_string(error) + ")";
    }
}

port::Result<std::string> Win32FileSystem::readFile(const std::string& path, std::size_t limit) {
    const std::uint64_t most = std::min<std::uint64_t>(limit, kMaxReadSize);
    constexpr const char* kWhat = "ファイルを読み込めません: ";
    std::wstring wide = toWide(path);
    if (wide.empty())
        return failure(kWhat, path, ERROR_INVALID_NAME);
    UniqueHandle file(CreateFileW(wide.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return failure(kWhat, path, GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > most)
        return failure(kWhat, path, ERROR_FILE_TOO_LARGE);
    std::string bytes;
    bytes.reserve(static_cast<size_t>(size.QuadPart));
    // Read to the end rather than trusting the size: the file may change while it is read.
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
            return failure(kWhat, path, GetLastError());
        if (got == 0)
            break;
        if (bytes.size() + got > most)
            return failure(kWhat, path, ERROR_FILE_TOO_LARGE);
        bytes.append(buffer, got);
    }
    return bytes;
}

port::Result<void> Win32FileSystem::replaceFile(const std::string& path, std::string_view bytes) {
    constexpr const char* kWhat = "ファイルを書き込めません: ";
    std::wstring target = toWide(path);
    if (target.empty())
        return failure(kWhat, path, ERROR_INVALID_NAME);
    wchar_t temp[MAX_PATH + 16] = {};
    // The temporary file goes beside the target ("." for a bare name).
    const std::wstring folder = folderOf(target);
    if (!GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"tvm", 0, temp))
        return failure(kWhat, path, GetLastError());
    bool written = false;
    DWORD error = ERROR_DIRECTORY; // what is in the way when the target is a folder
    {
        UniqueHandle file(
            CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        written = file.valid() && writeAll(file.get(), bytes) && FlushFileBuffers(file.get());
        if (!written)
            error = GetLastError();
    }
    if (written) {
        DWORD existing = GetFileAttributesW(target.c_str());
        if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY)) {
            // The profile functions leave a read-only file alone, and so does every write here.
            error = ERROR_ACCESS_DENIED;
        } else if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY)) {
            // ReplaceFileW carries the old file's attributes and security over to the new one.
            if (ReplaceFileW(target.c_str(), temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                             nullptr)) {
                // Wine's ReplaceFileW drops the old attributes (hidden, system): put them back.
                constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                        FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
                DWORD now = GetFileAttributesW(target.c_str());
                if (now != INVALID_FILE_ATTRIBUTES && (now & kKept) != (existing & kKept))
                    SetFileAttributesW(target.c_str(), (now & ~kKept) | (existing & kKept));
                return {};
            }
            error = GetLastError();
        } else if (existing == INVALID_FILE_ATTRIBUTES) {
            if (MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return {};
            error = GetLastError();
        }
    }
    DeleteFileW(temp);
    return failure(kWhat, path, error);
}

port::Result<port::FileKind> Win32FileSystem::kind(const std::string& path) {
    constexpr const char* kWhat = "ファイルが見つかりません: ";
    std::wstring wide = toWide(path);
    if (wide.empty())
        return failure(kWhat, path, ERROR_INVALID_NAME);
    DWORD attrs = GetFileAttributesW(wide.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return failure(kWhat, path, GetLastError());
    return (attrs & FILE_ATTRIBUTE_DIRECTORY) ? port::FileKind::Folder : port::FileKind::File;
}

port::Result<std::vector<std::string>> Win32FileSystem::folderFiles(const std::string& folder) {
    constexpr const char* kWhat = "フォルダを開けません: ";
    std::wstring pattern = toWide(folder);
    if (pattern.empty())
        return failure(kWhat, folder, ERROR_INVALID_NAME);
    if (!isSeparator(pattern.back()) && pattern.back() != L':')
        pattern += L'\\';
    pattern += L"*.*";
    QuietDriveErrors quiet;
    WIN32_FIND_DATAW data{};
    FindHandle scan(FindFirstFileW(pattern.c_str(), &data));
    if (!scan.valid()) {
        // An existing folder without a single entry (an empty disc root) is an empty list, not a failure.
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return std::vector<std::string>{};
        return failure(kWhat, folder, error);
    }
    std::vector<std::string> names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(toUtf8(data.cFileName));
    } while (FindNextFileW(scan.get(), &data));
    return names;
}

port::Result<void> Win32FileSystem::deleteFile(const std::string& path) {
    std::wstring wide = toWide(path);
    if (wide.empty())
        return port::fail(fileErrorText(ERROR_INVALID_NAME));
    if (DeleteFileW(wide.c_str()))
        return {};
    return port::fail(fileErrorText(GetLastError()));
}

port::Result<void> Win32FileSystem::createDirectories(const std::string& path) {
    std::wstring wide = toWide(path);
    constexpr const char* kWhat = "フォルダを作成できません: ";
    while (!wide.empty() && isSeparator(wide.back()))
        wide.pop_back();
    if (wide.empty())
        return failure(kWhat, path, ERROR_INVALID_NAME);
    DWORD attrs = GetFileAttributesW(wide.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) {
        if (attrs & FILE_ATTRIBUTE_DIRECTORY)
            return {};
        return failure(kWhat, path, ERROR_ALREADY_EXISTS);
    }
    // Create each missing level from the top; the drive or share part is never created.
    size_t start = 0;
    if (wide.size() >= 2 && wide[1] == L':')
        start = 3;
    else if (wide.size() >= 2 && isSeparator(wide[0]) && isSeparator(wide[1])) {
        size_t server = wide.find_first_of(L"\\/", 2);
        size_t share = server == std::wstring::npos ? server : wide.find_first_of(L"\\/", server + 1);
        start = share == std::wstring::npos ? wide.size() : share + 1;
    }
    for (size_t pos = start; pos <= wide.size(); ++pos) {
        if (pos != wide.size() && !isSeparator(wide[pos]))
            continue;
        std::wstring level = wide.substr(0, pos);
        if (level.empty() || isSeparator(level.back()))
            continue;
        if (!CreateDirectoryW(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return failure(kWhat, path, GetLastError());
    }
    attrs = GetFileAttributesW(wide.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    return failure(kWhat, path, ERROR_DIRECTORY);
}

port::Result<std::string> Win32FileSystem::currentDirectory() {
    constexpr const char* kWhat = "作業フォルダがわかりません: ";
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0)
        return failure(kWhat, "", GetLastError());
    std::wstring buffer(n, L'\0');
    DWORD got = GetCurrentDirectoryW(n, buffer.data());
    if (got == 0 || got >= n)
        return failure(kWhat, "", got == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
    buffer.resize(got);
    return toUtf8(buffer);
}

} // namespace win
