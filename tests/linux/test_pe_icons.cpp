#include "icon_test_support.h"

#include <climits>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using drivetest::TempDir;
using namespace icontest;

// Real PE files: Wine's programs and libraries, compared with wrestool

std::vector<std::string> wineFiles() {
    std::vector<std::string> found;
    for (const char* dir :
         {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "/usr/lib/x86_64-linux-gnu/wine/i386-windows",
          "/usr/lib/i386-linux-gnu/wine/i386-windows", "/usr/lib/wine/x86_64-windows"}) {
        for (const char* name :
             {"notepad.exe", "winecfg.exe", "regedit.exe", "taskmgr.exe", "user32.dll", "shell32.dll"}) {
            std::error_code ec;
            const fs::path p = fs::path(dir) / name;
            if (fs::is_regular_file(p, ec))
                found.push_back(p.string());
        }
    }
    return found;
}

std::string firstWineFile(const std::string& name) {
    for (const std::string& f : wineFiles())
        if (fs::path(f).filename() == name)
            return f;
    return {};
}

// The icon groups in the order wrestool lists them: names as wrestool takes them back with -n.
std::vector<std::string> wrestoolGroups(const std::string& file) {
    std::vector<std::string> names;
    std::istringstream lines(
        drivetest::capture("wrestool -l " + drivetest::shellQuote(file) + " 2>/dev/null"));
    std::string line;
    while (std::getline(lines, line)) {
        static constexpr std::string_view kGroup = "--type=14 --name=";
        if (line.rfind(kGroup, 0) != 0)
            continue;
        std::string name = line.substr(kGroup.size(), line.find(' ', kGroup.size()) - kGroup.size());
        if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'')
            name = name.substr(1, name.size() - 2);
        names.push_back(name);
    }
    return names;
}

Bytes wrestoolGroupIco(const TempDir& dir, const std::string& file, const std::string& name) {
    const std::string out = dir / "group.ico";
    std::filesystem::remove(out);
    drivetest::run("wrestool -x -t14 -n " + drivetest::shellQuote(name) + " " + drivetest::shellQuote(file) +
                   " -o " + drivetest::shellQuote(out));
    const std::string ico = drivetest::readFile(out);
    return Bytes(ico.begin(), ico.end());
}

// The image with the most colours among those of one size in an .ico.
std::optional<IcoImage> bestOfSize(const std::vector<IcoImage>& images, int width, int height) {
    std::optional<IcoImage> best;
    for (const IcoImage& img : images)
        if (img.width == width && img.height == height && (!best || img.bitCount > best->bitCount))
            best = img;
    return best;
}

// Groups to check in a file: all of a small file's, a sample of a large library's.
std::vector<std::size_t> sampleGroups(std::size_t count) {
    std::vector<std::size_t> picks;
    for (std::size_t i = 0; i < count; ++i)
        if (count <= 12 || i < 4 || i % 25 == 0 || i + 1 == count)
            picks.push_back(i);
    return picks;
}

class PeIconsRealFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!drivetest::haveTool("wrestool"))
            GTEST_SKIP() << "wrestool (icoutils) is not installed";
        m_files = wineFiles();
        m_notepad = firstWineFile("notepad.exe");
        if (m_files.empty() || m_notepad.empty())
            GTEST_SKIP() << "no Wine PE files with icons found";
    }
    std::vector<std::string> m_files;
    std::string m_notepad;
    TempDir m_dir;
};

TEST_F(PeIconsRealFiles, indexCountsGroupsInWrestoolOrderAndGivesTheBest32x32Image) {
    for (const std::string& file : m_files) {
        SCOPED_TRACE(file);
        const std::vector<std::string> groups = wrestoolGroups(file);
        ASSERT_FALSE(groups.empty());
        EXPECT_EQ(lnx::countPeIconGroups(file), int(groups.size()));
        for (std::size_t i : sampleGroups(groups.size())) {
            SCOPED_TRACE("group " + std::to_string(i) + " = " + groups[i]);
            const auto group = parseIco(wrestoolGroupIco(m_dir, file, groups[i]));
            ASSERT_FALSE(group.empty());
            const auto ico = lnx::extractPeIcon(file, int(i));
            ASSERT_TRUE(ico.has_value());
            const auto images = parseIco(*ico);
            ASSERT_EQ(images.size(), 1u);
            // The 32x32 image with the most colours; a group without one (a logo) gives the best of another
            // size, found by its bytes: its entry gives the image's own size, which the group's may not.
            auto expected = bestOfSize(group, 32, 32);
            EXPECT_TRUE(!expected || std::pair(images[0].width, images[0].height) == std::pair(32, 32));
            for (const IcoImage& other : group) {
                if (!expected && other.data == images[0].data)
                    expected = bestOfSize(group, other.width, other.height);
            }
            ASSERT_TRUE(expected.has_value());
            EXPECT_EQ(images[0].bitCount, expected->bitCount);
            EXPECT_TRUE(images[0].data == expected->data);
        }
        EXPECT_FALSE(lnx::extractPeIcon(file, int(groups.size())).has_value());
    }
}

TEST_F(PeIconsRealFiles, negativeIndexNamesTheGroupId) {
    for (const std::string& file : m_files) {
        SCOPED_TRACE(file);
        const std::vector<std::string> groups = wrestoolGroups(file);
        for (std::size_t i = 0; i < groups.size(); ++i) {
            if (groups[i].empty() || groups[i].find_first_not_of("0123456789") != std::string::npos)
                continue; // a named group has no id
            const int id = std::stoi(groups[i]);
            EXPECT_EQ(lnx::extractPeIcon(file, -id), lnx::extractPeIcon(file, int(i))) << "id " << id;
            break;
        }
        EXPECT_FALSE(lnx::extractPeIcon(file, -65000).has_value());
    }
}

TEST_F(PeIconsRealFiles, qtLoadsTheResultAsAnIcon) {
    EXPECT_EQ(decoded(lnx::extractPeIcon(m_files.front(), 0)).size(), QSize(32, 32));
}

TEST_F(PeIconsRealFiles, otherSizesFollowTheSameChoice) {
    const std::string& file = m_notepad;
    const auto group = parseIco(wrestoolGroupIco(m_dir, file, wrestoolGroups(file).at(0)));
    for (int wanted : {16, 48, 256, 40}) {
        SCOPED_TRACE(wanted);
        const int size = wanted == 40 ? 48 : wanted; // no 40: the nearest larger
        const auto best = bestOfSize(group, size, size);
        ASSERT_TRUE(best.has_value());
        const auto ico = lnx::extractPeIcon(file, 0, wanted);
        ASSERT_TRUE(ico.has_value());
        EXPECT_TRUE(parseIco(*ico).at(0).data == best->data);
    }
}

// A damaged copy of a real file answers nothing or exactly what the whole file answers, never garbage.
TEST_F(PeIconsRealFiles, truncatedCopiesNeverGiveWrongData) {
    const std::string& file = m_notepad;
    const std::string whole = drivetest::readFile(file);
    const auto full = lnx::extractPeIcon(file, 0);
    ASSERT_TRUE(full.has_value());
    for (std::size_t cut : {std::size_t(2), std::size_t(64), std::size_t(512), std::size_t(4096),
                            whole.size() / 4, whole.size() / 2, whole.size() - 1}) {
        SCOPED_TRACE(cut);
        const std::string copy = m_dir / "cut.exe";
        drivetest::writeFile(copy, std::string_view(whole).substr(0, cut));
        const auto got = lnx::extractPeIcon(copy, 0);
        if (cut <= 4096) {
            EXPECT_FALSE(got.has_value());
        } else if (got) {
            EXPECT_TRUE(*got == *full);
        }
        EXPECT_LE(lnx::countPeIconGroups(copy), lnx::countPeIconGroups(file));
    }
}

// A 700 MB file costs what the small file at its start costs: same answer, same bytes read.
TEST_F(PeIconsRealFiles, hugeSparseFileReadsNoMoreThanTheSmallOne) {
    const std::string& file = m_notepad;
    const std::string huge = m_dir / "huge.exe";
    fs::copy_file(file, huge);
    fs::resize_file(huge, 700ull * 1024 * 1024);

    lnx::PeIconStats small, big;
    const auto fromSmall = lnx::extractPeIcon(file, 0, 32, &small);
    const auto fromHuge = lnx::extractPeIcon(huge, 0, 32, &big);
    ASSERT_TRUE(fromSmall.has_value());
    EXPECT_EQ(fromHuge, fromSmall);
    EXPECT_EQ(big.bytesRead, small.bytesRead);
    EXPECT_EQ(big.reads, small.reads);
    EXPECT_LT(small.bytesRead, 64u * 1024u); // headers, a few directory entries, the group and one image
}

// Crafted PE files

// Images whose own sizes and depths follow the claims, each with its id as its marker.
std::vector<PeResource> imagesOf(const std::vector<GroupItem>& items) {
    std::vector<PeResource> icons;
    for (const GroupItem& g : items)
        icons.push_back(PeResource{"", g.iconId, dibImage(g.width, g.bitCount, std::uint8_t(g.iconId))});
    return icons;
}

// Three icon groups: "B" (named, so stored first), then ids 7 and 300.
std::map<std::uint32_t, std::vector<PeResource>> threeGroups() {
    const std::vector<GroupItem> b = {{32, 32, 32, 1}, {16, 16, 32, 2}},
                                 g7 = {{32, 32, 32, 3}, {48, 48, 32, 4}},
                                 g300 = {{16, 16, 8, 5}, {32, 32, 8, 6}};
    std::vector<PeResource> icons = imagesOf(b);
    for (const auto& more : {imagesOf(g7), imagesOf(g300)})
        icons.insert(icons.end(), more.begin(), more.end());
    return {{3, icons},
            {14,
             {PeResource{"B", 0, groupData(b)}, PeResource{"", 7, groupData(g7)},
              PeResource{"", 300, groupData(g300)}}}};
}

TEST(PeIconsCrafted, indexAndNegativeIdChooseTheGroup) {
    TempDir dir;
    struct Case {
        int index;
        int expectedMarker; // -1: nothing
    };
    for (bool pe32Plus : {false, true}) {
        const PeBuilt pe = buildPe(threeGroups(), pe32Plus);
        for (const Case& c :
             {Case{0, 1}, Case{1, 3}, Case{2, 6}, Case{3, -1}, Case{1000, -1}, Case{-7, 3}, Case{-300, 6},
              Case{-8, -1}, Case{-1, -1}, Case{INT_MIN, -1}, Case{INT_MAX, -1}}) {
            SCOPED_TRACE(std::to_string(c.index) + (pe32Plus ? " PE32+" : " PE32"));
            EXPECT_EQ(markerOf(extractFrom(dir, pe.file, c.index)), c.expectedMarker);
        }
        EXPECT_EQ(lnx::countPeIconGroups(dir / "crafted.exe"), 3);
    }
}

// The image chosen, and the .ico made of it, go by what each image's own header says; the group's claims
// may be wrong (heights counted with the mask) and are not believed.
TEST(PeIconsCrafted, imageChoiceGoesByTheImagesThemselves) {
    struct Shape {
        int side, bits; // bits 0: a damaged header; -1: missing from the file; kPng: a PNG of 32 bits
        int claimedWidth = -1, claimedHeight = -1, claimedBits = -1; // -1: the truth
    };
    struct Case {
        const char* what;
        std::vector<Shape> images; // ids 1.. in order
        int wanted;
        int expected; // the id of the image chosen
        int declaredCount = -1;
    };
    constexpr int kPng = 64;
    const std::vector<Shape> doubled = {{16, 4, 16, 32}, {32, 4, 32, 64}, {48, 4, 48, 96}};
    const std::vector<Case> cases = {
        {"exact size, most colours wins", {{32, 4}, {32, 32}, {32, 8}}, 32, 2},
        {"exact size beats more colours elsewhere", {{48, 32}, {32, 4}, {16, 32}}, 32, 2},
        {"nearest larger when no exact", {{64, 32}, {48, 32}, {16, 32}}, 32, 2},
        {"largest smaller when nothing larger", {{16, 32}, {24, 8}, {20, 32}}, 32, 2},
        {"256 claimed as 0", {{256, 1, 0, 0}, {16, 32}}, 32, 1},
        {"256 wanted", {{48, 32}, {256, 1, 0, 0}}, 256, 2},
        {"16 wanted", {{32, 32}, {16, 4}, {16, 8}}, 16, 3},
        {"first of equals", {{32, 32}, {32, 32}}, 32, 1},
        {"depths the group leaves 0", {{32, 4, -1, -1, 0}, {32, 8, -1, -1, 0}, {32, 1, -1, -1, 0}}, 32, 2},
        {"depths the group gets wrong", {{32, 4, -1, -1, 32}, {32, 8, -1, -1, 4}}, 32, 2},
        {"heights claimed with the mask, 32 wanted", doubled, 32, 2},
        {"heights claimed with the mask, 16 wanted", doubled, 16, 1},
        {"heights claimed with the mask, 48 wanted", doubled, 48, 3},
        {"sizes claimed the wrong way round", {{16, 32, 32, 32}, {32, 32, 16, 16}}, 32, 2},
        {"a damaged image is passed over", {{32, 0}, {16, 32}}, 32, 2},
        {"a missing image is passed over", {{32, -1}, {16, 32}}, 32, 2},
        {"more entries claimed than held", {{16, 32}, {32, 32}}, 32, 2, 500},
        {"a PNG claimed as 0 x 0 in 8 bits", {{48, kPng, 0, 0, 8}, {24, 8, 24, 48}}, 32, 1},
        {"a DIB beside a PNG", {{48, kPng, 0, 0, 8}, {24, 8, 24, 48}}, 16, 2},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<PeResource> icons;
        std::vector<GroupItem> items;
        const auto claim = [](int claimed, int truth) { return claimed < 0 ? truth : claimed; };
        for (const auto& [side, bits, width, height, claimedBits] : c.images) {
            items.push_back({claim(width, side), claim(height, side), claim(claimedBits, bits),
                             std::uint16_t(items.size() + 1)});
            icons.push_back(PeResource{"", items.back().iconId,
                                       bits == kPng
                                           ? pngImage(side)
                                           : dibImage(side, std::max(bits, 1), std::uint8_t(items.size()))});
            if (bits == 0)
                icons.back().data.at(14) = 0;
        }
        const Shape& chosen = c.images.at(std::size_t(c.expected - 1));
        const int chosenBits = chosen.bits == kPng ? 32 : chosen.bits;
        const Bytes chosenImage = icons.at(std::size_t(c.expected - 1)).data;
        std::erase_if(icons, [&](const PeResource& r) { return c.images.at(r.id - 1u).bits < 0; });
        const PeBuilt pe =
            buildPe({{3, icons}, {14, {PeResource{"", 1, groupData(items, c.declaredCount)}}}});
        const auto ico = extractFrom(dir, pe.file, 0, c.wanted);
        ASSERT_TRUE(ico.has_value());
        const IcoImage entry = parseIco(*ico).at(0);
        EXPECT_TRUE(entry.data == chosenImage);
        EXPECT_EQ(std::tuple(entry.width, entry.height, entry.bitCount),
                  std::tuple(chosen.side, chosen.side, chosenBits));
        const QImage image = decoded(ico);
        ASSERT_EQ(image.size(), QSize(chosen.side, chosen.side));
        EXPECT_EQ(image.pixel(chosen.side / 2, chosen.side / 2), qRgb(0xFF, 0, 0)); // the disc
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);                                    // outside it
    }
}

// A real image moved into a crafted PE32 file comes back byte for byte, as an .ico Qt reads.
TEST(PeIconsCrafted, realImageThroughPe32) {
    const std::string file = firstWineFile("notepad.exe");
    if (file.empty())
        GTEST_SKIP() << "notepad.exe not found";
    const auto fromWine = lnx::extractPeIcon(file, 0);
    ASSERT_TRUE(fromWine.has_value());
    const IcoImage image = parseIco(*fromWine).at(0);
    const PeBuilt pe = buildPe({{3, {PeResource{"", 9, image.data}}},
                                {14, {PeResource{"", 1, groupData({{32, 32, image.bitCount, 9}})}}}},
                               false);
    TempDir dir;
    const auto ico = extractFrom(dir, pe.file, 0);
    ASSERT_TRUE(ico.has_value());
    EXPECT_EQ(*ico, *fromWine);
    EXPECT_EQ(decoded(ico).size(), QSize(32, 32));
}

TEST(PeIconsCrafted, damagedFilesGiveNothing) {
    struct Case {
        const char* what;
        std::function<void(PeBuilt&)> damage;
    };
    const std::vector<Case> cases = {
        {"PE offset past the end", [](PeBuilt& b) { b.put32(0x3C, 0xFFFFFFF0u); }},
        {"PE offset inside the DOS header", [](PeBuilt& b) { b.put32(0x3C, 2); }},
        {"no PE signature", [](PeBuilt& b) { b.file.at(b.lfanew) = 'N'; }},
        {"unknown optional header", [](PeBuilt& b) { b.put16(b.lfanew + 24, 0x107); }},
        {"optional header too short", [](PeBuilt& b) { b.put16(b.lfanew + 20, 8); }},
        {"no data directories", [](PeBuilt& b) { b.put32(b.resourceDirectoryField - 4 - 16, 0); }},
        {"resource directory past the end",
         [](PeBuilt& b) { b.put32(b.resourceDirectoryField, 0x7FFFF000u); }},
        {"resource directory straddles the section end",
         [](PeBuilt& b) {
             b.put32(b.resourceDirectoryField, kSectionRva + std::uint32_t(b.file.size() - b.section) - 4);
         }},
        {"section data past the end of the file",
         [](PeBuilt& b) { b.put32(b.sectionHeader + 20, 0xFFFFF000u); }},
        {"section larger than the file",
         [](PeBuilt& b) {
             b.put32(b.sectionHeader + 16, 0xFFFFFFFFu);
             b.put32(b.sectionHeader + 20, 0x10000);
         }},
        {"65535 sections", [](PeBuilt& b) { b.put16(b.lfanew + 6, 0xFFFF); }},
        {"no sections", [](PeBuilt& b) { b.put16(b.lfanew + 6, 0); }},
        {"type directory loops to the root", [](PeBuilt& b) { b.put32(b.rootEntry[14] + 4, 0x80000000u); }},
        {"group entry loops to its own directory",
         [](PeBuilt& b) {
             b.put32(b.nameEntry[14][0] + 4, 0x80000000u | std::uint32_t(b.typeDirectory[14] - b.section));
         }},
        {"group entry is data, not a directory", [](PeBuilt& b) { b.put32(b.nameEntry[14][0] + 4, 0x10); }},
        {"group entry loops to the root", [](PeBuilt& b) { b.put32(b.nameEntry[14][0] + 4, 0x80000000u); }},
        {"directory offset past the end", [](PeBuilt& b) { b.put32(b.rootEntry[14] + 4, 0xFFFFFFFFu); }},
        {"huge entry counts", [](PeBuilt& b) { b.put32(b.typeDirectory[3] + 12, 0xFFFFFFFFu); }},
        {"group data past the end", [](PeBuilt& b) { b.put32(b.dataEntry[14][0], 0xFFFFFF00u); }},
        {"group size huge", [](PeBuilt& b) { b.put32(b.dataEntry[14][0] + 4, 0xFFFFFFF0u); }},
        {"group too short", [](PeBuilt& b) { b.put32(b.dataEntry[14][0] + 4, 5); }},
        {"group of cursors", [](PeBuilt& b) { b.put16(b.dataAt(14, 0) + 2, 2); }},
        {"group of no entries", [](PeBuilt& b) { b.put16(b.dataAt(14, 0) + 4, 0); }},
        {"image size over the limit",
         [](PeBuilt& b) { b.put32(b.dataEntry[3][0] + 4, lnx::kMaxPeIconImageBytes + 1); }},
        {"image size 0", [](PeBuilt& b) { b.put32(b.dataEntry[3][0] + 4, 0); }},
        {"image shorter than its header", [](PeBuilt& b) { b.put32(b.dataEntry[3][0] + 4, 20); }},
        {"image is not a DIB or PNG", [](PeBuilt& b) { b.file.at(b.dataAt(3, 0)) = 0x77; }},
        {"image 0 pixels wide", [](PeBuilt& b) { b.put32(b.dataAt(3, 0) + 4, 0); }},
        {"image higher than any icon", [](PeBuilt& b) { b.put32(b.dataAt(3, 0) + 8, 0x7FFFFFFE); }},
        {"image upside down", [](PeBuilt& b) { b.put32(b.dataAt(3, 0) + 8, std::uint32_t(-64)); }},
        {"group names a missing image", [](PeBuilt& b) { b.put16(b.dataAt(14, 0) + 6 + 12, 99); }},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PeBuilt pe = buildPe(
            {{3, imagesOf({{32, 32, 4, 1}})}, {14, {PeResource{"", 1, groupData({{32, 32, 4, 1}})}}}});
        ASSERT_EQ(markerOf(extractFrom(dir, pe.file, 0)), 1);
        c.damage(pe);
        EXPECT_EQ(markerOf(extractFrom(dir, pe.file, 0)), -1);
        EXPECT_EQ(markerOf(extractFrom(dir, pe.file, -1)), -1);
    }
}

TEST(PeIconsCrafted, notPeFilesGiveNothing) {
    TempDir dir;
    const PeBuilt pe = buildPe(threeGroups());
    PeBuilt noResources = buildPe({{3, imagesOf({{32, 32, 4, 1}})}});
    const std::string iconsOnly = toString(noResources.file);
    noResources.put32(noResources.resourceDirectoryField, 0);
    const std::vector<std::pair<const char*, std::string>> files = {
        {"empty", ""},
        {"MZ only", "MZ"},
        {"text", "[AutoRun]\r\nopen=setup.exe\r\n"},
        {"headers only", toString(Bytes(pe.file.begin(), pe.file.begin() + long(pe.section)))},
        {"no resources", toString(noResources.file)},
        {"resources without icon groups", iconsOnly},
    };
    for (const auto& [what, content] : files) {
        SCOPED_TRACE(what);
        const std::string path = dir / "file.exe";
        drivetest::writeFile(path, content);
        EXPECT_FALSE(lnx::extractPeIcon(path, 0).has_value());
        EXPECT_EQ(lnx::countPeIconGroups(path), 0);
    }
    EXPECT_FALSE(lnx::extractPeIcon(dir / "missing.exe", 0).has_value());
    EXPECT_FALSE(lnx::extractPeIcon(dir.str(), 0).has_value()); // a folder
    const std::string fifo = dir / "fifo.exe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(lnx::extractPeIcon(fifo, 0).has_value()); // must not wait for a writer
}

} // namespace
