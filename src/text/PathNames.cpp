#include "text/PathNames.hpp"

#include <string.h>

#include <utility>

namespace tavix::PathNames {

std::string_view trimmedOfTrailingSlashes(std::string_view pathText) {
    while (pathText.size() > 1 && pathText.back() == '/') pathText.remove_suffix(1);
    return pathText;
}

std::string_view nameView(const Location& path) {
    return nameView(std::string_view(path.native()));
}

std::string_view nameView(std::string_view pathText) {
    const std::string_view text = trimmedOfTrailingSlashes(pathText);
    if (text == "/") return text;
    // memrchr, not rfind: rfind looks at one byte at a time.
    const void* slash = text.empty() ? nullptr : memrchr(text.data(), '/', text.size());
    return slash == nullptr ? text
                            : text.substr(static_cast<std::size_t>(static_cast<const char*>(slash) -
                                                                   text.data() + 1));
}

std::string name(const Location& path) {
    return std::string(nameView(path));
}

std::string_view folderView(std::string_view pathText) {
    const std::string_view text = trimmedOfTrailingSlashes(pathText);
    const void* slash = text.empty() ? nullptr : memrchr(text.data(), '/', text.size());
    if (slash == nullptr) return ".";
    // Drop the whole run of slashes before the last component ("/a//b" -> "/a").
    const auto at = static_cast<std::size_t>(static_cast<const char*>(slash) - text.data());
    return trimmedOfTrailingSlashes(text.substr(0, at + 1));
}

Location folder(const Location& path) {
    return Location(std::string(folderView(path.native())));
}

Location child(const Location& folder, const std::string& name) {
    // Joined as text: operator/ would let a name starting with "/" replace the folder.
    std::string text = folder.native();
    if (text.empty() || text.back() != '/') text += '/';
    text += name;
    return Location(std::move(text));
}

std::string extension(const Location& path) {
    return nameExtension(nameView(path));
}

std::string nameExtension(std::string_view fileName) {
    return std::string(nameExtensionView(fileName));
}

std::string_view nameExtensionView(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == fileName.size()) return {};
    return fileName.substr(dot + 1);
}

}  // namespace tavix::PathNames
