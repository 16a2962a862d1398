// Any bytes as the keyed form of a step: decoding either yields a rule that
// survives a round trip or fails with RuleDecodingError, never anything else.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "rules/RuleCoding.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const tavix::RenameRule rule = tavix::decodeRule(text);
        if (!(tavix::decodeRule(tavix::encodeRule(rule)) == rule)) std::abort();
        (void)rule.summary();
        (void)rule.id();
    } catch (const tavix::RuleDecodingError&) {
    }
    return 0;
}
