#pragma once

#include <filesystem>
#include <string>

namespace tavix {

// The name pieces that rename steps work with, as the inspector shows them.
struct FileTokens {
    std::string fileName;       // the name without its extension
    std::string upperFileName;  // the same, full upper-case mapping, any locale
    std::string lowerFileName;  // the same, full lower-case mapping, any locale
    std::string fileExtension;  // without the dot; "—" when there is none
    std::string parentFolder;   // the enclosing folder's name

    static FileTokens read(const std::filesystem::path& file);
};

}  // namespace tavix
