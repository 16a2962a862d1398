#pragma once

#include <string>
#include <string_view>

#include "text/Location.hpp"

// The parts of a path, taken from its text alone: no disk access, bytes kept as
// stored (a name that is not valid UTF-8 survives untouched).
namespace tavix::PathNames {

// The last path component, extension included. Trailing slashes are ignored;
// the root's name is "/".
std::string name(const Location& path);
// The path without its last component, with no trailing slash ("/" for the root,
// "." for a bare name).
Location folder(const Location& path);
// The path of `name` inside `folder`, joined as text: a name that starts with a
// slash never replaces the folder.
Location child(const Location& folder, const std::string& name);
// The text after the last dot of the name; empty for a name without a dot, whose
// only dot is its first character, or that ends in a dot.
std::string extension(const Location& path);
// extension() of a bare file name.
std::string nameExtension(std::string_view fileName);
// nameExtension() as a view into `fileName`.
std::string_view nameExtensionView(std::string_view fileName);
// name() as a view into `path`'s text, without a copy; `path` must outlive it.
std::string_view nameView(const Location& path);
std::string_view nameView(Location&&) = delete;
// The same for a path's text.
std::string_view nameView(std::string_view pathText);
// The folder part of a path's text, as `folder` gives it, without a copy: "."
// when the path has no folder part.
std::string_view folderView(std::string_view pathText);
// A path's text without trailing slashes; a path of slashes alone stays "/".
std::string_view trimmedOfTrailingSlashes(std::string_view pathText);

}  // namespace tavix::PathNames
