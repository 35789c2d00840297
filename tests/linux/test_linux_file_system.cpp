#include "drives/Shortcuts.h"
#include "linux/LinuxFileSystem.h"
#include "port/Paths.h"

#include <cstring>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "tavimoro-fs-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

void writeRaw(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

std::vector<std::string> entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    return names;
}

TEST(LinuxFileSystem, ReadAndReplace) {
    TempDir dir;
    lnx::LinuxFileSystem files;
    const std::string path = dir / "t.ini";
    EXPECT_FALSE(files.readFile(path));

    ASSERT_TRUE(files.replaceFile(path, std::string("a\0b\r\n", 5)));
    EXPECT_EQ(files.readFile(path), std::string("a\0b\r\n", 5));

    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(files.replaceFile(path, "second"));
    EXPECT_EQ(files.readFile(path), "second");
    EXPECT_EQ(modeOf(path), 0640u);
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"t.ini"}); // no temporary file left

    EXPECT_FALSE(files.readFile(dir.path.string())); // a folder is not a file
    EXPECT_FALSE(files.replaceFile(dir.path.string(), "x"));
}

TEST(LinuxFileSystem, ReplaceFollowsASymbolicLink) {
    TempDir dir;
    lnx::LinuxFileSystem files;
    writeRaw(dir / "real.ini", "old");
    fs::create_symlink(dir / "real.ini", dir / "link.ini");
    ASSERT_TRUE(files.replaceFile(dir / "link.ini", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(files.readFile(dir / "real.ini"), "new");
}

TEST(LinuxFileSystem, FailedReplaceLeavesTheOldFile) {
    TempDir dir;
    lnx::LinuxFileSystem files;
    EXPECT_FALSE(files.replaceFile(dir / "missing/t.ini", "x"));

    const std::string path = dir / "t.ini";
    writeRaw(path, "old");
    // A read-only file is refused whoever asks, as Windows refuses it.
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(files.replaceFile(path, "new").error(),
              "ファイルを書き込めません: " + path + " (" + std::strerror(EACCES) + ")");
    EXPECT_EQ(files.readFile(path), "old");
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"t.ini"});
    ::chmod(path.c_str(), 0644);
    ::chmod(dir.path.c_str(), 0555);
    if (::access(dir.path.c_str(), W_OK) == 0)
        GTEST_SKIP() << "running with rights that ignore a read-only folder";
    EXPECT_FALSE(files.replaceFile(path, "new"));
    EXPECT_EQ(files.readFile(path), "old");
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"t.ini"});
}

TEST(LinuxFileSystem, KindsListingDeleteAndFolders) {
    TempDir dir;
    lnx::LinuxFileSystem files;
    writeRaw(dir / "b.txt", "1");
    writeRaw(dir / ".hidden", "1");
    fs::create_directory(dir / "sub");

    EXPECT_EQ(files.kind(dir / "sub"), port::FileKind::Folder);
    EXPECT_EQ(files.kind(dir / "b.txt"), port::FileKind::File);
    EXPECT_FALSE(files.kind(dir / "none"));

    // Files only: a link to a file counts, a link to a folder does not.
    fs::create_symlink(dir / "b.txt", dir / "link");
    fs::create_directory_symlink(dir / "sub", dir / "sublink");
    EXPECT_EQ(files.folderFiles(dir.path.string()), (std::vector<std::string>{".hidden", "b.txt", "link"}));
    EXPECT_FALSE(files.folderFiles(dir / "none"));
    EXPECT_FALSE(files.folderFiles(dir / "b.txt"));

    EXPECT_TRUE(files.deleteFile(dir / "b.txt").ok());
    EXPECT_FALSE(fs::exists(dir / "b.txt"));
    EXPECT_EQ(files.deleteFile(dir / "b.txt").error(), "ファイルを削除できません: " + (dir / "b.txt"));
    EXPECT_FALSE(files.deleteFile(dir / "sub").ok());
    EXPECT_TRUE(fs::is_directory(dir / "sub"));

    EXPECT_TRUE(files.createDirectories(dir / "x/y/z"));
    EXPECT_TRUE(fs::is_directory(dir / "x/y/z"));
    EXPECT_FALSE(files.createDirectories(dir / ".hidden/z")); // a file is in the way
    EXPECT_EQ(files.currentDirectory(), fs::current_path().string());
}

TEST(LinuxFileSystem, ResolverAppliesToEveryPath) {
    TempDir dir;
    std::vector<std::string> asked;
    lnx::LinuxFileSystem files([&](const std::string& p) {
        asked.push_back(p);
        std::string out = dir.path.string() + "/";
        for (char c : p.substr(3))
            out += c == '\\' ? '/' : c;
        return out;
    });
    ASSERT_TRUE(files.createDirectories("E:\\Bin"));
    ASSERT_TRUE(files.replaceFile("E:\\Bin\\a.txt", "x"));
    EXPECT_EQ(files.readFile("E:\\Bin\\a.txt"), "x");
    EXPECT_EQ(files.kind("E:\\Bin"), port::FileKind::Folder);
    EXPECT_EQ(files.folderFiles("E:\\Bin"), std::vector<std::string>{"a.txt"});
    EXPECT_TRUE(files.deleteFile("E:\\Bin\\a.txt").ok());
    EXPECT_EQ(asked.size(), 6u);
}

TEST(LinuxPaths, aShortcutNameIsCutToWhatTheFolderTakes) {
    TempDir dir;
    const std::string folder = dir.path.string() + "/";
    for (const std::size_t length : {std::size_t{255}, std::size_t{256}}) {
        const std::string name(length, 'a');
        EXPECT_EQ(port::fileNameFits(folder, name), length == 255);
        EXPECT_EQ(std::ofstream(folder + name).good(), length == 255) << "the file system agrees";
    }
    // 90 Japanese characters (270 bytes) fit in a UDF label, not in a file name.
    std::string label;
    for (int i = 0; i < 90; ++i)
        label += "巻";
    const std::string name = drives::startMenuEntryName(folder, 'E', label, ".desktop");
    EXPECT_LE(name.size(), 255u);
    EXPECT_EQ(name.substr(0, 7), "(E) 巻");
    EXPECT_TRUE(std::ofstream(folder + name).good());
}

} // namespace
