#include "system/HeifFile.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/TemporaryFolder.hpp"
#include "support/TestImages.hpp"

namespace tavix {
namespace {

using namespace test;
using std::string;

string fileType(const string& major, const string& compatible) {
    return box("ftyp", major + string(4, '\0') + compatible);
}

TEST(HeifFile, KnowsHeifAndAvifByTheirBrands) {
    const struct { string what, head; bool heif; } cases[] = {
        {"HEIC", fileType("heic", "mif1heic"), true}, {"MP4", fileType("mp42", "isommp42"), false},
        {"an AVIF sequence", fileType("avis", "msf1"), true},
        {"a still image named among the compatible brands", fileType("isom", "isommif1"), true},
        {"a brand where the minor version goes", box("ftyp", "isomheicmp42"), false},
        {"a brand past the end of the box", fileType("isom", "") + "avif", false},
        {"a box of another type first", box("moov", "heicheicheic"), false},
        {"a cut file type box", bigEndian32(24) + "ftyphe", false}};
    for (const auto& c : cases) {
        const auto* data = reinterpret_cast<const unsigned char*>(c.head.data());
        EXPECT_EQ(HeifFile::hasHeifBrand({data, c.head.size()}), c.heif) << c.what;
    }
}

// The number of boxes parsedBoxes() hands on, or -1 when it refuses the file.
int parsedBoxes(const string& contents) {
    TemporaryFolder folder;
    const int fd = ::open(folder.write("file.heic", contents).c_str(), O_RDONLY | O_CLOEXEC);
    const auto parsed = HeifFile::parsedBoxes(fd, static_cast<std::int64_t>(contents.size()));
    ::close(fd);
    return parsed ? static_cast<int>(parsed->size()) : -1;
}

string metaWith(const string& children) {
    return box("meta", string(4, '\0') + children);
}

// Meta boxes, each the only child of the one around it, `depth` below the first.
string nested(int depth) {
    string inner = metaWith("");
    for (int i = 0; i < depth; ++i) inner = metaWith(inner);
    return inner;
}

TEST(HeifFile, RefusesLayoutsBeyondTheBounds) {
    const string heic = fixture("dated.heic");
    const string ftyp = fileType("heic", "mif1");
    const auto meta = [&](const string& children) { return ftyp + metaWith(children); };
    const auto ipma = [](std::uint32_t entries) {
        return box("iprp", box("ipma", string(4, '\0') + bigEndian32(entries)));
    };
    // An item location table's count is 16 bits before version 2, 32 after.
    const auto iloc = [](int version, std::uint32_t items) {
        const string count = version < 2 ? bigEndian32(items).substr(2) : bigEndian32(items);
        return box("iloc", char(version) + string("\0\0\0\x44\x40", 5) + count);
    };
    const std::size_t mdat = heic.rfind("mdat") - 4;
    const string longMdat = heic.substr(0, mdat) + bigEndian32(4096) + heic.substr(mdat + 4);
    const int maxBoxes = HeifFile::kBoxes;
    const struct { string what, contents; int parsed; /* -1: refused */ } cases[] = {
        {"the fixture: its file type and meta boxes", heic, 2},
        {"the fixture, its media data running past the end", longMdat, 2},
        {"media data that runs to the end", ftyp + string(4, '\0') + "mdat" + "pixels", 1},
        {"media data with a 64-bit size",
         ftyp + bigEndian32(1) + "mdat" + bigEndian32(0) + bigEndian32(20) + "four", 1},
        {"as many top-level boxes as allowed", heic + freeBoxes(HeifFile::kTopLevelBoxes - 3), 2},
        {"one top-level box more", heic + freeBoxes(HeifFile::kTopLevelBoxes - 2), -1},
        {"as many boxes in the meta box as allowed", meta(freeBoxes(maxBoxes - 2)), 2},
        {"one box more", meta(freeBoxes(maxBoxes - 1)), -1},
        {"too many item properties", meta(box("iprp", box("ipco", freeBoxes(maxBoxes)))), -1},
        {"too many items, version 0",
         meta(box("iinf", string(4, '\0') + "\x10" + '\0' + freeBoxes(maxBoxes))), -1},
        {"a few items, version 1", meta(box("iinf", string("\1\0\0\0\0\0\0\2", 8) + freeBoxes(2))),
         2},
        {"too many references", meta(box("iref", string(4, '\0') + freeBoxes(maxBoxes))), -1},
        {"as many property associations as allowed", meta(ipma(HeifFile::kEntries)), 2},
        {"one association more", meta(ipma(HeifFile::kEntries + 1)), -1},
        {"as many item locations as allowed", meta(iloc(1, HeifFile::kEntries)), 2},
        {"one item location more", meta(iloc(1, HeifFile::kEntries + 1)), -1},
        {"one item location more, version 2", meta(iloc(2, HeifFile::kEntries + 1)), -1},
        {"a data reference and an entity group",
         meta(box("dinf", box("dref", string("\0\0\0\0\0\0\0\1", 8) +
                                          box("url ", string("\0\0\0\1", 4)))) +
              box("grpl", box("altr", string(12, '\0')))),
         2},
        {"boxes nested as deep as allowed", ftyp + nested(8), 2},
        {"one level deeper", ftyp + nested(9), -1},
        {"a meta box larger than libheif should parse",
         meta(box("free", string(HeifFile::kParsedBytes, '\0'))), -1},
        {"two meta boxes, larger together",
         meta(box("free", string(HeifFile::kParsedBytes / 2, '\0'))) +
             metaWith(box("free", string(HeifFile::kParsedBytes / 2, '\0'))),
         -1},
        {"a meta box running past the end", ftyp + metaWith("").substr(0, 10), -1},
        {"a child running past its meta box", meta(bigEndian32(64) + "free"), -1},
        {"a box too short for its header", ftyp + bigEndian32(4) + "free", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(parsedBoxes(c.contents), c.parsed) << c.what;
}

}  // namespace
}  // namespace tavix
