#pragma once

#include <dlfcn.h>

namespace tavix::SharedLibrary {

// Heavy libraries (libvips and what it pulls in, GIO) are loaded on first use,
// so a command that never needs them doesn't pay for loading and relocating
// them at start-up. Null when the library can't be loaded.
inline void* open(const char* soname) {
    return ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

// Points `function` at `name` in `library` (or a library it depends on);
// false when it isn't there.
template <class Function>
bool resolve(void* library, const char* name, Function*& function) {
    function = reinterpret_cast<Function*>(::dlsym(library, name));
    return function != nullptr;
}

}  // namespace tavix::SharedLibrary
