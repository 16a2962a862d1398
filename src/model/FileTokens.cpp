#include "model/FileTokens.hpp"

#include "text/CaseMapping.hpp"
#include "text/Utf.hpp"
#include "system/FileSystem.hpp"

namespace tavix {

FileTokens FileTokens::read(const std::filesystem::path& url) {
    const std::string name = text::validUtf8(FileSystem::name(url));
    const std::string extension = text::validUtf8(FileSystem::extension(url));
    FileTokens tokens;
    tokens.fileName = extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
    tokens.upperFileName = text::uppercased(tokens.fileName);
    tokens.lowerFileName = text::lowercased(tokens.fileName);
    tokens.fileExtension = extension.empty() ? "\u2014" : extension;
    const auto folder = FileSystem::folder(url);
    tokens.parentFolder =
        text::validUtf8(folder == folder.root_path() ? folder.string() : FileSystem::name(folder));
    return tokens;
}

}  // namespace tavix
