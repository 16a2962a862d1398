#include "system/ImageProbe.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <span>
#include <string_view>

#include "system/HeifFile.hpp"
#include "system/JpegHeader.hpp"
#include "system/SharedLibrary.hpp"

namespace tavix::ImageProbe {
namespace {

using Head = std::span<const unsigned char>;

bool startsWith(Head head, std::string_view magic, std::size_t offset = 0) {
    return head.size() >= offset + magic.size() &&
           std::memcmp(head.data() + offset, magic.data(), magic.size()) == 0;
}

bool isJpeg(Head head) {
    return startsWith(head, "\xFF\xD8\xFF");
}
bool isPng(Head head) {
    return startsWith(head, "\x89PNG\r\n\x1A\n");
}
bool isGif(Head head) {
    return startsWith(head, "GIF87a") || startsWith(head, "GIF89a");
}
bool isWebp(Head head) {
    return startsWith(head, "RIFF") && startsWith(head, "WEBP", 8);
}

bool isTiff(Head head) {
    using namespace std::string_view_literals;
    return startsWith(head, "II*\0"sv) || startsWith(head, "MM\0*"sv) ||  // classic
           startsWith(head, "II+\0"sv) || startsWith(head, "MM\0+"sv);    // BigTIFF
}

// Formats are recognised from their first bytes and read by their own loader, so
// libvips never sniffs a file against every loader it has (several times slower,
// and it would reach loaders that parse far more than a header). Only these
// loaders ever run; JPEG is read by libjpeg directly (JpegHeader.hpp). SVG,
// JPEG 2000 and JPEG XL are left out: libvips counts their loaders as untrusted,
// and they stay blocked.
struct Format {
    bool (*matches)(Head);
    const char* loader;  // the libvips operation that reads from a source
};
constexpr Format formats[] = {
    {isPng, "pngload_source"},
    {isGif, "gifload_source"},
    {isWebp, "webpload_source"},
    {isTiff, "tiffload_source"},
    {HeifFile::hasHeifBrand, "heifload_source"},
};

// Stands in for GLib's log handler: libvips' messages about damaged files are
// not for the user.
void discardMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// The libvips functions used here, from libvips loaded on first use, and which
// of the loaders above this build has (the HEIF loader is a module that may be
// missing).

struct Vips {
    decltype(&::vips_init) init = nullptr;
    decltype(&::vips_error_clear) errorClear = nullptr;
    decltype(&::vips_cache_set_max) cacheSetMax = nullptr;
    decltype(&::vips_block_untrusted_set) blockUntrusted = nullptr;
    decltype(&::vips_type_find) typeFind = nullptr;
    decltype(&::vips_source_custom_new) customSource = nullptr;
    decltype(&::vips_call) call = nullptr;
    decltype(&::vips_image_get_width) width = nullptr;
    decltype(&::vips_image_get_height) height = nullptr;
    decltype(&::vips_image_get_interpretation) interpretation = nullptr;
    decltype(&::g_object_unref) unref = nullptr;
    decltype(&::g_signal_connect_data) connect = nullptr;
    decltype(&::g_log_set_handler) setLogHandler = nullptr;
    std::array<bool, std::size(formats)> loaderExists{};

    // Resolves the functions, then starts libvips as every probe needs it.
    bool load(void* library) {
        using SharedLibrary::resolve;
        if (!(resolve(library, "vips_init", init) &&
              resolve(library, "vips_error_clear", errorClear) &&
              resolve(library, "vips_cache_set_max", cacheSetMax) &&
              resolve(library, "vips_block_untrusted_set", blockUntrusted) &&
              resolve(library, "vips_type_find", typeFind) &&
              resolve(library, "vips_source_custom_new", customSource) &&
              resolve(library, "vips_call", call) &&
              resolve(library, "vips_image_get_width", width) &&
              resolve(library, "vips_image_get_height", height) &&
              resolve(library, "vips_image_get_interpretation", interpretation) &&
              resolve(library, "g_object_unref", unref) &&
              resolve(library, "g_signal_connect_data", connect) &&
              resolve(library, "g_log_set_handler", setLogHandler))) {
            return false;
        }
        // libvips and the codecs it wraps report damaged files through GLib logging
        // in the "VIPS" domain, which would print them on stderr. Installed before
        // start-up, which may already report a module that fails to load.
        setLogHandler(
            "VIPS",
            static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
            discardMessage, nullptr);
        if (init("tavix") != 0) {
            errorClear();
            return false;
        }
        // Every read makes a new source, so no cached operation could be reused;
        // a cache would only keep descriptors open.
        cacheSetMax(0);
        // Loaders that libvips doesn't consider safe for hostile files stay
        // blocked for the whole process.
        blockUntrusted(TRUE);
        for (std::size_t i = 0; i < std::size(formats); ++i) {
            loaderExists[i] = typeFind("VipsOperation", formats[i].loader) != 0;
        }
        return true;
    }
};

// libvips, loaded and started once for the process; null when it can't be.
const Vips* vips() {
    return SharedLibrary::functions<Vips>(TAVIX_VIPS_LIBRARY);
}

std::optional<std::string> colorModel(VipsInterpretation interpretation) {
    switch (interpretation) {
        case VIPS_INTERPRETATION_sRGB:
        case VIPS_INTERPRETATION_RGB:
        case VIPS_INTERPRETATION_scRGB:
        case VIPS_INTERPRETATION_RGB16:
            return "RGB";
        case VIPS_INTERPRETATION_B_W:
        case VIPS_INTERPRETATION_GREY16:
            return "Gray";
        case VIPS_INTERPRETATION_CMYK:
            return "CMYK";
        case VIPS_INTERPRETATION_LAB:
        case VIPS_INTERPRETATION_LABQ:
        case VIPS_INTERPRETATION_LABS:
            return "Lab";
        default:
            return std::nullopt;
    }
}

struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// The prefix as a libvips source: a seekable stream whose length is the prefix's.
struct PrefixStream {
    Prefix prefix;
    std::int64_t position = 0;

    static gint64 read(VipsSourceCustom*, void* buffer, gint64 length, PrefixStream* self) {
        const std::int64_t left = self->prefix.end - self->position;
        if (left <= 0 || length <= 0) return 0;
        const ssize_t count =
            ::pread(self->prefix.fd, buffer, static_cast<std::size_t>(std::min(left, length)),
                    static_cast<off_t>(self->position));
        if (count < 0) return -1;
        self->position += count;
        return count;
    }

    static gint64 seek(VipsSourceCustom*, gint64 offset, int whence, PrefixStream* self) {
        const std::int64_t base = whence == SEEK_SET   ? 0
                                  : whence == SEEK_CUR ? self->position
                                  : whence == SEEK_END ? self->prefix.end
                                                       : -1;
        if (base < 0 || offset < -base || offset > std::numeric_limits<std::int64_t>::max() - base)
            return -1;
        self->position = base + offset;
        return self->position;
    }
};

// The header of the image through `loader`, reading the prefix only. The
// loaders read pixels lazily, on the first region asked for; none is asked.
std::optional<ImageProperties> readHeader(const Vips& v, Prefix prefix, const char* loader) {
    PrefixStream stream{prefix};
    VipsSourceCustom* source = v.customSource();
    if (!source) return std::nullopt;
    v.connect(source, "read", G_CALLBACK(&PrefixStream::read), &stream, nullptr,
              static_cast<GConnectFlags>(0));
    v.connect(source, "seek", G_CALLBACK(&PrefixStream::seek), &stream, nullptr,
              static_cast<GConnectFlags>(0));
    VipsImage* image = nullptr;
    const int failed = v.call(loader, source, &image, "access", VIPS_ACCESS_SEQUENTIAL, "fail_on",
                              VIPS_FAIL_ON_NONE, nullptr);
    // The image may keep the source for its pixels; they are never asked for,
    // and both go before `stream` does.
    if (failed != 0 || !image) {
        v.unref(source);
        return std::nullopt;
    }
    ImageProperties properties;
    const int width = v.width(image);
    const int height = v.height(image);
    if (width > 0 && height > 0) {
        properties.pixelWidth = width;
        properties.pixelHeight = height;
    }
    properties.colorModel = colorModel(v.interpretation(image));
    v.unref(image);
    v.unref(source);
    return properties;
}

std::optional<ImageProperties> readVips(Prefix prefix, std::size_t format) {
    const Vips* v = vips();
    if (!v || !v->loaderExists[format]) return std::nullopt;
    auto properties = readHeader(*v, prefix, formats[format].loader);
    // Failures leave their text in libvips' error buffer; nobody reads it.
    if (!properties) v->errorClear();
    return properties;
}

}  // namespace

std::optional<ImageProperties> read(const std::filesystem::path& path) {
    // Not blocking on open keeps a FIFO in the list from hanging the caller.
    const Descriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    if (file.fd < 0) return std::nullopt;
    struct stat status;
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    const Prefix prefix{file.fd, std::min<std::int64_t>(status.st_size, kReadLimit)};

    // The first bytes tell the format; a JPEG's header usually lies within them.
    FirstBytes head;
    const ssize_t count = ::pread(file.fd, head.bytes.data(), head.bytes.size(), 0);
    if (count <= 0) return std::nullopt;
    head.length = static_cast<std::size_t>(std::min<std::int64_t>(count, prefix.end));
    const Head magic(head.bytes.data(), head.length);

    if (isJpeg(magic)) return readJpegHeader(prefix, head);
    for (std::size_t i = 0; i < std::size(formats); ++i) {
        if (!formats[i].matches(magic)) continue;
        // libheif parses every box it finds: a layout beyond the bounds is no
        // image here, and never reaches it.
        if (formats[i].matches == HeifFile::hasHeifBrand &&
            !HeifFile::parsedBoxes(file.fd, prefix.end)) {
            return std::nullopt;
        }
        return readVips(prefix, i);
    }
    return std::nullopt;
}

}  // namespace tavix::ImageProbe
