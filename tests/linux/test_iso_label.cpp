#include "drives_test_support.h"
#include "linux/IsoLabel.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace {

using drivetest::TempDir;

constexpr std::size_t kSector = 2048;
constexpr std::size_t kDescriptors = 16 * kSector;

std::string blkidLabel(const std::string& image) {
    return drivetest::capture("blkid -p -s LABEL -o value " + drivetest::shellQuote(image));
}

struct ImageCase {
    const char* name;
    const char* tool;     // "genisoimage" or "xorriso"
    const char* options;  // for genisoimage
    std::string label;    // as given to the tool
    std::string expected; // as Windows shows it
    bool blkidAgrees;
};

class IsoLabelImages : public ::testing::TestWithParam<ImageCase> {};

TEST_P(IsoLabelImages, readsTheLabelWindowsShows) {
    const ImageCase& c = GetParam();
    if (!drivetest::haveTool(c.tool))
        GTEST_SKIP() << c.tool << " is not installed";
    TempDir dir;
    const std::string image = dir / "disc.iso";
    const bool made = std::string(c.tool) == "xorriso"
                          ? drivetest::makeXorrisoImage(dir, image, c.label)
                          : drivetest::makeGenisoImage(dir, image, c.label, c.options);
    ASSERT_TRUE(made);

    const auto label = lnx::readIsoLabelFile(image);
    ASSERT_TRUE(label.has_value());
    EXPECT_EQ(*label, c.expected);
    if (drivetest::haveTool("blkid")) {
        const std::string fromBlkid = blkidLabel(image);
        if (c.blkidAgrees)
            EXPECT_EQ(fromBlkid, *label);
        else // blkid joins the longer primary label on; Windows stops at the Joliet label's 16 characters
            EXPECT_EQ(fromBlkid.substr(0, label->size()), *label);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Images, IsoLabelImages,
    ::testing::Values(
        ImageCase{"ascii_joliet", "genisoimage", "-J", "TAVIMORO_DISC", "TAVIMORO_DISC", true},
        ImageCase{"ascii_primary_only", "genisoimage", "", "PLAIN_LABEL", "PLAIN_LABEL", true},
        ImageCase{"trailing_blanks", "genisoimage", "-J", "MY DISC   ", "MY DISC", true},
        ImageCase{"primary_only_trailing_blanks", "genisoimage", "", "OLD DISC    ", "OLD DISC", true},
        ImageCase{"joliet_cuts_at_16", "genisoimage", "-J", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123",
                  "ABCDEFGHIJKLMNOP", false},
        ImageCase{"primary_keeps_32", "genisoimage", "", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345",
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", true},
        ImageCase{"japanese_joliet", "xorriso", "", "セットアップディスク", "セットアップディスク", true},
        ImageCase{"udf_bridge", "genisoimage", "-udf -J", "UDF BRIDGE", "UDF BRIDGE", true},
        // A UDF disc shows its whole logical volume identifier, not the Joliet 16 characters.
        ImageCase{"udf_long", "genisoimage", "-udf -J", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123",
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", true},
        ImageCase{"udf_japanese", "genisoimage", "-udf", "ディスク", "ディスク", true},
        ImageCase{"xorriso_ascii", "xorriso", "", "XORRISO VOL", "XORRISO VOL", true}),
    [](const ::testing::TestParamInfo<ImageCase>& info) { return std::string(info.param.name); });

// A primary descriptor with the given label bytes and, optionally, a Joliet descriptor after it.
std::string descriptor(unsigned char type, std::string_view labelBytes, std::string_view escape = {}) {
    std::string sector(kSector, '\0');
    sector[0] = char(type);
    sector.replace(1, 5, "CD001");
    sector[6] = 1;
    std::string field(labelBytes);
    field.resize(32, type == 1 ? ' ' : '\0');
    sector.replace(40, 32, field);
    if (!escape.empty())
        sector.replace(88, escape.size(), escape);
    return sector;
}

std::string ucs2be(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out += char(c >> 8);
        out += char(c & 0xFF);
    }
    return out;
}

struct CraftedCase {
    const char* name;
    std::string bytes;
    std::optional<std::string> expected;
};

class IsoLabelCrafted : public ::testing::TestWithParam<CraftedCase> {};

TEST_P(IsoLabelCrafted, neverReadsPastTheDataNorLoops) {
    TempDir dir;
    const std::string image = dir / "image.bin";
    drivetest::writeFile(image, GetParam().bytes);
    EXPECT_EQ(lnx::readIsoLabelFile(image), GetParam().expected);
}

const std::string kSystemArea(kDescriptors, '\0');
const std::string kTerminator = descriptor(255, "");

std::string repeated(const std::string& sector, int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += sector;
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, IsoLabelCrafted,
    ::testing::Values(
        CraftedCase{"empty_file", "", std::nullopt},
        CraftedCase{"only_system_area", kSystemArea, std::nullopt},
        CraftedCase{"cut_inside_first_descriptor", kSystemArea + descriptor(1, "DISC").substr(0, 100),
                    std::nullopt},
        CraftedCase{"cut_before_joliet", kSystemArea + descriptor(1, "PRIMARY") + std::string(300, '\x02'),
                    "PRIMARY"},
        CraftedCase{"no_terminator_repeats_forever",
                    kSystemArea + repeated(descriptor(1, "LOOP"), 3 * lnx::kMaxIsoDescriptors), "LOOP"},
        CraftedCase{"joliet_beyond_the_bound",
                    kSystemArea + repeated(descriptor(0, ""), lnx::kMaxIsoDescriptors) +
                        descriptor(2, ucs2be(u"TOO FAR"), "%/E") + kTerminator,
                    std::nullopt},
        CraftedCase{"not_iso", kSystemArea + std::string(kSector, 'x'), std::nullopt},
        CraftedCase{"descriptors_after_garbage_are_ignored",
                    kSystemArea + descriptor(1, "FIRST") + std::string(kSector, 'x') +
                        descriptor(2, ucs2be(u"HIDDEN"), "%/@"),
                    "FIRST"},
        CraftedCase{"supplementary_without_joliet_escape",
                    kSystemArea + descriptor(1, "PRIMARY") + descriptor(2, ucs2be(u"OTHER")) + kTerminator,
                    "PRIMARY"},
        CraftedCase{"joliet_level_1_escape",
                    kSystemArea + descriptor(1, "PRIMARY") + descriptor(2, ucs2be(u"Joliet 1  "), "%/@") +
                        kTerminator,
                    "Joliet 1"},
        CraftedCase{"joliet_cut_at_nul",
                    kSystemArea + descriptor(1, "P") +
                        descriptor(2, ucs2be(std::u16string_view(u"AB\0CD", 5)), "%/C") + kTerminator,
                    "AB"},
        CraftedCase{"joliet_lone_surrogate",
                    kSystemArea + descriptor(1, "P") + descriptor(2, ucs2be(u"A\xD800Z"), "%/E") +
                        kTerminator,
                    "A\xEF\xBF\xBDZ"},
        CraftedCase{"joliet_surrogate_pair",
                    kSystemArea + descriptor(1, "P") + descriptor(2, ucs2be(u"\U0001F4BF"), "%/E") +
                        kTerminator,
                    "\xF0\x9F\x92\xBF"},
        CraftedCase{"primary_in_cp932",
                    kSystemArea + descriptor(1, "\x83\x66\x83\x42\x83\x58\x83\x4E") + kTerminator,
                    "ディスク"},
        CraftedCase{"empty_labels", kSystemArea + descriptor(1, "") + descriptor(2, "", "%/E") + kTerminator,
                    ""}),
    [](const ::testing::TestParamInfo<CraftedCase>& info) { return std::string(info.param.name); });

// Damage to a UDF bridge image: the reader falls back to the Joliet label (patched to differ) or, while
// the reserve sequence is intact, still finds the UDF label.
TEST(IsoLabel, damagedUdfFallsBack) {
    if (!drivetest::haveTool("genisoimage"))
        GTEST_SKIP() << "genisoimage is not installed";
    TempDir dir;
    const std::string image = dir / "udf.iso";
    ASSERT_TRUE(drivetest::makeGenisoImage(dir, image, "UDF LABEL", "-udf -J"));
    std::string pristine = drivetest::readFile(image);
    ASSERT_GT(pristine.size(), 257 * kSector);
    ASSERT_EQ(pristine.compare(17 * kSector + 1, 5, "CD001"), 0);
    pristine.replace(17 * kSector + 40, 32, descriptor(2, ucs2be(u"JOLIET")).substr(40, 32));

    const std::size_t anchor = 256 * kSector;
    auto put32 = [](std::string& bytes, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char(v >> (8 * i));
    };
    // Zeroes the sectors of the descriptor sequence whose extent is stored at the given place.
    auto wipe = [&](std::string& bytes, std::size_t extentAt) {
        std::uint32_t location = 0;
        for (int i = 3; i >= 0; --i)
            location = location << 8 | static_cast<unsigned char>(bytes[extentAt + i]);
        ASSERT_LT(location, 256u);
        bytes.replace(location * kSector, 16 * kSector, 16 * kSector, '\0');
    };
    struct Damage {
        const char* name;
        std::function<void(std::string&)> apply;
        std::string expected;
    };
    const std::vector<Damage> damages{
        {"intact", [](std::string&) {}, "UDF LABEL"},
        {"anchor_checksum", [&](std::string& b) { b[anchor + 4] = char(b[anchor + 4] + 1); }, "JOLIET"},
        {"main_sequence_far_away",
         [&](std::string& b) {
             put32(b, anchor + 16, 0xFFFFFFFFu);
             put32(b, anchor + 20, 0xFFFFFFF0u); // and wrapping around
         },
         "UDF LABEL"},
        {"both_sequences_far_away",
         [&](std::string& b) {
             put32(b, anchor + 20, 0x7FFFFFF0u);
             put32(b, anchor + 28, 0x7FFFFFF0u);
         },
         "JOLIET"},
        // genisoimage puts both sequences before the anchor.
        {"cut_after_anchor", [&](std::string& b) { b.resize(anchor + kSector); }, "UDF LABEL"},
        {"main_sequence_wiped", [&](std::string& b) { wipe(b, anchor + 20); }, "UDF LABEL"},
        {"both_sequences_wiped",
         [&](std::string& b) {
             wipe(b, anchor + 20);
             wipe(b, anchor + 28);
         },
         "JOLIET"},
        {"cut_inside_anchor", [&](std::string& b) { b.resize(anchor + 10); }, "JOLIET"},
    };
    for (const auto& damage : damages) {
        std::string bytes = pristine;
        damage.apply(bytes);
        // The anchor's checksum covers its tag only, so moved extents stay valid descriptors.
        drivetest::writeFile(image, bytes);
        EXPECT_EQ(lnx::readIsoLabelFile(image), damage.expected) << damage.name;
    }
}

TEST(IsoLabel, unreadablePathsGiveNothing) {
    TempDir dir;
    EXPECT_EQ(lnx::readIsoLabelFile(dir / "missing.iso"), std::nullopt);
    EXPECT_EQ(lnx::readIsoLabelFile(dir.str()), std::nullopt); // a folder
    EXPECT_EQ(lnx::readIsoLabel(-1), std::nullopt);
}

} // namespace
