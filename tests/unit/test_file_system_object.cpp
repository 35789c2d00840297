#include "shell/cls_FileSystemObject.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace {

// Both listings must answer alike, so every case runs through the scripting object and the fallback.
class FileSystemObjectTest : public ::testing::TestWithParam<bool> {
  protected:
    fakes::Platform p;
    void SetUp() override {
        p.host.fsoAvailable = GetParam();
        p.fs.addFile("E:\\autorun.inf", "[AutoRun]");
        p.fs.addFile("E:\\Setup.exe");
        p.fs.addFile("E:\\Sub\\inner.txt");
        p.fs.addFolder("F:");
    }
};

TEST_P(FileSystemObjectTest, LooksUpNamesIgnoringCaseWithOrWithoutSeparator) {
    app::cls_FileSystemObject fso(p.services);
    EXPECT_EQ(fso.FileSystemObjectCall(), GetParam());
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"E:\\", "AUTORUN.INF", true},  {"E:", "AUTORUN.INF", true},    {"e:\\", "autorun.INF", true},
        {"E:\\", "SETUP.EXE", true},    {"E:\\", "Sub", false},         {"E:\\", "inner.txt", false},
        {"F:\\", "AUTORUN.INF", false}, {"Q:\\", "AUTORUN.INF", false}, {"E:\\", "", false},
    };
    for (const auto& [folder, name, expected] : cases)
        EXPECT_EQ(fso.File(folder, name), expected) << folder << ' ' << name;
}

TEST_P(FileSystemObjectTest, ListsFilesButNeverFolders) {
    app::cls_FileSystemObject fso(p.services);
    auto names = fso.Files("E:");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Setup.exe", "autorun.inf"}));
    EXPECT_TRUE(fso.Files("Q:\\").empty());
}

TEST_P(FileSystemObjectTest, DeletesOnlyWhatItFinds) {
    app::cls_FileSystemObject fso(p.services);
    EXPECT_TRUE(fso.Delete("E:\\", "missing.lnk").ok());
    EXPECT_TRUE(fso.Delete("E:\\", "SETUP.EXE").ok());
    EXPECT_FALSE(p.fs.files.count("E:\\Setup.exe"));
    p.fs.undeletable.insert("E:\\autorun.inf");
    const auto refused = fso.Delete("E:\\", "autorun.inf");
    EXPECT_FALSE(refused.ok()) << "a failed deletion is reported to the caller";
    EXPECT_EQ(refused.error(), "アクセスが拒否されました") << "with the platform's text";
    EXPECT_TRUE(p.fs.files.count("E:\\autorun.inf"));
}

INSTANTIATE_TEST_SUITE_P(BothListings, FileSystemObjectTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Scripting" : "Fallback"; });

TEST(FileSystemObjectFallback, SkipsHiddenFilesAndReportsUnreadableEntries) {
    fakes::Platform p;
    p.host.fsoAvailable = false;
    p.fs.addFile("E:\\AUTORUN.INF");
    p.fs.extraAttrs["E:\\AUTORUN.INF"] = port::kAttrHidden;
    p.fs.addFile("E:\\a.txt");
    p.fs.addFile("E:\\locked.bin");
    p.fs.unreadableAttrs.insert("E:\\locked.bin");
    app::cls_FileSystemObject fso(p.services);
    EXPECT_FALSE(fso.File("E:\\", "AUTORUN.INF"));
    p.messages.shown.clear();
    EXPECT_EQ(fso.Files("E:\\"), std::vector<std::string>{"a.txt"});
    ASSERT_EQ(p.messages.shown.size(), 1u);
    EXPECT_EQ(p.messages.shown[0].text, "E:\\locked.bin\r\nファイルが存在しないか開く事が出来ません\r\n\r\n"
                                        "このファイルを除いて処理を続行します");
    EXPECT_EQ(p.messages.shown[0].caption, "Tavimoro");
    EXPECT_EQ(p.messages.shown[0].icon, port::MessageIcon::Information);
}

} // namespace
