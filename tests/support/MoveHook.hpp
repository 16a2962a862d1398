#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "system/FileSystem.hpp"

namespace tavix::testing {

// While it lives, `hook` sees every move the file system services make; an
// errno it returns makes that move fail.
class MoveHook {
public:
    using Hook = std::function<std::optional<int>(const std::filesystem::path& from,
                                                  const std::filesystem::path& to)>;
    explicit MoveHook(Hook hook) { FileSystem::testing::failMovesTo(std::move(hook)); }
    ~MoveHook() { FileSystem::testing::failMovesTo({}); }
    MoveHook(const MoveHook&) = delete;
    MoveHook& operator=(const MoveHook&) = delete;
};

}  // namespace tavix::testing
