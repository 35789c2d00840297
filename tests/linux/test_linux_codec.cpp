#include "app/Profile.h"
#include "linux/LinuxCodec.h"

#include <gtest/gtest.h>

namespace {

struct CodecCase {
    const char* name;
    std::string bytes;
    std::string expected;
};

class LinuxCodecAnsi : public ::testing::TestWithParam<CodecCase> {};

TEST_P(LinuxCodecAnsi, decodesUtf8OrCp932) {
    lnx::LinuxCodec codec;
    const std::string out = codec.ansiToUtf8(GetParam().bytes);
    EXPECT_EQ(out, GetParam().expected);
    EXPECT_TRUE(lnx::isValidUtf8(out));

    // The bytes as an entry's name: a value set there reads back, and the name keeps its bytes.
    const std::string bytes = GetParam().bytes.substr(0, GetParam().bytes.find('=')),
                      key = out.substr(0, out.find('='));
    const std::string file = app::profile::writeString("[S]\n" + bytes + "=old\n", "S", key, "値", codec,
                                                       app::profile::Newline::Lf);
    EXPECT_EQ(app::profile::getString(file, "S", key, "", codec), "値");
    EXPECT_TRUE(file.starts_with("[S]\n" + bytes + "="));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LinuxCodecAnsi,
    ::testing::Values(CodecCase{"ascii", "open=setup.exe", "open=setup.exe"}, CodecCase{"empty", "", ""},
                      CodecCase{"utf8_passes", "セットアップ.exe", "セットアップ.exe"},
                      CodecCase{"cp932_katakana", "\x83\x5A\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76.exe",
                                "セットアップ.exe"},
                      // The second byte of these is "\": a byte-wise reading would split the path there.
                      CodecCase{"cp932_trail_backslash", "\x95\x5C\\\x83\x5C.exe", "表\\ソ.exe"},
                      CodecCase{"cp932_not_shift_jis", "\x81\x60\x87\x40", "～①"},
                      CodecCase{"half_width_katakana", "\xB1\xB2", "ｱｲ"},
                      CodecCase{"undefined_byte",
                                "A\xFD"
                                "B",
                                "A\xEF\xBF\xBD"
                                "B"},
                      CodecCase{"cut_lead_byte", "AB\x83", "AB\xEF\xBF\xBD"},
                      CodecCase{"cp932_te", "\x83\x65", "テ"},
                      CodecCase{"overlong_utf8_is_not_utf8", "\xC0\xAF", "ﾀｯ"},
                      CodecCase{"utf8_surrogate_is_not_utf8", "\xED\xA0\x80", "恝\xEF\xBF\xBD"}),
    [](const ::testing::TestParamInfo<CodecCase>& info) { return std::string(info.param.name); });

TEST(LinuxCodec, writesUtf8Unchanged) {
    lnx::LinuxCodec codec;
    EXPECT_EQ(codec.utf8ToAnsi("[AutoRun]\r\nopen=セットアップ.exe"), "[AutoRun]\r\nopen=セットアップ.exe");
    // A line read as CP932 takes CP932 ("?" for what CP932 lacks), unless it would then read as UTF-8.
    EXPECT_EQ(codec.utf8ToAnsiInLine("値😀", "k=\x83\x65", "k="), "\x92\x6C?");
    EXPECT_EQ(codec.utf8ToAnsiInLine("ﾃｽ", "k=\x83\x65", "k="), "ﾃｽ"); // CP932 "\xC3\xBD" is UTF-8 "½"
}

TEST(LinuxCodec, utf8Validation) {
    EXPECT_TRUE(lnx::isValidUtf8("\xF4\x8F\xBF\xBF"));
    EXPECT_FALSE(lnx::isValidUtf8("\xF4\x90\x80\x80"));
    EXPECT_FALSE(lnx::isValidUtf8("\xE3\x81"));
    EXPECT_FALSE(lnx::isValidUtf8("\x80"));
}

} // namespace
