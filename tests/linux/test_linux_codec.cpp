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
                      CodecCase{"overlong_utf8_is_not_utf8", "\xC0\xAF", "ﾀｯ"},
                      CodecCase{"utf8_surrogate_is_not_utf8", "\xED\xA0\x80", "恝\xEF\xBF\xBD"}),
    [](const ::testing::TestParamInfo<CodecCase>& info) { return std::string(info.param.name); });

TEST(LinuxCodec, writesUtf8Unchanged) {
    lnx::LinuxCodec codec;
    EXPECT_EQ(codec.utf8ToAnsi("[AutoRun]\r\nopen=セットアップ.exe"), "[AutoRun]\r\nopen=セットアップ.exe");
}

TEST(LinuxCodec, utf8Validation) {
    EXPECT_TRUE(lnx::isValidUtf8("\xF4\x8F\xBF\xBF"));
    EXPECT_FALSE(lnx::isValidUtf8("\xF4\x90\x80\x80"));
    EXPECT_FALSE(lnx::isValidUtf8("\xE3\x81"));
    EXPECT_FALSE(lnx::isValidUtf8("\x80"));
}

} // namespace
