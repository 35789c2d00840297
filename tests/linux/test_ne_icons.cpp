// Icons of 16-bit (NE) programs, the setup programs of Windows 3.x discs, through the same reader.
#include "icon_test_support.h"

#include <climits>
#include <functional>

namespace {

using drivetest::TempDir;
using namespace icontest;

TEST(NeIconsCrafted, groupsByPositionAndById) {
    const NeBuilt ne = buildNe({
        {kNeIcon, {{1, dibImage(16, 4, 1)}, {2, dibImage(32, 4, 2)}, {3, dibImage(32, 1, 3)}}},
        {kNeGroup, {{5, groupData({{16, 32, 0, 1}, {32, 64, 0, 2}})}}}, // heights claimed with the mask
        {0x000E, {{9, groupData({{32, 32, 1, 3}})}}},                   // a named type, not RT_GROUP_ICON
        {kNeIcon, {{4, dibImage(48, 4, 4)}}},
        {kNeGroup,
         {{0, groupData({{32, 32, 1, 3}, {48, 48, 4, 4}})},
          {300, groupData({{48, 48, 4, 4}, {16, 16, 4, 1}, {32, 32, 4, 7}})}}}, // image 7 is missing
    });
    struct Case {
        int index, wanted, expectedMarker; // -1: nothing
    };
    TempDir dir;
    for (const Case& c : {Case{0, 32, 2}, Case{0, 16, 1}, Case{0, 48, 2}, Case{1, 32, 3}, Case{1, 40, 4},
                          Case{2, 32, 4}, Case{2, 16, 1}, Case{3, 32, -1}, Case{-5, 32, 2}, Case{-300, 16, 1},
                          Case{-9, 32, -1}, Case{-ne.nameOffset, 32, -1}, Case{-(0x8000 | 5), 32, -1},
                          Case{-1, 32, -1}, Case{INT_MIN, 32, -1}, Case{INT_MAX, 32, -1}}) {
        SCOPED_TRACE(std::to_string(c.index) + " at " + std::to_string(c.wanted));
        EXPECT_EQ(markerOf(extractFrom(dir, ne.file, c.index, c.wanted)), c.expectedMarker);
    }
    EXPECT_EQ(lnx::countPeIconGroups(dir / "crafted.exe"), 3);
}

// What Windows 3.x linkers wrote: a 16-colour image, its group's entry claiming its height with the mask.
// The icon decodes as the image drawn, however the data is aligned, after a handful of small reads.
TEST(NeIconsCrafted, decodesAsDrawnAtEveryAlignment) {
    TempDir dir;
    for (unsigned shift : {0u, 4u, 9u}) {
        SCOPED_TRACE(shift);
        const NeBuilt ne = buildNe(
            {{kNeIcon, {{1, dibImage(32, 4)}}}, {kNeGroup, {{1, groupData({{32, 64, 0, 1}})}}}}, shift);
        const std::string path = dir / "SETUP.EXE";
        drivetest::writeFile(path, toString(ne.file));
        lnx::PeIconStats stats;
        const auto ico = lnx::extractPeIcon(path, 0, 32, &stats);
        EXPECT_LE(stats.reads, 6); // headers, table, group, an image's header, the image
        const QImage image = decoded(ico);
        ASSERT_EQ(image.size(), QSize(32, 32));
        EXPECT_EQ(image.pixel(16, 16), qRgb(0xFF, 0, 0));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    }
}

TEST(NeIconsCrafted, damagedTablesGiveNothing) {
    constexpr std::size_t kTypeBlock = NeBuilt::kTable + 2, kTableAt = NeBuilt::kHeader + 0x24;
    const std::vector<std::pair<const char*, std::function<void(NeBuilt&)>>> cases = {
        {"NE header past the end", [](NeBuilt& b) { set32(b.file, 0x3C, 0xFFFFFFF0u); }},
        {"a 32-bit OS/2 program", [](NeBuilt& b) { b.file.at(NeBuilt::kHeader) = 'L'; }},
        {"no resource table",
         [](NeBuilt& b) { set16(b.file, kTableAt + 2, NeBuilt::kTable - NeBuilt::kHeader); }},
        {"table past the end",
         [](NeBuilt& b) {
             set16(b.file, kTableAt, 0xFFF0);
             set16(b.file, kTableAt + 2, 0xFFFF);
         }},
        {"table cut after its shift", [](NeBuilt& b) { set16(b.file, kTableAt + 2, 0x42); }},
        {"shift past any file", [](NeBuilt& b) { set16(b.file, NeBuilt::kTable, 40); }},
        {"shift pointing past the end", [](NeBuilt& b) { set16(b.file, NeBuilt::kTable, 16); }},
        {"type count past the table", [](NeBuilt& b) { set16(b.file, kTypeBlock + 2, 0xFFFF); }},
        {"type 0 first", [](NeBuilt& b) { set16(b.file, kTypeBlock, 0); }},
        {"types as names",
         [](NeBuilt& b) {
             set16(b.file, kTypeBlock, 3);
             set16(b.file, kTypeBlock + 20, 14);
         }},
        {"group past the end", [](NeBuilt& b) { set16(b.file, b.entries[1], 0xFFFF); }},
        {"group of no bytes", [](NeBuilt& b) { set16(b.file, b.entries[1] + 2, 0); }},
        {"image past the end", [](NeBuilt& b) { set16(b.file, b.entries[0], 0xFFFF); }},
        {"image longer than the file", [](NeBuilt& b) { set16(b.file, b.entries[0] + 2, 0xFFFF); }},
        {"image of no bytes", [](NeBuilt& b) { set16(b.file, b.entries[0] + 2, 0); }},
        {"image shorter than its header", [](NeBuilt& b) { set16(b.file, b.entries[0] + 2, 1); }},
        {"image is not a DIB", [](NeBuilt& b) { set16(b.file, b.entries[0], get16(b.file, b.entries[1])); }},
        {"group names a missing image", [](NeBuilt& b) { set16(b.file, b.entries[0] + 6, 0x8002); }},
    };
    TempDir dir;
    const NeBuilt whole =
        buildNe({{kNeIcon, {{1, dibImage(32, 4, 1)}}}, {kNeGroup, {{1, groupData({{32, 32, 4, 1}})}}}});
    ASSERT_EQ(markerOf(extractFrom(dir, whole.file, 0)), 1);
    for (const auto& [what, damage] : cases) {
        SCOPED_TRACE(what);
        NeBuilt ne = whole;
        damage(ne);
        EXPECT_EQ(markerOf(extractFrom(dir, ne.file, 0)), -1);
        EXPECT_EQ(markerOf(extractFrom(dir, ne.file, -1)), -1);
        EXPECT_LE(lnx::countPeIconGroups(dir / "crafted.exe"), 1);
    }
    // Cut anywhere, the file gives nothing or the whole file's icon, never a part of it.
    const auto full = extractFrom(dir, whole.file, 0);
    for (std::size_t cut = 0; cut < whole.file.size(); cut += 5) {
        const auto got = extractFrom(dir, Bytes(whole.file.begin(), whole.file.begin() + long(cut)), 0);
        EXPECT_TRUE(!got || got == full) << cut;
    }
}

} // namespace
