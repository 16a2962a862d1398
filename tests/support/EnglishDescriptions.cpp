#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// GIO describes content types in the language of the environment and keeps the
// first description it makes of each; the tests expect the untranslated English.
class EnglishDescriptions : public ::testing::Environment {
public:
    void SetUp() override { ::setenv("LANGUAGE", "C", 1); }
};

[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new EnglishDescriptions);

}  // namespace
