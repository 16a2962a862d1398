# `cpack -G DEB` in the build folder makes tavix_VERSION_ARCH.deb. Its library
# dependencies are found by dpkg-shlibdeps (from dpkg-dev); what the programs
# load by name at run time is declared by hand.
set(CPACK_PACKAGE_NAME tavix)
set(CPACK_PACKAGE_VENDOR "The Tavix developers")
set(CPACK_PACKAGE_CONTACT "The Tavix developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch file renamer with a live preview")
set(CPACK_PACKAGE_DESCRIPTION
    "Gather files, stack rename steps that run top to bottom, see every new name at \
once with the changed stretch highlighted and every problem that blocks the \
batch, rename in place and undo the last batch. tavix is the desktop \
application, and tavix-cli runs the same engine from a terminal, with a journal \
that undoes a batch even after a crash.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_INSTALL_DIRECTORY tavix)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Added to what dpkg-shlibdeps finds: the libraries loaded on first use with
# dlopen, which it can't see (libvips for image sizes, GIO for file kinds,
# libheif for the date a HEIF photo was taken); the file kinds come from the
# shared MIME database; the window needs a Qt platform plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libvips42, libglib2.0-0, libheif1, shared-mime-info")
if(TAVIX_BUILD_UI)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", qt6-qpa-plugins")
endif()

# The completion for tavix-cli is loaded by bash-completion, which a desktop
# install doesn't always have.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")

# Only what `cmake --install` puts in place; the tests and benchmarks aren't installed.
include(CPack)
