#include "app/IniFile.h"
#include "app/Settings.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace {

struct BooleanCase {
    const char* text;
    bool fallback;
    bool expected;
};

TEST(ReadBoolean, AcceptsWordsInAnyCaseAndNumbers) {
    const BooleanCase cases[] = {
        {"True", false, true},  {"TRUE", false, true}, {"true", false, true},   {"False", true, false},
        {"fALSE", true, false}, {"1", false, true},    {"0", true, false},      {"-1", false, true},
        {"0.0", true, false},   {"2.5", false, true},  {"yes", true, true},     {"yes", false, false},
        {"", true, true},       {"nan", false, false}, {"1e3", false, false},   {"+0", true, false},
        {".", true, true},      {"- 1", false, false}, {"Truex", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(app::readBoolean(c.text, c.fallback), c.expected) << '"' << c.text << '"';
}

class LoadSettingsTest : public ::testing::Test {
  protected:
    fakes::FileSystem fs;
    fakes::Codec codec;
    app::IniFile ini{fs, codec};
    app::Settings settings;
    const std::string file = "C:\\Apps\\tavimoro.ini";

    void SetUp() override { ini.setFile(file); }
};

TEST_F(LoadSettingsTest, FirstStartUsesDefaultsAndWritesOnlyTheIntervals) {
    app::loadSettings(ini, settings);
    EXPECT_FALSE(settings.resident);
    EXPECT_FALSE(settings.keepOnTop);
    EXPECT_TRUE(settings.showLabels);
    EXPECT_FALSE(settings.openOnNewDisc);
    EXPECT_FALSE(settings.startMenuEntries);
    EXPECT_FALSE(settings.startHidden);
    EXPECT_EQ(settings.pollInterval, 1000);
    EXPECT_EQ(settings.changeInterval, 1000);
    EXPECT_EQ(fs.files[file], "[Status]\r\nRefreshTimer=1000\r\nChangeTimer=1000\r\n");
}

TEST_F(LoadSettingsTest, ReadsModeValuesAndKeepsThemInTheFile) {
    const std::string text = "[Mode]\r\nstandby=TRUE\r\nWindowTop=1\r\nVolumeName=false\r\nAutoOpen=maybe\r\n"
                             "AutoShortcut=-1\r\nStartMode=0\r\nAppNameCheck=True\r\n";
    fs.files[file] = text;
    app::loadSettings(ini, settings);
    EXPECT_TRUE(settings.resident);
    EXPECT_TRUE(settings.keepOnTop);
    EXPECT_FALSE(settings.showLabels);
    EXPECT_FALSE(settings.openOnNewDisc) << "an unreadable value reads as the key's default";
    EXPECT_TRUE(settings.startMenuEntries);
    EXPECT_FALSE(settings.startHidden);
    EXPECT_EQ(fs.files[file].substr(0, text.size()), text);
}

struct IntervalCase {
    const char* stored;
    std::int32_t expected;
};

TEST_F(LoadSettingsTest, IntervalsAreIntegersClampedToWhatATimerTakes) {
    const IntervalCase cases[] = {
        {"250", 250},
        {"0", 0},
        {"65535", 65535},
        {"65536", 65535},
        {"-5", 0},
        {"abc", 1000},
        {"1.5", 1000},
        {"", 1000},
        {"+42", 42},
        {"99999999999999999999999", 65535},
        {"-99999999999999999999999", 0},
        {"\"300\"", 300},
        {"12abc", 1000},
    };
    for (const auto& c : cases) {
        fs.files[file] =
            std::string("[Status]\r\nRefreshTimer=") + c.stored + "\r\nChangeTimer=" + c.stored + "\r\n";
        app::loadSettings(ini, settings);
        EXPECT_EQ(settings.pollInterval, c.expected) << c.stored;
        EXPECT_EQ(settings.changeInterval, c.expected) << c.stored;
        const std::string v = std::to_string(c.expected);
        EXPECT_EQ(fs.files[file], "[Status]\r\nRefreshTimer=" + v + "\r\nChangeTimer=" + v + "\r\n")
            << c.stored;
    }
}

TEST_F(LoadSettingsTest, AnUnwritableFileStillLoads) {
    fs.writable = false;
    fs.files[file] = "[Mode]\r\nstandby=True\r\n[Status]\r\nRefreshTimer=500\r\n";
    app::loadSettings(ini, settings);
    EXPECT_TRUE(settings.resident);
    EXPECT_EQ(settings.pollInterval, 500);
    EXPECT_EQ(settings.changeInterval, 1000);
    EXPECT_EQ(fs.files[file], "[Mode]\r\nstandby=True\r\n[Status]\r\nRefreshTimer=500\r\n");
}

} // namespace
