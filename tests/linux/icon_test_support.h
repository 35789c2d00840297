#pragma once
// Icon images, icon groups and program files (PE and NE) made in the tests of the program-file icon reader,
// and the .ico files it returns read back.
#include "drives_test_support.h"
#include "linux/PeIcons.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace icontest {

using Bytes = std::vector<unsigned char>;

inline void set16(Bytes& b, std::size_t at, unsigned v) {
    b.at(at) = std::uint8_t(v);
    b.at(at + 1) = std::uint8_t(v >> 8);
}
inline void set32(Bytes& b, std::size_t at, std::uint32_t v) {
    set16(b, at, v & 0xFFFF);
    set16(b, at + 2, v >> 16);
}
inline void append16(Bytes& b, unsigned v) {
    b.resize(b.size() + 2);
    set16(b, b.size() - 2, v);
}
inline void append32(Bytes& b, std::uint32_t v) {
    b.resize(b.size() + 4);
    set32(b, b.size() - 4, v);
}
inline std::uint16_t get16(const Bytes& b, std::size_t at) {
    return std::uint16_t(b.at(at) | (b.at(at + 1) << 8));
}
inline std::uint32_t get32(const Bytes& b, std::size_t at) {
    return get16(b, at) | (std::uint32_t(get16(b, at + 2)) << 16);
}
inline std::string toString(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

struct IcoImage {
    int width;
    int height;
    int bitCount;
    Bytes data;
};

inline std::vector<IcoImage> parseIco(const Bytes& ico) {
    std::vector<IcoImage> images;
    for (std::size_t i = 0, e = 6; i < get16(ico, 4); ++i, e += 16) {
        const std::size_t size = get32(ico, e + 8), offset = get32(ico, e + 12);
        images.push_back(IcoImage{ico.at(e) == 0 ? 256 : ico.at(e), ico.at(e + 1) == 0 ? 256 : ico.at(e + 1),
                                  get16(ico, e + 6),
                                  Bytes(ico.begin() + long(offset), ico.begin() + long(offset + size))});
    }
    return images;
}

inline QImage decoded(const std::optional<Bytes>& ico) {
    QImage image;
    if (ico)
        image.loadFromData(QByteArray(reinterpret_cast<const char*>(ico->data()), qsizetype(ico->size())),
                           "ICO");
    return image;
}

// An icon image as a DIB at 1, 4, 8 or 32 bits a pixel: a red disc, the mask clear outside it. Byte 40
// (the first palette entry, or the first pixel) is a marker that tells images apart.
inline Bytes dibImage(int side, int bits, unsigned char marker = 0) {
    Bytes b;
    for (std::uint32_t v :
         {40u, std::uint32_t(side), std::uint32_t(2 * side), 1u | (std::uint32_t(bits) << 16)})
        append32(b, v);
    const std::size_t colourRow = std::size_t(side * bits + 31) / 32 * 4,
                      maskRow = std::size_t(side + 31) / 32 * 4;
    const std::size_t pixels = 40 + (bits <= 8 ? 4u << bits : 0),
                      mask = pixels + colourRow * std::size_t(side);
    b.resize(mask + maskRow * std::size_t(side), 0);
    if (bits <= 8)
        b[46] = 0xFF; // colour 1 is red
    for (std::size_t y = 0; y < std::size_t(side); ++y)
        for (std::size_t x = 0; x < std::size_t(side); ++x) {
            const auto centre = [side](std::size_t at) { return 2 * int(at) + 1 - side; };
            if (centre(x) * centre(x) + centre(y) * centre(y) >= side * side * 3 / 4)
                b[mask + maskRow * y + x / 8] |= std::uint8_t(0x80 >> (x % 8));
            else if (bits == 32)
                b[pixels + colourRow * y + 4 * x + 2] = b[pixels + colourRow * y + 4 * x + 3] = 0xFF;
            else
                b[pixels + colourRow * y + x * bits / 8] |= std::uint8_t(1 << (8 - bits - x * bits % 8));
        }
    b[40] = marker;
    return b;
}

// The same image as a PNG, as the largest images of newer programs are stored.
inline Bytes pngImage(int side) {
    Bytes ico{0, 0, 1, 0, 1, 0, std::uint8_t(side), std::uint8_t(side), 0, 0, 1, 0, 32, 0};
    const Bytes dib = dibImage(side, 32);
    append32(ico, std::uint32_t(dib.size()));
    append32(ico, 22);
    ico.insert(ico.end(), dib.begin(), dib.end());
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    decoded(ico).save(&buffer, "PNG");
    return Bytes(png.begin(), png.end());
}

// What a group entry claims of its image, and the image's id.
struct GroupItem {
    int width, height, bitCount;
    std::uint16_t iconId;
};

inline Bytes groupData(const std::vector<GroupItem>& items, int declaredCount = -1) {
    Bytes b{0, 0, 1, 0};
    append16(b, unsigned(declaredCount < 0 ? int(items.size()) : declaredCount));
    for (const GroupItem& g : items) {
        b.insert(b.end(), {std::uint8_t(g.width), std::uint8_t(g.height), 0, 0, 1, 0});
        append16(b, unsigned(g.bitCount));
        append32(b, 0x40);
        append16(b, g.iconId);
    }
    return b;
}

inline std::optional<Bytes> extractFrom(const drivetest::TempDir& dir, const Bytes& file, int index,
                                        int wanted = 32) {
    const std::string path = dir / "crafted.exe";
    drivetest::writeFile(path, toString(file));
    return lnx::extractPeIcon(path, index, wanted);
}

// The marker of the image a result holds (see dibImage), or -1.
inline int markerOf(const std::optional<Bytes>& ico) {
    return ico && ico->size() > 22 + 40 ? (*ico)[22 + 40] : -1;
}

// A PE file with one resource section.
struct PeResource {
    std::string name; // a named resource when not empty
    std::uint16_t id = 0;
    Bytes data;
};

struct PeBuilt {
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

    void put32(std::size_t at, std::uint32_t v) { set32(file, at, v); }
    void put16(std::size_t at, std::uint16_t v) { set16(file, at, v); }
    // The file offset of the data of resource i of a type.
    std::size_t dataAt(std::uint32_t type, std::size_t i) const {
        return section + get32(file, dataEntry.at(type).at(i)) - 0x1000;
    }
};

constexpr std::uint32_t kSectionRva = 0x1000;

// types in ascending order, each with its resources in the order given (named ones first, as files store
// them).
inline PeBuilt buildPe(const std::map<std::uint32_t, std::vector<PeResource>>& types, bool pe32Plus = true) {
    PeBuilt out;
    // The resource section: the root, then each type's directory followed by its resources, each a language
    // directory, a data entry, a name string if it has one, and its data.
    Bytes rsrc(16 + 8 * types.size(), 0);
    const auto reserve = [&rsrc](std::size_t size) {
        const std::size_t at = (rsrc.size() + 3) & ~std::size_t(3);
        rsrc.resize(at + size, 0);
        return std::uint32_t(at);
    };
    set16(rsrc, 14, unsigned(types.size()));
    std::size_t rootSlot = 16;
    for (const auto& [type, list] : types) {
        const std::uint32_t dir = reserve(16 + 8 * list.size());
        out.rootEntry[type] = out.section + rootSlot;
        out.typeDirectory[type] = out.section + dir;
        set32(rsrc, rootSlot, type);
        set32(rsrc, rootSlot + 4, 0x80000000u | dir);
        rootSlot += 8;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const PeResource& r = list[i];
            const std::uint32_t slot = dir + 16 + 8 * std::uint32_t(i), lang = reserve(24),
                                entry = reserve(16);
            const std::size_t count = dir + (r.name.empty() ? 14 : 12); // of ids, or of names
            set16(rsrc, count, get16(rsrc, count) + 1u);
            set32(rsrc, slot, r.id);
            if (!r.name.empty()) {
                const std::uint32_t name = reserve(2 + 2 * r.name.size());
                set32(rsrc, slot, 0x80000000u | name);
                set16(rsrc, name, unsigned(r.name.size()));
                for (std::size_t c = 0; c < r.name.size(); ++c)
                    set16(rsrc, name + 2 + 2 * c, std::uint8_t(r.name[c]));
            }
            set32(rsrc, slot + 4, 0x80000000u | lang);
            set16(rsrc, lang + 14, 1);
            set32(rsrc, lang + 16, 1033);
            set32(rsrc, lang + 20, entry);
            const std::uint32_t data = reserve(r.data.size());
            std::copy(r.data.begin(), r.data.end(), rsrc.begin() + long(data));
            set32(rsrc, entry, kSectionRva + data);
            set32(rsrc, entry + 4, std::uint32_t(r.data.size()));
            out.nameEntry[type].push_back(out.section + slot);
            out.dataEntry[type].push_back(out.section + entry);
        }
    }

    // Headers: DOS stub, PE signature, file header, optional header, one section header.
    const std::size_t optionalSize = pe32Plus ? 240 : 224, pe = out.lfanew, opt = pe + 24;
    const std::size_t count = opt + (pe32Plus ? 108 : 92);
    out.file.assign(out.section, 0);
    std::copy_n("MZ", 2, out.file.begin());
    std::copy_n("PE", 2, out.file.begin() + long(pe));
    out.resourceDirectoryField = count + 4 + 2 * 8;
    out.sectionHeader = opt + optionalSize;
    std::copy_n(".rsrc", 5, out.file.begin() + long(out.sectionHeader));
    for (const auto& [at, value] : std::initializer_list<std::pair<std::size_t, std::uint32_t>>{
             {0x3C, std::uint32_t(pe)},
             {count, 16},
             {out.resourceDirectoryField, kSectionRva},
             {out.resourceDirectoryField + 4, std::uint32_t(rsrc.size())},
             {out.sectionHeader + 8, std::uint32_t(rsrc.size())},
             {out.sectionHeader + 12, kSectionRva},
             {out.sectionHeader + 16, std::uint32_t(rsrc.size())},
             {out.sectionHeader + 20, std::uint32_t(out.section)}})
        out.put32(at, value);
    out.put16(pe + 4, pe32Plus ? 0x8664 : 0x14C);
    out.put16(pe + 6, 1);
    out.put16(pe + 20, std::uint16_t(optionalSize));
    out.put16(opt, pe32Plus ? 0x20B : 0x10B);
    out.file.insert(out.file.end(), rsrc.begin(), rsrc.end());
    return out;
}

// A 16-bit (NE) program, as the setup programs of Windows 3.x discs.
constexpr std::uint16_t kNeIcon = 0x8003, kNeGroup = 0x800E; // integer type ids carry 0x8000

// One type block of the resource table; a type without 0x8000 is named by the string at that offset, an
// id of 0 names its resource by a string.
struct NeType {
    std::uint16_t type;
    std::vector<std::pair<std::uint16_t, Bytes>> resources; // id, data
};

struct NeBuilt {
    static constexpr std::size_t kHeader = 0x40, kTable = 0x80;
    Bytes file;
    std::vector<std::size_t> entries; // where each resource's entry lies, in the order given
    std::uint16_t nameOffset = 0;     // of the one name string, from the table's start
};

// A program with the resource table given, each resource's data aligned as shift says.
inline NeBuilt buildNe(const std::vector<NeType>& types, unsigned shift = 4) {
    NeBuilt out;
    out.file.assign(NeBuilt::kTable, 0);
    std::copy_n("MZ", 2, out.file.begin());
    std::copy_n("NE", 2, out.file.begin() + NeBuilt::kHeader);
    set32(out.file, 0x3C, NeBuilt::kHeader);
    set16(out.file, NeBuilt::kHeader + 0x24, NeBuilt::kTable - NeBuilt::kHeader);
    append16(out.file, shift);
    for (const auto& [type, resources] : types) {
        append16(out.file, type);
        append16(out.file, unsigned(resources.size()));
        append32(out.file, 0);
        for (std::size_t i = 0; i < resources.size(); ++i, out.file.resize(out.file.size() + 12))
            out.entries.push_back(out.file.size());
    }
    append16(out.file, 0);
    out.nameOffset = std::uint16_t(out.file.size() - NeBuilt::kTable);
    out.file.insert(out.file.end(), {1, 'N', 0}); // a name, then an empty resident-name table
    set16(out.file, NeBuilt::kHeader + 0x26, unsigned(out.file.size() - 1 - NeBuilt::kHeader));
    const std::size_t unit = std::size_t(1) << shift;
    auto entry = out.entries.begin();
    for (const auto& [type, resources] : types)
        for (const auto& [id, data] : resources) {
            const std::size_t at = (out.file.size() + unit - 1) / unit * unit;
            out.file.resize(at, 0);
            out.file.insert(out.file.end(), data.begin(), data.end());
            set16(out.file, *entry, unsigned(at >> shift));
            set16(out.file, *entry + 2, unsigned((data.size() + unit - 1) >> shift));
            set16(out.file, *entry++ + 6, id ? 0x8000u | id : out.nameOffset);
        }
    return out;
}

} // namespace icontest
