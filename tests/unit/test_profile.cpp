#include "app/Profile.h"
#include "app/Text.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

using namespace app::profile;
using app::utf16leToUtf8;
using app::utf8ToUtf16le;
using namespace std::literals;

namespace {

fakes::Codec identity;

// A codec that cannot represent bytes above 0x7F (it turns them into "?"): the engine must still keep such
// bytes in every line it does not rewrite.
class LossyCodec : public port::ITextCodec {
  public:
    std::string ansiToUtf8(std::string_view bytes) override { return squash(bytes); }
    std::string utf8ToAnsi(std::string_view text) override { return squash(text); }
    std::string utf8ToAnsiInLine(std::string_view text, std::string_view, std::string_view) override {
        return squash(text);
    }

  private:
    static std::string squash(std::string_view s) {
        std::string out(s);
        for (char& c : out)
            if (static_cast<unsigned char>(c) >= 0x80)
                c = '?';
        return out;
    }
};

std::string utf16File(std::string_view utf8) {
    return "\xFF\xFE" + utf8ToUtf16le(utf8);
}

struct ReadCase {
    const char* name;
    std::string file;
    std::string_view section;
    std::string_view key;
    std::string_view fallback;
    std::string expected;
};

TEST(Profile, GetString) {
    const ReadCase cases[] = {
        {"crlf", "[Mode]\r\nWindowTop=True\r\n", "Mode", "WindowTop", "False", "True"},
        {"lf", "[Mode]\nWindowTop=True\n", "Mode", "WindowTop", "False", "True"},
        {"case of names ignored", "[autorun]\nOPEN=setup.exe\n", "AutoRun", "open", "", "setup.exe"},
        {"blanks around everything", "  [ A ]  \n\t key \t= v a l \t\n", "A", "key", "", "v a l"},
        {"blanks in the asked names", "[A]\nk=1\n", " A ", " k ", "", "1"},
        {"double quotes", "[A]\nk=  \"x y\"  \n", "A", "k", "", "x y"},
        {"single quotes", "[A]\nk='x'\n", "A", "k", "", "x"},
        {"unmatched quotes stay", "[A]\nk=\"x'\n", "A", "k", "", "\"x'"},
        {"one pair only", "[A]\nk=\"\"x\"\"\n", "A", "k", "", "\"x\""},
        {"lone quote stays", "[A]\nk=\"\n", "A", "k", "", "\""},
        {"empty value is not the default", "[A]\nicon=\n", "A", "icon", "d", ""},
        {"missing key", "[A]\nk=1\n", "A", "x", "d", "d"},
        {"missing section", "[A]\nk=1\n", "B", "k", "d", "d"},
        {"empty file", "", "A", "k", "d", "d"},
        {"default loses trailing spaces only", "", "A", "k", " d \t ", " d \t"},
        {"first section of a name", "[A]\nk=1\n[a]\nk=2\nz=3\n", "A", "k", "", "1"},
        {"later duplicate section not searched", "[A]\nk=1\n[a]\nz=3\n", "A", "z", "d", "d"},
        {"first key of a name", "[A]\nk=1\nK=2\n", "A", "k", "", "1"},
        {"comment line", "[A]\n;k=1\n  ; k=2\n", "A", "k", "d", "d"},
        {"semicolon later is value", "[A]\nk=a ; b\n", "A", "k", "", "a ; b"},
        {"section name ends at first ]", "[A]B]\nk=1\n", "A", "k", "", "1"},
        {"header without ]", "[A\nk=1\n", "A", "k", "", "1"},
        {"text before first section", "k=0\n[A]\nj=1\n", "A", "k", "d", "d"},
        {"line without = is no entry", "[A]\nk\nk=2\n", "A", "k", "", "2"},
        {"section ends at next header", "[A]\n[B]\nk=1\n", "A", "k", "d", "d"},
        {"further = in value", "[A]\nk=a=b\n", "A", "k", "", "a=b"},
        {"no final line break", "[A]\nk=v", "A", "k", "", "v"},
        {"nul ends the value", std::string("[A]\nk=ab\0cd\n", 13), "A", "k", "", "ab"},
        {"utf-8 mark skipped", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "", "v"},
        {"utf-16", utf16File("[A]\r\nk=\xE3\x81\x82\r\n"), "A", "k", "", "\xE3\x81\x82"},
        {"utf-16 odd length", utf16File("[A]\nk=v") + "x", "A", "k", "", "v"},
        {"lone cr ends a line", "[A]\rk=1\n", "A", "k", "d", "1"},
        {"cr only", "[Mode]\rWindowTop=True\r", "Mode", "WindowTop", "False", "True"},
        {"cr ends a value", "[A]\nk=a\rb=2\n", "A", "k", "", "a"},
        {"every break in one file", "[A]\r\na=1\rb=2\nc=3", "A", "b", "", "2"},
        {"utf-16 cr only", utf16File("[A]\rk=\xE3\x81\x82\r"), "A", "k", "", "\xE3\x81\x82"},
        // U+0D0A is the bytes 0A 0D: breaks are whole units, never bytes.
        {"utf-16 unit holding cr and lf bytes", utf16File("[A]\rk=\xE0\xB4\x8A\r"), "A", "k", "",
         "\xE0\xB4\x8A"},
        // Arguments lose spaces only; tab, VT and CR are part of the name or the default.
        {"default keeps its tabs", "", "A", "k", "\tx\t", "\tx\t"},
        {"default keeps vt and cr", "", "A", "k", "x\v\r ", "x\v\r"},
        {"key ending in tab finds nothing", "[A]\nk=1\n", "A", "k\t", "d", "d"},
        {"section ending in tab finds nothing", "[A]\nk=1\n", "A\t", "k", "d", "d"},
        {"tab in the file is trimmed", "[A]\n\tk\t=1\n", "A", "k", "d", "1"},
        {"key after punctuation loses its space", "[A]\nk.=1\n", "A", "k. ", "d", "1"},
        // A NUL ends a line's text for names and values alike.
        {"nul ends a section name", "[A\0B]\nk=1\n"s, "A", "k", "d", "1"},
        {"nul ends a key before its =", "[A]\nk\0=1\n"s, "A", "k", "d", "d"},
        {"nul after the closing quote", "[A]\nk=\"x\"\0y\n"s, "A", "k", "", "x"},
        {"utf-16 nul ends a section name", utf16File("[A\0B]\nk=1\n"s), "A", "k", "d", "1"},
        // Arguments are C strings at the Windows API: they end at a NUL too.
        {"key argument ends at a nul", "[A]\nk=1\n", "A", "k\0x"sv, "d", "1"},
        {"default ends at a nul before its spaces go", "", "A", "k", "d \0x"sv, "d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(getString(c.file, c.section, c.key, c.fallback, identity), c.expected) << c.name;
}

TEST(Profile, ValueIsCutToTheBuffer) {
    const std::string longValue(5000, 'x');
    EXPECT_EQ(getString("[A]\nk=" + longValue + "\n", "A", "k", "", identity), std::string(4095, 'x'));
    EXPECT_EQ(getString("", "A", "k", longValue, identity), std::string(4095, 'x'));
    // A character that does not fit whole is left out, never split.
    const std::string multi = std::string(4094, 'x') + "\xE3\x81\x82";
    EXPECT_EQ(getString("[A]\nk=" + multi + "\n", "A", "k", "", identity), std::string(4094, 'x'));
    EXPECT_EQ(getString("[A]\nk=abc\n", "A", "k", "", identity, 3), "ab");
}

TEST(Profile, GetSection) {
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> expected;
    } cases[] = {
        {"entries trimmed, in order", "[A]\r\n  b = 2 \r\na=1\r\n", {"b = 2", "a=1"}},
        {"lines without = kept, comments and blanks not",
         "[A]\nx=1\n\n; c\nloose\ny=a=b\n",
         {"x=1", "loose", "y=a=b"}},
        {"stops at the next header", "[A]\na=1\n[B]\nb=2\n", {"a=1"}},
        {"missing section", "[B]\nb=2\n", {}},
        {"empty section", "[A]\n[B]\nb=2\n", {}},
        {"first of duplicates", "[A]\na=1\n[A]\na=2\n", {"a=1"}},
        {"cr only", "[A]\r  b = 2 \ra=1\r\r[B]\rc=3\r", {"b = 2", "a=1"}},
        {"nul ends an entry's text", "[A]\nk=1\0x=2\ny=3 \0 \n"s, {"k=1", "y=3"}},
        {"line starting with nul is blank", "[A]\n\0[B]\n \0k=1\nz=4\n"s, {"z=4"}},
        {"nul ends a header's name", "[A\0]\na=1\n"s, {"a=1"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(getSection(c.file, "a", identity), c.expected) << c.name;
}

struct WriteCase {
    const char* name;
    std::string before;
    std::string_view section;
    std::string_view key;
    std::string_view value;
    std::string after;
};

TEST(Profile, WriteString) {
    const WriteCase cases[] = {
        {"new file", "", "Mode", "WindowTop", "True", "[Mode]\r\nWindowTop=True\r\n"},
        {"value replaced in place, spelling kept", "; c\r\n[MODE]\r\nwindowtop = False ; x\r\nb=1\r\n",
         "Mode", "WindowTop", "True", "; c\r\n[MODE]\r\nwindowtop =True\r\nb=1\r\n"},
        {"new key after the last entry", "[A]\na=1\n\n[B]\nb=2\n", "A", "c", "3",
         "[A]\na=1\nc=3\n\n[B]\nb=2\n"},
        {"new key before a trailing comment", "[A]\na=1\n; about B\n[B]\n", "A", "c", "3",
         "[A]\na=1\nc=3\n; about B\n[B]\n"},
        {"new key after a line without =", "[A]\na=1\nloose\n\n", "A", "c", "3", "[A]\na=1\nloose\nc=3\n\n"},
        {"new key in an empty section", "[A]\n[B]\n", "A", "c", "3", "[A]\nc=3\n[B]\n"},
        {"new section at the end, file's crlf", "[A]\r\na=1\r\n", "B", "k", "v",
         "[A]\r\na=1\r\n[B]\r\nk=v\r\n"},
        {"new section, file's lf", "[A]\na=1\n", "B", "k", "v", "[A]\na=1\n[B]\nk=v\n"},
        {"new section after text without break", "[A]\na=1", "B", "k", "v", "[A]\na=1\n[B]\nk=v\n"},
        {"new key after last line without break", "[A]\na=1", "A", "k", "v", "[A]\na=1\nk=v\n"},
        {"replace on last line without break ends the file", "[A]\na=1", "A", "a", "9", "[A]\na=9\n"},
        {"crlf: replace on last line without break", "[A]\r\na=1 ", "A", "a", "9", "[A]\r\na=9\r\n"},
        {"replace in an earlier line leaves the last as it is", "[A]\na=1\nb=2", "A", "a", "9",
         "[A]\na=9\nb=2"},
        {"utf-8 mark only: break before the section", "\xEF\xBB\xBF", "A", "k", "v",
         "\xEF\xBB\xBF\r\n[A]\r\nk=v\r\n"},
        {"utf-16 mark only: break before the section", utf16File(""), "A", "k", "v",
         utf16File("\r\n[A]\r\nk=v\r\n")},
        {"section found past a nul in its header", "[A\0x]\nk=1\n"s, "A", "k", "2", "[A\0x]\nk=2\n"s},
        {"value after a nul replaced whole", "[A]\nk=1\0x\n"s, "A", "k", "2", "[A]\nk=2\n"},
        {"value written up to its nul", "[A]\n", "A", "k", "v\0x"sv, "[A]\nk=v\n"},
        {"header only, no break", "[A]", "A", "k", "v", "[A]\r\nk=v\r\n"},
        {"duplicate sections: the first one", "[A]\na=1\n[A]\na=2\n", "a", "A", "3", "[A]\na=3\n[A]\na=2\n"},
        {"empty value", "[A]\na=1\n", "A", "a", "", "[A]\na=\n"},
        {"comment is not the key", "[A]\n;a=1\n", "A", "a", "2", "[A]\na=2\n;a=1\n"},
        {"text before sections untouched", "a=0\n[A]\n", "A", "a", "1", "a=0\n[A]\na=1\n"},
        {"utf-8 mark kept", "\xEF\xBB\xBF[A]\na=1\n", "A", "a", "2", "\xEF\xBB\xBF[A]\na=2\n"},
        {"cr: value replaced in place", "[A]\ra = 1 \rb=2\r", "A", "a", "9", "[A]\ra =9\rb=2\r"},
        {"cr: new key after the last entry", "[A]\ra=1\r\r[B]\r", "A", "c", "3", "[A]\ra=1\rc=3\r\r[B]\r"},
        {"cr: new section", "[A]\ra=1\r", "B", "k", "v", "[A]\ra=1\r[B]\rk=v\r"},
        {"cr: new section after text without break", "[A]\ra=1", "B", "k", "v", "[A]\ra=1\r[B]\rk=v\r"},
        {"first break sets the style", "[A]\ra=1\n", "B", "k", "v", "[A]\ra=1\n[B]\rk=v\r"},
        {"utf-16be", "\xFE\xFF\0A\0\r\0\n"s, "B", "k", "v", "\xFE\xFF\0A\0\r\0\n[B]\r\nk=v\r\n"s},
        {"utf-32le", utf16File("\0\r\0\n\0"s), "B", "k", "v", utf16File("\0\r\0\n\0\r\n[B]\r\nk=v\r\n"s)},
        {"cr at the very end", "[A]\r", "B", "k", "v", "[A]\r[B]\rk=v\r"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(writeString(c.before, c.section, c.key, c.value, identity, Newline::CrLf), c.after)
            << c.name;
    EXPECT_EQ(writeString("", "A", "k", "v", identity, Newline::Lf), "[A]\nk=v\n");
}

// A name is written as given, without the spaces (U+0020 only) at either end of the argument; any other
// blank and any punctuation before it stay.
TEST(Profile, NamesAreWrittenAsGiven) {
    struct Case {
        std::string_view section;
        std::string_view key;
        std::string after;
    } cases[] = {
        {"A", "key. ", "[A]\r\nkey.=v\r\n"},      {"A", "key.\t", "[A]\r\nkey.\t=v\r\n"},
        {"A", "key. \t", "[A]\r\nkey. \t=v\r\n"}, {"A", "key.\t ", "[A]\r\nkey.\t=v\r\n"},
        {"sec) ", "k", "[sec)]\r\nk=v\r\n"},      {"sec)\t", "k", "[sec)\t]\r\nk=v\r\n"},
        {" \vsec, ", "k", "[\vsec,]\r\nk=v\r\n"}, {"sec\0x"sv, "k\0y"sv, "[sec]\r\nk=v\r\n"},
        {"A", "\tkey\t", "[A]\r\n\tkey\t=v\r\n"}, {"A", "k;) ", "[A]\r\nk;)=v\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(writeString("", c.section, c.key, "v", identity, Newline::CrLf), c.after)
            << c.section << "/" << c.key;
    // The file's own lines are trimmed of every blank, so a key with a tab at its end is another key.
    EXPECT_EQ(writeString("[A]\nk=1\n", "A", "k\t", "2", identity, Newline::Lf), "[A]\nk=1\nk\t=2\n");
    EXPECT_EQ(writeString("[A]\nk=1\n", "A", " k ", "2", identity, Newline::Lf), "[A]\nk=2\n");
}

TEST(Profile, WriteKeepsBytesTheCodecCannotRead) {
    LossyCodec lossy;
    const std::string before = "[A]\nname=\x83\x65\x83\x58\x83\x67\n[B]\nk=1\n";
    EXPECT_EQ(writeString(before, "B", "k", "2", lossy, Newline::Lf),
              "[A]\nname=\x83\x65\x83\x58\x83\x67\n[B]\nk=2\n");
    EXPECT_EQ(writeString(before, "A", "z", "1", lossy, Newline::Lf),
              "[A]\nname=\x83\x65\x83\x58\x83\x67\nz=1\n[B]\nk=1\n");
}

TEST(Profile, Utf16FileStaysUtf16) {
    const std::string before = utf16File("[A]\r\na=\xE3\x81\x82\r\n");
    const std::string after = writeString(before, "A", "b", "\xE3\x81\x84", identity, Newline::Lf);
    EXPECT_EQ(after, utf16File("[A]\r\na=\xE3\x81\x82\r\nb=\xE3\x81\x84\r\n"));
    EXPECT_EQ(writeString(before, "A", "a", "x", identity, Newline::Lf), utf16File("[A]\r\na=x\r\n"));
    EXPECT_EQ(writeString(before, "B", "k", "v", identity, Newline::Lf),
              utf16File("[A]\r\na=\xE3\x81\x82\r\n[B]\r\nk=v\r\n"));
    EXPECT_EQ(writeString(utf16File("[A]\ra=1\r"), "A", "b", "2", identity, Newline::Lf),
              utf16File("[A]\ra=1\rb=2\r"));
    // Half a unit at the end is no character: a write that appends there drops it, so that what follows
    // stays aligned and no value or line gains a character.
    const std::string odd = utf16File("[A]\na=1\n") + "Z";
    EXPECT_EQ(writeString(odd, "B", "k", "v", identity, Newline::Lf), utf16File("[A]\na=1\n[B]\nk=v\n"));
    EXPECT_EQ(getString(writeString(odd, "B", "k", "v", identity, Newline::Lf), "B", "k", "", identity), "v");
}

TEST(Profile, HalfUnitAtTheEndJoinsNothing) {
    using Lines = std::vector<std::string>;
    struct Case {
        const char* name;
        std::string before;
        const char* section; // where "k=v" is written
        Lines sectionA;      // section A afterwards
    } cases[] = {
        {"new section after a value", utf16File("[A]\r\na=1") + "Z", "B", {"a=1"}},
        {"new entry after a value", utf16File("[A]\r\na=1") + "Z", "A", {"a=1", "k=v"}},
        {"new section after a line break", utf16File("[A]\r\na=1\r\n") + "Z", "B", {"a=1"}},
        {"new entry after a line break", utf16File("[A]\na=1\n") + "Z", "A", {"a=1", "k=v"}},
    };
    for (const auto& c : cases) {
        const std::string after = writeString(c.before, c.section, "k", "v", identity, Newline::Lf);
        EXPECT_EQ(getSection(after, "A", identity), c.sectionA) << c.name;
        EXPECT_EQ(getString(after, c.section, "k", "", identity), "v") << c.name;
    }
}

TEST(Profile, DeleteSectionAndKey) {
    struct Case {
        const char* name;
        std::string before;
        std::string afterSection; // deleteSection(before, "A")
        std::string afterKey;     // deleteKey(before, "A", "b")
    } cases[] = {
        {"middle section", "x=0\n[A]\na=1\nb=2\n; c\n[B]\nb=3\n", "x=0\n; c\n[B]\nb=3\n",
         "x=0\n[A]\na=1\n; c\n[B]\nb=3\n"},
        {"last section, no break", "[B]\n[A]\r\nb=2", "[B]\n", "[B]\n[A]\r\n"},
        {"every entry of the name", "[A]\na=1\nb=2\nB=3\nc=4\n", "", "[A]\na=1\nc=4\n"},
        {"first of duplicates", "[A]\nb=1\n[a]\nb=2\n", "[a]\nb=2\n", "[A]\n[a]\nb=2\n"},
        {"missing section", "[B]\nb=1\n", "[B]\nb=1\n", "[B]\nb=1\n"},
        {"cr only", "[B]\rb=1\r[A]\ra=1\rb=2\r[C]\r", "[B]\rb=1\r[C]\r", "[B]\rb=1\r[A]\ra=1\r[C]\r"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(deleteSection(c.before, "A", identity), c.afterSection) << c.name;
        EXPECT_EQ(deleteKey(c.before, "A", "b", identity), c.afterKey) << c.name;
    }
}

// Deleting a section takes its header and its entries; the comments in and before it are the user's notes
// and stay where they stood.
TEST(Profile, DeleteSectionKeepsComments) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        {"comments before, inside and at the end",
         "[Z]\nz=1\n; about A\n[A]\n ; inside\na=1\nloose\n\n;before B\n[B]\nb=1\n",
         "[Z]\nz=1\n; about A\n ; inside\n;before B\n[B]\nb=1\n"},
        {"blank lines go with the entries", "[A]\n\na=1\n\n; x\n\n[B]\n", "; x\n[B]\n"},
        {"last line without break", "[B]\n[A]\na=1\n;end", "[B]\n;end"},
        {"crlf", "[A]\r\n;c\r\na=1\r\n[B]\r\n", ";c\r\n[B]\r\n"},
        {"cr only", "[A]\r;c\ra=1\r[B]\r", ";c\r[B]\r"},
        {"hash is an entry, not a comment", "[A]\n# a=1\n#x\n[B]\n", "[B]\n"},
        {"utf-16", utf16File("[A]\r\n;\xE3\x81\x82\r\na=1\r\n"), utf16File(";\xE3\x81\x82\r\n")},
        {"header ending at a nul", "[A\0]\n;c\na=1\n"s, ";c\n"},
        {"comment line hidden by a nul is blank", "[A]\n\0;c\n"s, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(deleteSection(c.before, "A", identity), c.after) << c.name;
}

TEST(Profile, FileOperations) {
    fakes::FileSystem fs;
    const std::string path = "C:\\Apps\\t.ini";
    EXPECT_EQ(getProfileString(fs, identity, path, "A", "k", "d"), "d");
    EXPECT_TRUE(getProfileSection(fs, identity, path, "A").empty());
    EXPECT_TRUE(deleteProfileSection(fs, identity, path, "A"));
    EXPECT_EQ(fs.writes, 0);

    EXPECT_TRUE(writeProfileString(fs, identity, path, "A", "k", "1", Newline::CrLf));
    EXPECT_EQ(fs.files[path], "[A]\r\nk=1\r\n");
    // Writing what is there already leaves the file alone.
    EXPECT_TRUE(writeProfileString(fs, identity, path, "A", "k", "1", Newline::CrLf));
    EXPECT_EQ(fs.writes, 1);

    fs.writable = false;
    EXPECT_FALSE(writeProfileString(fs, identity, path, "A", "k", "2", Newline::CrLf));
    EXPECT_FALSE(deleteProfileSection(fs, identity, path, "A"));
    EXPECT_EQ(fs.files[path], "[A]\r\nk=1\r\n");

    // A name that exists but cannot be read (here a folder) is never replaced by a new file.
    fs.writable = true;
    fs.addFolder("C:\\Apps\\dir.ini");
    EXPECT_FALSE(writeProfileString(fs, identity, "C:\\Apps\\dir.ini", "A", "k", "1", Newline::CrLf));
    EXPECT_FALSE(fs.files.count("C:\\Apps\\dir.ini"));
}

TEST(Profile, HostileInputNeverBreaksTheEngine) {
    const std::string big(4 << 20, 'x');
    const std::vector<std::string> files = {
        "[A]\nk=" + big,                         // one huge line
        std::string(2 << 20, '\n') + "[A]\nk=1", // millions of empty lines
        std::string("[A\0]\n\0k=\0\n", 11),
        "\xFF\xFE",
        "\xFF\xFE[",
        "\xFF\xFE\x0A",
        "\xEF\xBB",
        std::string(1, '\0'),
        "[",
        "=",
        "\r\r\r\n\n[]\n=\n",
    };
    for (const auto& f : files) {
        EXPECT_LE(getString(f, "A", "k", "", identity).size(), 4095u);
        getSection(f, "A", identity);
        const std::string written = writeString(f, "A", "k", "v", identity, Newline::Lf);
        EXPECT_EQ(getString(written, "A", "k", "", identity), "v");
        EXPECT_LE(deleteSection(written, "A", identity).size(), written.size());
        EXPECT_LE(deleteKey(written, "A", "k", identity).size(), written.size());
    }
}

TEST(Profile, Utf16Conversion) {
    const std::string text = "a\xE3\x81\x82\xF0\x9F\x98\x80";
    EXPECT_EQ(utf16leToUtf8(utf8ToUtf16le(text)), text);
    EXPECT_EQ(utf8ToUtf16le("\x80"), std::string("\xFD\xFF", 2));             // stray continuation byte
    EXPECT_EQ(utf8ToUtf16le("\xC0\xAF"), std::string("\xFD\xFF\xFD\xFF", 4)); // overlong form
    EXPECT_EQ(utf16leToUtf8(std::string("\x00\xD8\x41\x00", 4)), "\xEF\xBF\xBD"
                                                                 "A"); // unpaired surrogate
    EXPECT_EQ(utf16leToUtf8(std::string("\x41\x00\x42", 3)), "A");
}

} // namespace
