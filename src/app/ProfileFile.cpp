// The profile operations on a file: the file read, the pure operation applied, and the file replaced only
// when the bytes changed.
#include "app/Profile.h"

namespace app::profile {

namespace {

// The file's bytes for a write: empty for a file that does not exist yet; a failure for one that exists
// but cannot be read (replacing it would lose what it holds).
port::Result<std::string> readForWrite(port::IFileSystem& files, const std::string& path) {
    auto data = files.readFile(path);
    if (data || !files.kind(path))
        return std::move(data).value_or(std::string());
    return data;
}

// Writes only what changed: an unchanged file is left alone.
port::Result<void> store(port::IFileSystem& files, const std::string& path, const std::string& before,
                         const std::string& after) {
    if (after == before)
        return {};
    return files.replaceFile(path, after);
}

} // namespace

std::string getProfileString(port::IFileSystem& files, port::ITextCodec& codec, const std::string& path,
                             std::string_view section, std::string_view key, std::string_view defaultValue,
                             std::size_t bufferSize) {
    const auto data = files.readFile(path);
    return getString(data ? std::string_view(*data) : std::string_view(), section, key, defaultValue, codec,
                     bufferSize);
}

std::vector<std::string> getProfileSection(port::IFileSystem& files, port::ITextCodec& codec,
                                           const std::string& path, std::string_view section) {
    auto data = files.readFile(path);
    if (!data)
        return {};
    return getSection(*data, section, codec);
}

port::Result<void> writeProfileString(port::IFileSystem& files, port::ITextCodec& codec,
                                      const std::string& path, std::string_view section, std::string_view key,
                                      std::string_view value, Newline newFileStyle) {
    auto data = readForWrite(files, path);
    if (!data)
        return data.failure();
    return store(files, path, *data, writeString(*data, section, key, value, codec, newFileStyle));
}

port::Result<void> deleteProfileSection(port::IFileSystem& files, port::ITextCodec& codec,
                                        const std::string& path, std::string_view section) {
    auto data = readForWrite(files, path);
    if (!data)
        return data.failure();
    return store(files, path, *data, deleteSection(*data, section, codec));
}

port::Result<void> deleteProfileKey(port::IFileSystem& files, port::ITextCodec& codec,
                                    const std::string& path, std::string_view section, std::string_view key) {
    auto data = readForWrite(files, path);
    if (!data)
        return data.failure();
    return store(files, path, *data, deleteKey(*data, section, key, codec));
}

} // namespace app::profile
