#include "drives/FileLookup.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace {

class FileLookupTest : public ::testing::Test {
  protected:
    fakes::Platform p;
    void SetUp() override {
        p.fs.addFile("E:\\autorun.inf", "[AutoRun]");
        p.fs.addFile("E:\\Setup.exe");
        p.fs.addFile("E:\\Sub\\inner.txt");
        p.fs.addFolder("F:");
    }
};

TEST_F(FileLookupTest, LooksUpFilesIgnoringCaseWithOrWithoutSeparator) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"E:\\", "AUTORUN.INF", "autorun.inf"},
        {"E:", "AUTORUN.INF", "autorun.inf"},
        {"e:\\", "autorun.INF", "autorun.inf"},
        {"E:\\", "SETUP.EXE", "Setup.exe"},
        {"E:\\", "Sub", ""},
        {"E:\\", "inner.txt", ""},
        {"F:\\", "AUTORUN.INF", ""},
        {"Q:\\", "AUTORUN.INF", ""},
        {"E:\\", "", ""},
        {"", "AUTORUN.INF", ""},
    };
    for (const auto& [folder, name, found] : cases)
        EXPECT_EQ(drives::findFile(p.fs, folder, name).value_or(""), found) << folder << ' ' << name;
}

} // namespace
