#include "system/ImageProbe.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <span>
#include <string_view>

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

// An ISO media file whose major brand is one of the still-image brands of
// HEIF and AVIF (the same brands libvips' own sniffer accepts).
bool isHeif(Head head) {
    if (!startsWith(head, "ftyp", 4)) return false;
    static constexpr std::string_view brands[] = {"heic", "heix", "hevc", "hevx", "heim",
                                                  "heis", "mif1", "msf1", "avif"};
    return std::any_of(std::begin(brands), std::end(brands),
                       [&](std::string_view brand) { return startsWith(head, brand, 8); });
}

// Formats are recognised from their first bytes and read by their own loader, so
// libvips never sniffs a file against every loader it has (several times slower,
// and it would reach loaders that parse far more than a header). Only these
// loaders ever run. SVG, JPEG 2000 and JPEG XL are left out: libvips counts their
// loaders as untrusted, and they stay blocked.
struct Format {
    bool (*matches)(Head);
    const char* loader;  // the libvips operation that reads from a source
};
constexpr Format formats[] = {
    {isJpeg, "jpegload_source"}, {isPng, "pngload_source"},   {isGif, "gifload_source"},
    {isWebp, "webpload_source"}, {isTiff, "tiffload_source"}, {isHeif, "heifload_source"},
};
constexpr std::size_t headLength = 16;

void discardMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// libvips, started once for the process, and which of the loaders above this
// build has (the HEIF loader is a module that may be missing).
struct Library {
    bool ready = false;
    std::array<bool, std::size(formats)> loaderExists{};
};

const Library& library() {
    static Library shared;
    static std::once_flag once;
    std::call_once(once, [] {
        // libvips and the codecs it wraps report damaged files through GLib logging
        // in the "VIPS" domain, which would print them on stderr. Installed before
        // start-up, which may already report a module that fails to load.
        g_log_set_handler(
            "VIPS",
            static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
            discardMessage, nullptr);
        if (VIPS_INIT("tavix") != 0) {
            vips_error_clear();
            return;
        }
        // Every read makes a new source, so no cached operation could be reused;
        // a cache would only keep descriptors open.
        vips_cache_set_max(0);
        // Loaders that libvips doesn't consider safe for hostile files stay
        // blocked for the whole process.
        vips_block_untrusted_set(TRUE);
        for (std::size_t i = 0; i < std::size(formats); ++i) {
            shared.loaderExists[i] = vips_type_find("VipsOperation", formats[i].loader) != 0;
        }
        shared.ready = true;
    });
    return shared;
}

std::optional<std::string> colorModel(VipsImage* image) {
    switch (vips_image_get_interpretation(image)) {
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

// The header of the image through `loader`, reading from the open descriptor.
// The loaders read pixels lazily, on the first region asked for; none is asked.
std::optional<ImageProperties> readHeader(int fd, const char* loader) {
    VipsSource* source = vips_source_new_from_descriptor(fd);
    if (!source) return std::nullopt;
    VipsImage* image = nullptr;
    const int failed = vips_call(loader, source, &image, "access", VIPS_ACCESS_SEQUENTIAL,
                                 "fail_on", VIPS_FAIL_ON_NONE, nullptr);
    g_object_unref(source);
    if (failed != 0 || !image) return std::nullopt;

    ImageProperties properties;
    const int width = vips_image_get_width(image);
    const int height = vips_image_get_height(image);
    if (width > 0 && height > 0) {
        properties.pixelWidth = width;
        properties.pixelHeight = height;
    }
    properties.colorModel = colorModel(image);
    g_object_unref(image);
    return properties;
}

}  // namespace

std::optional<ImageProperties> read(const std::filesystem::path& url) {
    // Not blocking on open keeps a FIFO in the list from hanging the caller.
    const Descriptor file{::open(url.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    if (file.fd < 0) return std::nullopt;
    struct stat status;
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;

    std::array<unsigned char, headLength> buffer;
    const ssize_t count = ::pread(file.fd, buffer.data(), buffer.size(), 0);
    if (count <= 0) return std::nullopt;
    const Head head(buffer.data(), static_cast<std::size_t>(count));

    for (std::size_t i = 0; i < std::size(formats); ++i) {
        if (!formats[i].matches(head)) continue;
        const Library& vips = library();
        if (!vips.ready || !vips.loaderExists[i]) return std::nullopt;
        auto properties = readHeader(file.fd, formats[i].loader);
        // Failures leave their text in libvips' error buffer; nobody reads it.
        if (!properties) vips_error_clear();
        return properties;
    }
    return std::nullopt;
}

}  // namespace tavix::ImageProbe
