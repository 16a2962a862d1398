// Arbitrary names and texts through every text step: apply must return
// without crashing, hanging or reading out of bounds.
#include <cstdint>
#include <string>

#include "engine/RenameEngine.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t selector = data[0];
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    // The first half is the name, the second the step's text parameter.
    const std::string name = input.substr(0, input.size() / 2);
    const std::string text = input.substr(input.size() / 2);
    const auto number = static_cast<std::int64_t>(static_cast<std::int8_t>(selector)) * 7;
    using namespace tavix;
    const RenameRule rules[] = {
        RenameRule{FindReplace{text, "<$1\\$>", (selector & 1) != 0, (selector & 2) != 0,
                               static_cast<Occurrences>(selector % 3)}},
        RenameRule{RemoveText{text, (selector & 2) != 0}},
        RenameRule{RemoveCharacters{static_cast<CharacterClass>(selector % 5), text}},
        RenameRule{CollapseSpaces{}},
        RenameRule{Crop{static_cast<CropMode>(selector % 4), number}},
        RenameRule{InsertAt{text, number}},
        RenameRule{ChangeCase{static_cast<CaseStyle>(selector % 4)}},
        RenameRule{Truncate{number, (selector & 1) ? Position::prefix : Position::suffix}},
        RenameRule{AddText{text, Position::suffix}},
    };
    for (const RenameRule& rule : rules) {
        std::string out = name;
        (void)RenameEngine::PreparedStep(rule).applyTo(out, 0, "/tmp/x");
    }
    return 0;
}
