#include "model/FileTokens.hpp"

#include "text/CaseMapping.hpp"
#include "text/Utf.hpp"
#include "system/FileSystem.hpp"
#include "text/PathNames.hpp"

namespace tavix {

FileTokens FileTokens::read(const std::filesystem::path& file) {
    const std::string name = text::validUtf8(PathNames::name(file));
    const std::string extension = text::validUtf8(PathNames::extension(file));
    FileTokens tokens;
    tokens.fileName = extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
    tokens.upperFileName = text::uppercased(tokens.fileName);
    tokens.lowerFileName = text::lowercased(tokens.fileName);
    tokens.fileExtension = extension.empty() ? "\u2014" : extension;
    // The root's name is "/".
    tokens.parentFolder = text::validUtf8(PathNames::name(PathNames::folder(file)));
    return tokens;
}

}  // namespace tavix
