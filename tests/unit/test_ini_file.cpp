#include "app/IniFile.h"
#include "support/FakeWindow.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace {

const std::string kPath = "C:\\Apps\\tavimoro.ini";

struct IniFixture : ::testing::Test {
    fakes::FileSystem fs;
    fakes::Codec codec;
    app::IniFile ini{fs, codec};
    IniFixture() { ini.setFile(kPath); }
    std::string& file() { return fs.files[kPath]; }
};

using Table = app::SettingTable;

TEST_F(IniFixture, ReadWriteRoundTripCreatesTheSectionAtTheEnd) {
    file() = "[Status]\r\nRefreshTimer=1000\r\n";
    EXPECT_EQ(ini.read("WindowTop", "False", "Mode"), "False");
    ini.write("WindowTop", "True", "Mode");
    EXPECT_EQ(ini.read("WindowTop", "False", "Mode"), "True");
    EXPECT_EQ(file(), "[Status]\r\nRefreshTimer=1000\r\n[Mode]\r\nWindowTop=True\r\n");
}

TEST_F(IniFixture, EmptySectionMeansTheCurrentOne) {
    file() = "[CD]\r\nDrive_E=True\r\n[Other]\r\nDrive_E=x\r\n";
    EXPECT_EQ(ini.read("Drive_E", "False"), "False"); // no current section yet
    ini.setSection("CD");
    EXPECT_EQ(ini.read("Drive_E", "False"), "True");
    EXPECT_EQ(ini.read("Drive_E", "False", "Other"), "x");
    ini.write("Drive_F", "True");
    EXPECT_EQ(file(), "[CD]\r\nDrive_E=True\r\nDrive_F=True\r\n[Other]\r\nDrive_E=x\r\n");
}

TEST_F(IniFixture, NewFileUsesThePlatformLineBreak) {
    ini.write("a", "1", "S"); // the unit tests run with the Windows conventions
    EXPECT_EQ(file(), "[S]\r\na=1\r\n");
}

TEST_F(IniFixture, UnwritableFileIsLeftAloneSilently) {
    file() = "[A]\r\nk=1\r\n";
    fs.writable = false;
    ini.write("k", "2", "A");
    ini.remove("k", "A");
    ini.remove("", "A");
    EXPECT_EQ(file(), "[A]\r\nk=1\r\n");
    EXPECT_EQ(ini.read("k", "d", "A"), "1");
}

TEST_F(IniFixture, AReadIsCutToTheBuffer) {
    file() = "[A]\r\nk=" + std::string(5000, 'v') + "\r\n";
    EXPECT_EQ(ini.read("k", "", "A"), std::string(4095, 'v'));
}

TEST(SplitSection, Table) {
    struct Case {
        const char* name;
        std::string raw;
        std::optional<Table> expected;
    } cases[] = {
        {"entries as they stand", std::string("k = v\0y=a=b\0\0", 13), Table{{"k ", " v"}, {"y", "a=b"}}},
        {"line without = skipped", std::string("loose\0x=1\0\0", 11), Table{{"x", "1"}}},
        {"short entry ends the walk", std::string("a=1\0z\0b=2\0\0", 11), Table{{"a", "1"}}},
        {"empty key and value", std::string("=\0a=\0\0", 6), std::nullopt}, // "=" is too short
        {"two-character entry", std::string("a=\0\0", 4), Table{{"a", ""}}},
        {"nothing kept is no table", std::string("loose\0\0", 7), std::nullopt},
        {"empty list", std::string("\0\0", 2), std::nullopt},
        {"rest of buffer ignored", std::string("a=1\0\0b=2\0", 9), Table{{"a", "1"}}},
        {"no closing nul", "a=1", Table{{"a", "1"}}},
        {"empty text", "", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(app::splitSection(c.raw), c.expected) << c.name;
}

TEST_F(IniFixture, ReadSection) {
    file() = "[A]\r\nx=1\r\ny=a=b\r\nloose\r\n; x=2\r\n[Empty]\r\n[B]\r\n";
    EXPECT_EQ(ini.readSection("A"), (Table{{"x", "1"}, {"y", "a=b"}}));
    EXPECT_EQ(ini.readSection("Empty"), std::nullopt);
    EXPECT_EQ(ini.readSection("Missing"), std::nullopt);
    ini.setSection("a");
    EXPECT_EQ(ini.readSection()->size(), 2u);
}

TEST_F(IniFixture, ReadSectionStopsEachLineAtANul) {
    // What follows a NUL on a line must not come back as an entry of its own.
    file() = std::string("[A]\r\nx=1\0y=2\r\nz=3\r\n", 19);
    EXPECT_EQ(ini.readSection("A"), (Table{{"x", "1"}, {"z", "3"}}));
}

TEST_F(IniFixture, ReadSectionSeesOnlyTheBuffer) {
    // 300 entries of 18 characters (19 with the NUL): the 4096-byte buffer, which ends in two NULs, holds
    // 215 of them whole and the first 9 characters of the next.
    file() = "[A]\r\n";
    for (int i = 0; i < 300; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "key%03d=value_%05d\r\n", i, i);
        file() += line;
    }
    auto table = ini.readSection("A");
    ASSERT_TRUE(table);
    ASSERT_EQ(table->size(), 216u);
    EXPECT_EQ(table->at(214), (std::pair<std::string, std::string>{"key214", "value_00214"}));
    EXPECT_EQ(table->at(215), (std::pair<std::string, std::string>{"key215", "va"}));
}

TEST_F(IniFixture, RemoveTakesEveryEntryOfTheKey) {
    file() = "[X]\r\nb=0\r\n[S]\r\na=1\r\nb=2\r\n; note\r\nB=3\r\nc=4\r\n[Y]\r\n";
    ini.remove("b", "S");
    EXPECT_EQ(file(), "[X]\r\nb=0\r\n[S]\r\na=1\r\n; note\r\nc=4\r\n[Y]\r\n");
    EXPECT_EQ(ini.readSection("S"), (Table{{"a", "1"}, {"c", "4"}}));
    // The section goes; its comment stays, and then stands in the section before it.
    ini.remove("", "S");
    EXPECT_EQ(file(), "[X]\r\nb=0\r\n; note\r\n[Y]\r\n");
    ini.setSection("X");
    ini.remove("");
    EXPECT_EQ(file(), "; note\r\n[Y]\r\n");
}

TEST_F(IniFixture, ReadPlacement) {
    struct Case {
        const char* name;
        std::string file;
        float top, left, width, height;
    } cases[] = {
        {"no keys: unchanged", "[Window]\r\n", 100, 200, 300, 400},
        {"all keys",
         "[Window]\r\nfrm_main_Top=1200\r\nfrm_main_Left=-15\r\nfrm_main_Width=2535.5\r\nfrm_main_Height="
         "900\r\n",
         1200, -15, 2535.5f, 900},
        {"not a number keeps the current value",
         "[Window]\r\nfrm_main_Top=abc\r\nfrm_main_Left=12px\r\nfrm_main_Width=\r\nfrm_main_Height= 77 \r\n",
         100, 200, 300, 77},
        {"overflow and nan keep it too",
         "[Window]\r\nfrm_main_Top=1e99\r\nfrm_main_Left=nan\r\nfrm_main_Width=+5\r\n", 100, 200, 5, 400},
        {"other window's keys ignored", "[Window]\r\nfrm_Config_Top=5\r\n", 100, 200, 300, 400},
    };
    for (const auto& c : cases) {
        file() = c.file;
        fakes::PlacedWindow w("frm_main", 100, 200, 300, 400);
        ini.readPlacement(w, "Window");
        EXPECT_EQ(w.y, c.top) << c.name;
        EXPECT_EQ(w.x, c.left) << c.name;
        EXPECT_EQ(w.w, c.width) << c.name;
        EXPECT_EQ(w.h, c.height) << c.name;
        ASSERT_EQ(w.assigned.size(), 4u) << c.name;
        EXPECT_EQ(w.assigned[0].substr(0, 4), "Top=");
        EXPECT_EQ(w.assigned[3].substr(0, 7), "Height=");
    }
}

TEST_F(IniFixture, PlacementIsWrittenAsDecimalTextInOrder) {
    fakes::PlacedWindow w("frm_main", 1234.5f, -30, 2535, 0.1f);
    ini.setSection("Window");
    ini.writePlacement(w);
    EXPECT_EQ(file(), "[Window]\r\nfrm_main_Top=1234.5\r\nfrm_main_Left=-30\r\nfrm_main_Width=2535\r\nfrm_"
                      "main_Height=0.1\r\n");
    fakes::PlacedWindow back("frm_main");
    ini.readPlacement(back);
    EXPECT_EQ(back.y, 1234.5f);
    EXPECT_EQ(back.h, 0.1f);
}

TEST_F(IniFixture, FontHelpers) {
    port::FontRecord font{"MS UI Gothic", 10.5f, true, false, true, false};
    ini.writeFont("Font", font, "F");
    EXPECT_EQ(file(),
              "[F]\r\nFont_Name=MS UI Gothic\r\nFont_Size=10.5\r\nFont_Bold=True\r\nFont_Italic=False\r\n"
              "Font_Strikethrough=True\r\nFont_Underline=False\r\n");
    port::FontRecord given{"Other", 9, false, true, false, true};
    port::FontRecord read = ini.readFont("Font", given, "F");
    EXPECT_EQ(read.name, "MS UI Gothic");
    EXPECT_EQ(read.size, 10.5f);
    EXPECT_TRUE(read.bold && !read.italic && read.strikethrough && !read.underline);
    EXPECT_EQ(given.name, "Other");

    // Values of the wrong kind keep the given font's own.
    file() = "[F]\r\nFont_Size=big\r\nFont_Bold=maybe\r\nFont_Italic=0\r\n";
    read = ini.readFont("Font", given, "F");
    EXPECT_EQ(read.name, "Other");
    EXPECT_EQ(read.size, 9.0f);
    EXPECT_FALSE(read.bold);
    EXPECT_FALSE(read.italic);
    EXPECT_TRUE(read.underline);
}

TEST_F(IniFixture, ListHelpers) {
    ini.writeList("L", {"a", "", "c"}, "S");
    EXPECT_EQ(file(), "[S]\r\nL_0=a\r\nL_1=\r\nL_2=c\r\n");
    std::vector<std::string> list{"x", "y", "z", "w"};
    ini.readList("L", list, "S");
    EXPECT_EQ(list, (std::vector<std::string>{"a", "", "c", "w"}));
}

} // namespace
