#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "text/PathNames.hpp"

namespace tavix {
namespace {

TEST(PathOperations, SplitTheLastComponent) {
    // A path, its name, its folder and its extension.
    const std::tuple<Location, std::string, Location, std::string> cases[] = {
        {"/home/ann/report.final.pdf", "report.final.pdf", "/home/ann", "pdf"},
        {"/home/ann/.profile", ".profile", "/home/ann", ""},
        {"/home/ann/name.", "name.", "/home/ann", ""},
        {"/home/ann/noext", "noext", "/home/ann", ""},
        {"/home/ann/..x", "..x", "/home/ann", "x"},
        {"/home/ann/bad\xff.t\xfe", "bad\xff.t\xfe", "/home/ann", "t\xfe"},
        {"/a.txt", "a.txt", "/", "txt"},
        {"/home/ann/photos/", "photos", "/home/ann", ""},
        {"/home//ann//a.txt", "a.txt", "/home//ann", "txt"},
        {"/", "/", "/", ""}};
    for (const auto& [path, name, folder, extension] : cases) {
        EXPECT_EQ(PathNames::name(path), name) << path;
        EXPECT_EQ(PathNames::folder(path), folder) << path;
        EXPECT_EQ(PathNames::extension(path), extension) << path;
    }
}

TEST(PathOperations, ChildStaysInsideItsFolder) {
    EXPECT_EQ(PathNames::child("/home/ann", "b.txt"), Location("/home/ann/b.txt"));
    EXPECT_EQ(PathNames::child("/", "b.txt"), Location("/b.txt"));
    EXPECT_EQ(PathNames::child("/home/ann/", "b.txt"), Location("/home/ann/b.txt"));
    // A name beginning with a slash must not replace the folder.
    EXPECT_EQ(PathNames::child("/home/ann", "/etc/passwd").native().rfind("/home/ann/", 0), 0u);
}

}  // namespace
}  // namespace tavix
