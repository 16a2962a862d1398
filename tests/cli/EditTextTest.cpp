#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/EditText.hpp"

namespace tavix::cli {
namespace {

TEST(EditText, EscapesWhatWouldBreakALineAndReadsItBackByteForByte) {
    const std::vector<std::pair<std::string, std::string>> rows{
        {"back\\slash", "back\\\\slash"},
        {std::string("nul\0bell\a", 9), "nul\\x00bell\\x07"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
        {"bad\xFFutf", "bad\\xffutf"},
        {"cr\r", "cr\\r"},
        {"next\xC2\x85line", "next\\xc2\\x85line"},
    };
    for (const auto& [name, escaped] : rows) {
        EXPECT_EQ(escapeName(name), escaped);
        EXPECT_EQ(unescapeName(escaped), name);
    }
}

TEST(EditText, RefusesLinesItCantReadNamingTheLine) {
    const std::vector<std::pair<std::string, std::string>> rows{
        {"1\ta\nno tab here\n", "line 2: no tab between the number and the name"},
        {"4\tx\n", "line 1: \u201C4\u201D is not the number of a file"},
        {"0\tx\n", "line 1: \u201C0\u201D is not the number of a file"},
        {" 1\tx\n", "line 1: \u201C 1\u201D is not the number of a file"},
        {"1\ta\\qb\n", "line 1: \\q is not an escape; write \\\\ for a backslash"},
        {"1\ta\\x4\n", "line 1: \\x needs two hexadecimal digits"},
    };
    for (const auto& [text, message] : rows) {
        EXPECT_THAT([&] { readEditText(text, 3); },
                    ::testing::ThrowsMessage<EditTextError>(::testing::StrEq(message)));
    }
}

}  // namespace
}  // namespace tavix::cli
