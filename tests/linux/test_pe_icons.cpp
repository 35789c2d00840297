#include "drives_test_support.h"
#include "linux/PeIcons.h"

#include <QByteArray>
#include <QImage>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using drivetest::TempDir;
using Bytes = std::vector<unsigned char>;

// ---------------------------------------------------------------------------------------------
// Reading .ico files (what wrestool writes, and what the reader returns)

struct IcoImage {
    int width;
    int height;
    int bitCount;
    Bytes data;
};

std::uint16_t get16(const Bytes& b, std::size_t at) {
    return std::uint16_t(b.at(at) | (b.at(at + 1) << 8));
}
std::uint32_t get32(const Bytes& b, std::size_t at) {
    return get16(b, at) | (std::uint32_t(get16(b, at + 2)) << 16);
}

std::vector<IcoImage> parseIco(const Bytes& ico) {
    std::vector<IcoImage> images;
    const std::size_t count = get16(ico, 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = 6 + 16 * i;
        const std::size_t size = get32(ico, e + 8);
        const std::size_t offset = get32(ico, e + 12);
        images.push_back(IcoImage{ico.at(e) == 0 ? 256 : ico.at(e), ico.at(e + 1) == 0 ? 256 : ico.at(e + 1),
                                  get16(ico, e + 6),
                                  Bytes(ico.begin() + long(offset), ico.begin() + long(offset + size))});
    }
    return images;
}

Bytes toBytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}
std::string toString(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// ---------------------------------------------------------------------------------------------
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
    return toBytes(drivetest::readFile(out));
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
        if (m_files.empty())
            GTEST_SKIP() << "no Wine PE files with icons found";
    }
    std::vector<std::string> m_files;
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
            // The 32x32 image with the most colours; a group without one (a logo) gives its best of another
            // size.
            auto expected = bestOfSize(group, 32, 32);
            if (!expected)
                expected = bestOfSize(group, images[0].width, images[0].height);
            ASSERT_TRUE(expected.has_value());
            EXPECT_EQ(images[0].width, expected->width);
            EXPECT_EQ(images[0].height, expected->height);
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
    const auto ico = lnx::extractPeIcon(m_files.front(), 0);
    ASSERT_TRUE(ico.has_value());
    QImage image;
    ASSERT_TRUE(image.loadFromData(
        QByteArray(reinterpret_cast<const char*>(ico->data()), qsizetype(ico->size())), "ICO"));
    EXPECT_EQ(image.width(), 32);
    EXPECT_EQ(image.height(), 32);
}

TEST_F(PeIconsRealFiles, otherSizesFollowTheSameChoice) {
    const std::string file = firstWineFile("notepad.exe");
    if (file.empty())
        GTEST_SKIP() << "notepad.exe not found";
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
    const std::string file = firstWineFile("notepad.exe");
    if (file.empty())
        GTEST_SKIP() << "notepad.exe not found";
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
    const std::string file = firstWineFile("notepad.exe");
    if (file.empty())
        GTEST_SKIP() << "notepad.exe not found";
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

// ---------------------------------------------------------------------------------------------
// Crafted PE files: a builder for a file with one resource section

struct GroupItem {
    int width, height, colorCount, bitCount;
    std::uint16_t iconId;
};

struct Resource {
    std::string name; // a named resource when not empty
    std::uint16_t id = 0;
    Bytes data;
};

// A DIB header of the given size with a marker byte, enough to pass as an icon image.
Bytes fakeDib(unsigned char marker) {
    Bytes b(40 + 16, 0);
    b[0] = 40;
    b[40] = marker;
    return b;
}

Bytes groupData(const std::vector<GroupItem>& items, int declaredCount = -1) {
    Bytes b{0, 0, 1, 0};
    const int count = declaredCount < 0 ? int(items.size()) : declaredCount;
    b.push_back(std::uint8_t(count & 0xFF));
    b.push_back(std::uint8_t(count >> 8));
    for (const GroupItem& g : items) {
        const Bytes entry{std::uint8_t(g.width),
                          std::uint8_t(g.height),
                          std::uint8_t(g.colorCount),
                          0,
                          1,
                          0,
                          std::uint8_t(g.bitCount),
                          std::uint8_t(g.bitCount >> 8),
                          0x40,
                          0,
                          0,
                          0,
                          std::uint8_t(g.iconId),
                          std::uint8_t(g.iconId >> 8)};
        b.insert(b.end(), entry.begin(), entry.end());
    }
    return b;
}

struct Built {
    Bytes file;
    // Where things landed, as file offsets, for the tests that damage them.
    std::size_t lfanew = 0x40;
    std::size_t resourceDirectoryField = 0; // the RVA in the optional header
    std::size_t sectionHeader = 0;
    std::size_t section = 0x200;
    std::map<std::uint32_t, std::size_t> rootEntry;              // type -> its entry in the root
    std::map<std::uint32_t, std::size_t> typeDirectory;          // type -> its directory
    std::map<std::uint32_t, std::vector<std::size_t>> nameEntry; // type -> entries of its names
    std::map<std::uint32_t, std::vector<std::size_t>> dataEntry; // type -> data entries of its resources

    void put32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file.at(at + i) = std::uint8_t(v >> (8 * i));
    }
    void put16(std::size_t at, std::uint16_t v) {
        file.at(at) = std::uint8_t(v);
        file.at(at + 1) = std::uint8_t(v >> 8);
    }
    // The file offset of the data of resource i of a type.
    std::size_t dataAt(std::uint32_t type, std::size_t i) const {
        const std::size_t e = dataEntry.at(type).at(i);
        const std::uint32_t rva = std::uint32_t(file.at(e) | (file.at(e + 1) << 8) | (file.at(e + 2) << 16));
        return section + (rva - 0x1000);
    }
};

constexpr std::uint32_t kSectionRva = 0x1000;

// types in ascending order, each with its resources in the order given (named ones first, as files store
// them).
Built buildPe(const std::map<std::uint32_t, std::vector<Resource>>& types, bool pe32Plus = true) {
    Built out;
    // Resource section layout: directories, data entries, name strings, data.
    Bytes rsrc;
    auto w16 = [&](std::size_t at, std::uint32_t v) {
        rsrc.at(at) = std::uint8_t(v);
        rsrc.at(at + 1) = std::uint8_t(v >> 8);
    };
    auto w32 = [&](std::size_t at, std::uint32_t v) {
        w16(at, v & 0xFFFF);
        w16(at + 2, v >> 16);
    };
    std::size_t off = 16 + 8 * types.size();
    std::map<std::uint32_t, std::size_t> typeDir;
    std::map<std::uint32_t, std::vector<std::size_t>> langDir, dataEntry, nameStr, data;
    for (const auto& [type, list] : types) {
        typeDir[type] = off;
        off += 16 + 8 * list.size();
    }
    for (const auto& [type, list] : types)
        for (std::size_t i = 0; i < list.size(); ++i, off += 24)
            langDir[type].push_back(off);
    for (const auto& [type, list] : types)
        for (std::size_t i = 0; i < list.size(); ++i, off += 16)
            dataEntry[type].push_back(off);
    for (const auto& [type, list] : types)
        for (const Resource& r : list) {
            nameStr[type].push_back(off);
            if (!r.name.empty())
                off += 2 + 2 * r.name.size();
        }
    off = (off + 3) & ~std::size_t(3);
    for (const auto& [type, list] : types)
        for (const Resource& r : list) {
            data[type].push_back(off);
            off = (off + r.data.size() + 3) & ~std::size_t(3);
        }
    rsrc.assign(off, 0);

    auto countNamed = [](const std::vector<Resource>& list) {
        std::uint32_t n = 0;
        for (const Resource& r : list)
            n += r.name.empty() ? 0 : 1;
        return n;
    };
    w16(14, std::uint32_t(types.size()));
    std::size_t rootSlot = 16;
    for (const auto& [type, list] : types) {
        out.rootEntry[type] = out.section + rootSlot;
        out.typeDirectory[type] = out.section + typeDir[type];
        w32(rootSlot, type);
        w32(rootSlot + 4, 0x80000000u | std::uint32_t(typeDir[type]));
        rootSlot += 8;
        const std::size_t dir = typeDir[type];
        w16(dir + 12, countNamed(list));
        w16(dir + 14, std::uint32_t(list.size()) - countNamed(list));
        for (std::size_t i = 0; i < list.size(); ++i) {
            const Resource& r = list[i];
            const std::size_t slot = dir + 16 + 8 * i;
            out.nameEntry[type].push_back(out.section + slot);
            out.dataEntry[type].push_back(out.section + dataEntry[type][i]);
            if (r.name.empty()) {
                w32(slot, r.id);
            } else {
                w32(slot, 0x80000000u | std::uint32_t(nameStr[type][i]));
                w16(nameStr[type][i], std::uint32_t(r.name.size()));
                for (std::size_t c = 0; c < r.name.size(); ++c)
                    w16(nameStr[type][i] + 2 + 2 * c, std::uint8_t(r.name[c]));
            }
            w32(slot + 4, 0x80000000u | std::uint32_t(langDir[type][i]));
            w16(langDir[type][i] + 14, 1);
            w32(langDir[type][i] + 16, 1033);
            w32(langDir[type][i] + 20, std::uint32_t(dataEntry[type][i]));
            w32(dataEntry[type][i], kSectionRva + std::uint32_t(data[type][i]));
            w32(dataEntry[type][i] + 4, std::uint32_t(r.data.size()));
            std::copy(r.data.begin(), r.data.end(), rsrc.begin() + long(data[type][i]));
        }
    }

    // Headers: DOS stub, PE signature, file header, optional header, one section header.
    const std::size_t optionalSize = pe32Plus ? 240 : 224;
    out.file.assign(out.section, 0);
    out.file[0] = 'M';
    out.file[1] = 'Z';
    out.put32(0x3C, std::uint32_t(out.lfanew));
    const std::size_t pe = out.lfanew;
    out.file[pe] = 'P';
    out.file[pe + 1] = 'E';
    out.put16(pe + 4, pe32Plus ? 0x8664 : 0x14C);
    out.put16(pe + 6, 1);
    out.put16(pe + 20, std::uint16_t(optionalSize));
    const std::size_t opt = pe + 24;
    out.put16(opt, pe32Plus ? 0x20B : 0x10B);
    const std::size_t count = opt + (pe32Plus ? 108 : 92);
    out.put32(count, 16);
    out.resourceDirectoryField = count + 4 + 2 * 8;
    out.put32(out.resourceDirectoryField, kSectionRva);
    out.put32(out.resourceDirectoryField + 4, std::uint32_t(rsrc.size()));
    out.sectionHeader = opt + optionalSize;
    std::copy_n(".rsrc", 5, out.file.begin() + long(out.sectionHeader));
    out.put32(out.sectionHeader + 8, std::uint32_t(rsrc.size()));
    out.put32(out.sectionHeader + 12, kSectionRva);
    out.put32(out.sectionHeader + 16, std::uint32_t(rsrc.size()));
    out.put32(out.sectionHeader + 20, std::uint32_t(out.section));
    out.file.insert(out.file.end(), rsrc.begin(), rsrc.end());
    return out;
}

std::optional<Bytes> extractFrom(const TempDir& dir, const Bytes& file, int index, int wanted = 32) {
    const std::string path = dir / "crafted.exe";
    drivetest::writeFile(path, toString(file));
    return lnx::extractPeIcon(path, index, wanted);
}

// The marker of the image a result holds (see fakeDib), or -1.
int markerOf(const std::optional<Bytes>& ico) {
    if (!ico || ico->size() < 22 + 41)
        return -1;
    return (*ico)[22 + 40];
}

// Three icon groups: "B" (named, so stored first), then ids 7 and 300; each image carries its id as marker.
std::map<std::uint32_t, std::vector<Resource>> threeGroups() {
    std::vector<Resource> icons;
    for (std::uint16_t id = 1; id <= 6; ++id)
        icons.push_back(Resource{"", id, fakeDib(std::uint8_t(id))});
    return {{3, icons},
            {14,
             {Resource{"B", 0, groupData({{32, 32, 0, 32, 1}, {16, 16, 0, 32, 2}})},
              Resource{"", 7, groupData({{32, 32, 0, 32, 3}, {48, 48, 0, 32, 4}})},
              Resource{"", 300, groupData({{16, 16, 0, 8, 5}, {32, 32, 0, 8, 6}})}}}};
}

TEST(PeIconsCrafted, indexAndNegativeIdChooseTheGroup) {
    TempDir dir;
    struct Case {
        int index;
        int expectedMarker; // -1: nothing
    };
    for (bool pe32Plus : {false, true}) {
        const Built pe = buildPe(threeGroups(), pe32Plus);
        for (const Case& c :
             {Case{0, 1}, Case{1, 3}, Case{2, 6}, Case{3, -1}, Case{1000, -1}, Case{-7, 3}, Case{-300, 6},
              Case{-8, -1}, Case{-1, -1}, Case{INT_MIN, -1}, Case{INT_MAX, -1}}) {
            SCOPED_TRACE(std::to_string(c.index) + (pe32Plus ? " PE32+" : " PE32"));
            EXPECT_EQ(markerOf(extractFrom(dir, pe.file, c.index)), c.expectedMarker);
        }
        EXPECT_EQ(lnx::countPeIconGroups(dir / "crafted.exe"), 3);
    }
}

TEST(PeIconsCrafted, imageChoiceForA32PixelIcon) {
    struct Case {
        const char* what;
        std::vector<GroupItem> items; // iconId 1.. in order; the marker is the id
        int wanted;
        int expectedMarker;
    };
    const std::vector<Case> cases = {
        {"exact size, most colours wins", {{32, 32, 16, 4, 1}, {32, 32, 0, 32, 2}, {32, 32, 0, 8, 3}}, 32, 2},
        {"exact size beats more colours elsewhere",
         {{48, 48, 0, 32, 1}, {32, 32, 16, 4, 2}, {16, 16, 0, 32, 3}},
         32,
         2},
        {"nearest larger when no exact", {{64, 64, 0, 32, 1}, {48, 48, 0, 32, 2}, {16, 16, 0, 32, 3}}, 32, 2},
        {"largest smaller when nothing larger",
         {{16, 16, 0, 32, 1}, {24, 24, 0, 8, 2}, {20, 20, 0, 32, 3}},
         32,
         2},
        {"0 stands for 256", {{0, 0, 0, 32, 1}, {16, 16, 0, 32, 2}}, 32, 1},
        {"256 wanted", {{48, 48, 0, 32, 1}, {0, 0, 0, 32, 2}}, 256, 2},
        {"colour count when bit count is 0",
         {{32, 32, 16, 0, 1}, {32, 32, 0, 0, 2}, {32, 32, 2, 0, 3}},
         32,
         2},
        {"first of equals", {{32, 32, 0, 32, 1}, {32, 32, 0, 32, 2}}, 32, 1},
        {"16 wanted", {{32, 32, 0, 32, 1}, {16, 16, 16, 4, 2}, {16, 16, 0, 8, 3}}, 16, 3},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Resource> icons;
        for (const GroupItem& g : c.items)
            icons.push_back(Resource{"", g.iconId, fakeDib(std::uint8_t(g.iconId))});
        const Built pe = buildPe({{3, icons}, {14, {Resource{"", 1, groupData(c.items)}}}});
        EXPECT_EQ(markerOf(extractFrom(dir, pe.file, 0, c.wanted)), c.expectedMarker);
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
    const Built pe = buildPe({{3, {Resource{"", 9, image.data}}},
                              {14, {Resource{"", 1, groupData({{32, 32, 0, image.bitCount, 9}})}}}},
                             false);
    TempDir dir;
    const auto ico = extractFrom(dir, pe.file, 0);
    ASSERT_TRUE(ico.has_value());
    EXPECT_EQ(*ico, *fromWine);
    QImage loaded;
    EXPECT_TRUE(loaded.loadFromData(
        QByteArray(reinterpret_cast<const char*>(ico->data()), qsizetype(ico->size())), "ICO"));
    EXPECT_EQ(loaded.size(), QSize(32, 32));
}

TEST(PeIconsCrafted, damagedFilesGiveNothing) {
    struct Case {
        const char* what;
        std::function<void(Built&)> damage;
    };
    const std::vector<Case> cases = {
        {"PE offset past the end", [](Built& b) { b.put32(0x3C, 0xFFFFFFF0u); }},
        {"PE offset inside the DOS header", [](Built& b) { b.put32(0x3C, 2); }},
        {"no PE signature", [](Built& b) { b.file.at(b.lfanew) = 'N'; }},
        {"unknown optional header", [](Built& b) { b.put16(b.lfanew + 24, 0x107); }},
        {"optional header too short", [](Built& b) { b.put16(b.lfanew + 20, 8); }},
        {"no data directories", [](Built& b) { b.put32(b.resourceDirectoryField - 4 - 16, 0); }},
        {"resource directory past the end", [](Built& b) { b.put32(b.resourceDirectoryField, 0x7FFFF000u); }},
        {"resource directory straddles the section end",
         [](Built& b) {
             b.put32(b.resourceDirectoryField, kSectionRva + std::uint32_t(b.file.size() - b.section) - 4);
         }},
        {"section data past the end of the file",
         [](Built& b) { b.put32(b.sectionHeader + 20, 0xFFFFF000u); }},
        {"section larger than the file",
         [](Built& b) {
             b.put32(b.sectionHeader + 16, 0xFFFFFFFFu);
             b.put32(b.sectionHeader + 20, 0x10000);
         }},
        {"65535 sections", [](Built& b) { b.put16(b.lfanew + 6, 0xFFFF); }},
        {"no sections", [](Built& b) { b.put16(b.lfanew + 6, 0); }},
        {"type directory loops to the root", [](Built& b) { b.put32(b.rootEntry[14] + 4, 0x80000000u); }},
        {"group entry loops to its own directory",
         [](Built& b) {
             b.put32(b.nameEntry[14][0] + 4, 0x80000000u | std::uint32_t(b.typeDirectory[14] - b.section));
         }},
        {"group entry is data, not a directory", [](Built& b) { b.put32(b.nameEntry[14][0] + 4, 0x10); }},
        {"group entry loops to the root", [](Built& b) { b.put32(b.nameEntry[14][0] + 4, 0x80000000u); }},
        {"directory offset past the end", [](Built& b) { b.put32(b.rootEntry[14] + 4, 0xFFFFFFFFu); }},
        {"huge entry counts", [](Built& b) { b.put32(b.typeDirectory[3] + 12, 0xFFFFFFFFu); }},
        {"group data past the end", [](Built& b) { b.put32(b.dataEntry[14][0], 0xFFFFFF00u); }},
        {"group size huge", [](Built& b) { b.put32(b.dataEntry[14][0] + 4, 0xFFFFFFF0u); }},
        {"group too short", [](Built& b) { b.put32(b.dataEntry[14][0] + 4, 5); }},
        {"group of cursors", [](Built& b) { b.put16(b.dataAt(14, 0) + 2, 2); }},
        {"group of no entries", [](Built& b) { b.put16(b.dataAt(14, 0) + 4, 0); }},
        {"image size over the limit",
         [](Built& b) { b.put32(b.dataEntry[3][0] + 4, lnx::kMaxPeIconImageBytes + 1); }},
        {"image size 0", [](Built& b) { b.put32(b.dataEntry[3][0] + 4, 0); }},
        {"image is not a DIB or PNG", [](Built& b) { b.file.at(b.dataAt(3, 0)) = 0x77; }},
        {"group names a missing image", [](Built& b) { b.put16(b.dataAt(14, 0) + 6 + 12, 99); }},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Built pe = buildPe(
            {{3, {Resource{"", 1, fakeDib(1)}}}, {14, {Resource{"", 1, groupData({{32, 32, 0, 32, 1}})}}}});
        ASSERT_EQ(markerOf(extractFrom(dir, pe.file, 0)), 1);
        c.damage(pe);
        EXPECT_EQ(markerOf(extractFrom(dir, pe.file, 0)), -1);
        EXPECT_EQ(markerOf(extractFrom(dir, pe.file, -1)), -1);
    }
}

TEST(PeIconsCrafted, notPeFilesGiveNothing) {
    TempDir dir;
    const Built pe = buildPe(threeGroups());
    const std::vector<std::pair<const char*, std::string>> files = {
        {"empty", ""},
        {"MZ only", "MZ"},
        {"text", "[AutoRun]\r\nopen=setup.exe\r\n"},
        {"headers only", toString(Bytes(pe.file.begin(), pe.file.begin() + long(pe.section)))},
        {"no resources",
         [] {
             Built b = buildPe({{3, {Resource{"", 1, fakeDib(1)}}}});
             b.put32(b.resourceDirectoryField, 0);
             return toString(b.file);
         }()},
        {"resources without icon groups", toString(buildPe({{3, {Resource{"", 1, fakeDib(1)}}}}).file)},
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

// A group that claims more entries than it holds is read as far as it goes.
TEST(PeIconsCrafted, groupCountLargerThanItsData) {
    TempDir dir;
    const Built pe =
        buildPe({{3, {Resource{"", 1, fakeDib(1)}, Resource{"", 2, fakeDib(2)}}},
                 {14, {Resource{"", 1, groupData({{16, 16, 0, 32, 1}, {32, 32, 0, 32, 2}}, 500)}}}});
    EXPECT_EQ(markerOf(extractFrom(dir, pe.file, 0)), 2);
}

} // namespace
