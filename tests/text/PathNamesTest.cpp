#include <gtest/gtest.h>

#include <string>

#include "text/PathNames.hpp"

namespace tavix {
namespace {

struct PathCase {
    Location path;
    std::string name;
    Location folder;
    std::string extension;
};

class PathOperations : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathOperations, SplitTheLastComponent) {
    const auto& c = GetParam();
    EXPECT_EQ(PathNames::name(c.path), c.name);
    EXPECT_EQ(PathNames::folder(c.path), c.folder);
    EXPECT_EQ(PathNames::extension(c.path), c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PathOperations,
    ::testing::Values(
        PathCase{"/home/ann/report.final.pdf", "report.final.pdf", "/home/ann", "pdf"},
        PathCase{"/home/ann/.profile", ".profile", "/home/ann", ""},
        PathCase{"/home/ann/name.", "name.", "/home/ann", ""},
        PathCase{"/home/ann/noext", "noext", "/home/ann", ""},
        PathCase{"/home/ann/..x", "..x", "/home/ann", "x"},
        PathCase{"/home/ann/bad\xff.t\xfe", "bad\xff.t\xfe", "/home/ann", "t\xfe"},
        PathCase{"/a.txt", "a.txt", "/", "txt"},
        PathCase{"/home/ann/photos/", "photos", "/home/ann", ""},
        PathCase{"/home//ann//a.txt", "a.txt", "/home//ann", "txt"}, PathCase{"/", "/", "/", ""}));

TEST(PathOperations, ChildStaysInsideItsFolder) {
    EXPECT_EQ(PathNames::child("/home/ann", "b.txt"), Location("/home/ann/b.txt"));
    EXPECT_EQ(PathNames::child("/", "b.txt"), Location("/b.txt"));
    EXPECT_EQ(PathNames::child("/home/ann/", "b.txt"), Location("/home/ann/b.txt"));
    // A name beginning with a slash must not replace the folder.
    EXPECT_EQ(PathNames::child("/home/ann", "/etc/passwd").native().rfind("/home/ann/", 0), 0u);
}

}  // namespace
}  // namespace tavix
