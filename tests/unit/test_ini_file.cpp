#include "app/IniFile.h"
#include "app/Settings.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace {

const std::string kPath = "C:\\Apps\\tavimoro.ini";

struct IniFixture : ::testing::Test {
    fakes::FileSystem fs;
    fakes::Codec codec;
    app::IniFile ini{fs, codec};
    std::vector<std::string> told;
    IniFixture() {
        ini.setFile(kPath);
        ini.onRefusedWrite([this](const std::string& reason) { told.push_back(reason); });
    }
    std::string& file() { return fs.files[kPath]; }
};

TEST_F(IniFixture, ReadWriteRoundTripCreatesTheSectionAtTheEnd) {
    file() = "[Status]\r\nRefreshTimer=1000\r\n";
    EXPECT_EQ(ini.read("WindowTop", "False", "Mode"), "False");
    EXPECT_TRUE(ini.write("WindowTop", "True", "Mode"));
    EXPECT_EQ(ini.read("WindowTop", "False", "Mode"), "True");
    EXPECT_EQ(file(), "[Status]\r\nRefreshTimer=1000\r\n[Mode]\r\nWindowTop=True\r\n");
}

TEST_F(IniFixture, NewFileUsesThePlatformLineBreak) {
    EXPECT_TRUE(ini.write("a", "1", "S")); // the unit tests run with the Windows conventions
    EXPECT_EQ(file(), "[S]\r\na=1\r\n");
}

TEST_F(IniFixture, AReadIsCutToTheBuffer) {
    file() = "[A]\r\nk=" + std::string(5000, 'v') + "\r\n";
    EXPECT_EQ(ini.read("k", "", "A"), std::string(4095, 'v'));
}

TEST_F(IniFixture, RefusedWritesAreKeptReadBackAndWrittenAtTheNextChanceInOrder) {
    file() = "[A]\r\nk=1\r\n";
    fs.writable = false;
    const auto refused = ini.write("k", "2", "A");
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error(), "read-only: " + kPath);
    EXPECT_FALSE(ini.write("new", "x", "B"));
    EXPECT_FALSE(ini.write("K", "3", "a")) << "names compare as the file compares them";
    EXPECT_EQ(told, std::vector<std::string>{"read-only: " + kPath}) << "once for the run of refusals";
    EXPECT_EQ(file(), "[A]\r\nk=1\r\n") << "the file is left as it was";
    EXPECT_EQ(ini.read("k", "d", "A"), "3") << "what the program holds";
    EXPECT_EQ(ini.read("new", "d", "B"), "x");
    EXPECT_FALSE(ini.flush());

    fs.writable = true;
    EXPECT_TRUE(ini.flush());
    EXPECT_EQ(file(), "[A]\r\nk=3\r\n[B]\r\nnew=x\r\n");
    fs.writable = false;
    EXPECT_FALSE(ini.write("k", "4", "A"));
    EXPECT_EQ(told.size(), 2u) << "a new run is told again";
}

TEST_F(IniFixture, ThePlacementIsStoredInTwipsUnderTheWindowsName) {
    file() = "[Window]\r\nfrm_main_Top=1500\r\nfrm_main_Left= +750.5 \r\nfrm_main_Width=x\r\n";
    const port::Rect current{1, 2, 3, 4};
    const port::Rect read = app::loadPlacement(ini, current, 144);
    EXPECT_EQ(read.top, 150);
    EXPECT_EQ(read.left, 75) << "blanks and a sign are taken, halves round away from zero";
    EXPECT_EQ(read.width, 3) << "a value that is no number leaves the window as it is";
    EXPECT_EQ(read.height, 4) << "so does a missing one";
    app::savePlacement(ini, {10, 20, 30, 45}, 96);
    EXPECT_EQ(
        file(),
        "[Window]\r\nfrm_main_Top=300\r\nfrm_main_Left=150\r\nfrm_main_Width=450\r\nfrm_main_Height=675\r\n");
}

} // namespace
