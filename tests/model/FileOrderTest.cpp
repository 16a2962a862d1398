#include "model/FileOrder.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/TavixModel.hpp"
#include "support/ExifBytes.hpp"
#include "support/Files.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

using namespace test;
using FileList::SortOrder;

// Files whose keys disagree: b.jpg is the largest, modified first but taken
// last; c.jpg and d.txt are as large and as old as each other. Camera A has the
// zone in its EXIF (taken at 10:00 UTC), camera B's clock is on UTC without one
// (10:30); the others have no EXIF and were modified in 2027.
TEST(Orders, AreStableAndReverseOnlyTheKeys) {
    TemporaryFolder folder;
    const auto at = [&](const std::string& name, const std::string& contents, int minute) {
        return setModified(folder.write(name, contents), 1'800'000'000 + 60 * minute);
    };
    TavixModel model;
    model.add({at("a.jpg", jpegWith(exifBlock("2023:08:01 12:00:00", "+02:00")), 3),
               at("b.jpg", jpegWith(exifBlock("2023:08:01 10:30:00", "+00:00")) + "padding", 1),
               at("c.jpg", "1234", 2), at("d.txt", "1234", 2)});
    const auto sortedNames = [&](SortOrder order, bool reverse) {
        model.sort(order, reverse);
        return namesOf(model.files());
    };
    const struct {
        SortOrder order;
        bool reverse;
        std::vector<std::string> expected;
    } cases[] = {
        {SortOrder::size, false, {"c.jpg", "d.txt", "a.jpg", "b.jpg"}},
        {SortOrder::size, true, {"b.jpg", "a.jpg", "c.jpg", "d.txt"}},
        {SortOrder::date, false, {"b.jpg", "c.jpg", "d.txt", "a.jpg"}},
        {SortOrder::date, true, {"a.jpg", "c.jpg", "d.txt", "b.jpg"}},
        {SortOrder::taken, false, {"a.jpg", "b.jpg", "c.jpg", "d.txt"}},
        {SortOrder::taken, true, {"c.jpg", "d.txt", "b.jpg", "a.jpg"}},
        {SortOrder::name, true, {"d.txt", "c.jpg", "b.jpg", "a.jpg"}},
    };
    for (const auto& c : cases) {
        // From the same starting order each time: stability is part of the answer.
        model.sort(SortOrder::name);
        EXPECT_EQ(sortedNames(c.order, c.reverse), c.expected) << int(c.order) << c.reverse;
    }
    // A file listed, then gone, comes first either way: its keys can't be read.
    model.add({folder.write("vanished.jpg", "x")});
    std::filesystem::remove(folder.path() / "vanished.jpg");
    for (SortOrder order :
         {SortOrder::date, SortOrder::size, SortOrder::created, SortOrder::taken}) {
        model.sort(SortOrder::name);  // the vanished file last, and then first
        for (bool reverse : {false, true}) {
            EXPECT_EQ(sortedNames(order, reverse).front(), "vanished.jpg") << int(order);
        }
    }
}

}  // namespace
}  // namespace tavix
