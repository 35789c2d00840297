#include "drives_test_support.h"
#include "linux/DeviceLabel.h"

#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

namespace {

using drivetest::TempDir;

constexpr std::size_t kSector = 2048;

struct ImageCase {
    const char* name;
    const char* tool;    // "genisoimage" or "xorriso"
    const char* options; // for genisoimage
    std::string label;   // as given to the tool
    std::string expected;
};

class DeviceLabelImages : public ::testing::TestWithParam<ImageCase> {};

TEST_P(DeviceLabelImages, readsTheLabelUdevWouldStore) {
    const ImageCase& c = GetParam();
    if (!drivetest::haveTool(c.tool))
        GTEST_SKIP() << c.tool << " is not installed";
    TempDir dir;
    const std::string image = dir / "disc.iso";
    const bool made = std::string(c.tool) == "xorriso"
                          ? drivetest::makeXorrisoImage(dir, image, c.label)
                          : drivetest::makeGenisoImage(dir, image, c.label, c.options);
    ASSERT_TRUE(made);
    EXPECT_EQ(lnx::readDeviceLabelFile(image), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Images, DeviceLabelImages,
    ::testing::Values(
        ImageCase{"ascii_joliet", "genisoimage", "-J", "TAVIMORO_DISC", "TAVIMORO_DISC"},
        ImageCase{"ascii_primary_only", "genisoimage", "", "PLAIN_LABEL", "PLAIN_LABEL"},
        ImageCase{"trailing_blanks", "genisoimage", "-J", "MY DISC   ", "MY DISC"},
        ImageCase{"primary_only_trailing_blanks", "genisoimage", "", "OLD DISC    ", "OLD DISC"},
        // The Joliet label holds 16 characters; the primary label carries on past them.
        ImageCase{"joliet_continued_by_primary", "genisoimage", "-J", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123",
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"},
        ImageCase{"primary_keeps_32", "genisoimage", "", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345",
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"},
        ImageCase{"japanese_joliet", "xorriso", "", "セットアップディスク", "セットアップディスク"},
        ImageCase{"udf_bridge", "genisoimage", "-udf -J", "UDF BRIDGE", "UDF BRIDGE"},
        ImageCase{"udf_long", "genisoimage", "-udf -J", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123",
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"},
        ImageCase{"udf_japanese", "genisoimage", "-udf", "ディスク", "ディスク"},
        ImageCase{"xorriso_ascii", "xorriso", "", "XORRISO VOL", "XORRISO VOL"}),
    [](const ::testing::TestParamInfo<ImageCase>& info) { return std::string(info.param.name); });

void put32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(v >> (8 * i));
}

// Blank and damaged media: a UDF bridge image whose Joliet label is patched to differ from the UDF one,
// then blanked, cut or broken. What the reader must never give is a label from data it did not check.
TEST(DeviceLabel, blankAndDamagedImages) {
    if (!drivetest::haveTool("genisoimage"))
        GTEST_SKIP() << "genisoimage is not installed";
    TempDir dir;
    const std::string image = dir / "udf.iso";
    ASSERT_TRUE(drivetest::makeGenisoImage(dir, image, "UDF LABEL", "-udf -J"));
    std::string pristine = drivetest::readFile(image);
    ASSERT_GT(pristine.size(), 257 * kSector);
    ASSERT_EQ(pristine.compare(16 * kSector + 1, 5, "CD001"), 0);
    ASSERT_EQ(pristine.compare(17 * kSector + 1, 5, "CD001"), 0);
    const std::u16string joliet = u"JOLIET";
    for (std::size_t i = 0; i < 16; ++i) {
        const char16_t c = i < joliet.size() ? joliet[i] : u'\0';
        pristine[17 * kSector + 40 + 2 * i] = char(c >> 8);
        pristine[17 * kSector + 41 + 2 * i] = char(c & 0xFF);
    }
    const std::size_t primary = 16 * kSector, anchor = 256 * kSector;
    auto mainSequence = [&](const std::string& b) {
        std::uint32_t location = 0;
        for (int i = 3; i >= 0; --i)
            location = location << 8 | static_cast<unsigned char>(b[anchor + 20 + i]);
        return std::size_t(location) * kSector;
    };
    struct Damage {
        const char* name;
        std::function<void(std::string&)> apply;
        std::optional<std::string> expected;
    };
    const std::vector<Damage> damages{
        {"intact", [](std::string&) {}, "UDF LABEL"},
        {"empty_file", [](std::string& b) { b.clear(); }, std::nullopt},
        {"all_zero", [](std::string& b) { b.assign(b.size(), '\0'); }, std::nullopt},
        {"not_a_file_system", [](std::string& b) { b.assign(b.size(), 'x'); }, std::nullopt},
        {"cut_inside_first_descriptor", [&](std::string& b) { b.resize(primary + 100); }, std::nullopt},
        {"primary_identifier_broken", [&](std::string& b) { b.replace(primary + 1, 5, "XXXXX"); },
         std::nullopt},
        // Without a UDF anchor where it belongs the disc reads as ISO 9660.
        {"cut_inside_anchor", [&](std::string& b) { b.resize(anchor + 10); }, "JOLIET"},
        {"sequence_far_away",
         [&](std::string& b) {
             put32(b, anchor + 16, 0xFFFFFFFFu);
             put32(b, anchor + 20, 0xFFFFFFF0u); // and wrapping around
         },
         "JOLIET"},
        // A UDF disc whose descriptors are gone has no label at all, not the Joliet one.
        {"main_sequence_wiped",
         [&](std::string& b) { b.replace(mainSequence(b), 16 * kSector, 16 * kSector, '\0'); }, std::nullopt},
    };
    for (const auto& damage : damages) {
        std::string bytes = pristine;
        damage.apply(bytes);
        drivetest::writeFile(image, bytes);
        EXPECT_EQ(lnx::readDeviceLabelFile(image), damage.expected) << damage.name;
    }
}

// A primary label in CP932, as Japanese authoring tools write it, with no Joliet label beside it.
TEST(DeviceLabel, primaryLabelInCp932) {
    if (!drivetest::haveTool("genisoimage"))
        GTEST_SKIP() << "genisoimage is not installed";
    TempDir dir;
    const std::string image = dir / "cp932.iso";
    ASSERT_TRUE(drivetest::makeGenisoImage(dir, image, "X", ""));
    std::string bytes = drivetest::readFile(image);
    std::string field = "\x83\x66\x83\x42\x83\x58\x83\x4E";
    field.resize(32, ' ');
    bytes.replace(16 * kSector + 40, 32, field);
    drivetest::writeFile(image, bytes);
    EXPECT_EQ(lnx::readDeviceLabelFile(image), "ディスク");
}

TEST(DeviceLabel, whatIsNoImageGivesNothingAndNeverBlocks) {
    TempDir dir;
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(lnx::readDeviceLabelFile(fifo), std::nullopt);
    EXPECT_EQ(lnx::readDeviceLabelFile(dir / "missing.iso"), std::nullopt);
    EXPECT_EQ(lnx::readDeviceLabelFile(dir.str()), std::nullopt); // a folder
    EXPECT_EQ(lnx::readDeviceLabelFile("/dev/null"), std::nullopt);
    EXPECT_EQ(lnx::readDeviceLabel(-1), std::nullopt);
}

} // namespace
