#include "system/JpegHeader.hpp"

#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace tavix::ImageProbe {
namespace {

// libjpeg reads through this: the first bytes, then the prefix a chunk at a
// time from where the decoder is. Skipped segments are never read.
struct PrefixSource {
    jpeg_source_mgr manager;  // first, so libjpeg's pointer to it is one to this
    Prefix prefix;
    std::int64_t next;  // offset of the next chunk
    std::array<JOCTET, 4096> chunk;
};

PrefixSource& sourceOf(j_decompress_ptr decoder) {
    return *reinterpret_cast<PrefixSource*>(decoder->src);
}

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

// Past the prefix, or at a read error, the stream ends in an end-of-image
// marker: the header is then incomplete and reading it fails.
boolean fillInputBuffer(j_decompress_ptr decoder) {
    PrefixSource& source = sourceOf(decoder);
    ssize_t count = 0;
    if (source.next < source.prefix.end) {
        const auto wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(source.prefix.end - source.next, source.chunk.size()));
        count = ::pread(source.prefix.fd, source.chunk.data(), wanted,
                        static_cast<off_t>(source.next));
    }
    if (count <= 0) {
        source.chunk[0] = 0xFF;
        source.chunk[1] = JPEG_EOI;
        count = 2;
        source.next = source.prefix.end;
    } else {
        source.next += count;
    }
    source.manager.next_input_byte = source.chunk.data();
    source.manager.bytes_in_buffer = static_cast<std::size_t>(count);
    return TRUE;
}

void skipInputData(j_decompress_ptr decoder, long count) {
    if (count <= 0) return;
    PrefixSource& source = sourceOf(decoder);
    const auto skip = static_cast<std::size_t>(count);
    if (skip <= source.manager.bytes_in_buffer) {
        source.manager.next_input_byte += skip;
        source.manager.bytes_in_buffer -= skip;
        return;
    }
    const auto beyond = static_cast<std::int64_t>(skip - source.manager.bytes_in_buffer);
    source.next = std::min(source.prefix.end, source.next + beyond);
    source.manager.bytes_in_buffer = 0;
}

struct Failure {
    jpeg_error_mgr manager;  // first, for the same reason
    std::jmp_buf jump;
};

[[noreturn]] void failed(j_common_ptr decoder) {
    std::longjmp(reinterpret_cast<Failure*>(decoder->err)->jump, 1);
}
// Warnings (stray bytes between markers …) are neither printed nor fatal.
void ignoreMessage(j_common_ptr, int) {}
void ignoreOutput(j_common_ptr) {}

// As libvips' JPEG loader names them: grey stays grey, Adobe CMYK and YCCK are
// CMYK, everything else is read as RGB.
std::string colorModelOf(J_COLOR_SPACE space) {
    switch (space) {
        case JCS_GRAYSCALE:
            return "Gray";
        case JCS_CMYK:
        case JCS_YCCK:
            return "CMYK";
        default:
            return "RGB";
    }
}

struct Header {
    JDIMENSION width = 0;
    JDIMENSION height = 0;
    J_COLOR_SPACE space = JCS_UNKNOWN;
};

// Only plain values live here: the error exit jumps back into this frame.
bool decodeHeader(PrefixSource& source, Header& header) {
    jpeg_decompress_struct decoder;
    Failure failure;
    decoder.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = failed;
    failure.manager.emit_message = ignoreMessage;
    failure.manager.output_message = ignoreOutput;
    if (setjmp(failure.jump) != 0) {
        jpeg_destroy_decompress(&decoder);
        return false;
    }
    jpeg_create_decompress(&decoder);
    decoder.src = &source.manager;
    const int result = jpeg_read_header(&decoder, TRUE);
    const bool read = result == JPEG_HEADER_OK;
    if (read) header = {decoder.image_width, decoder.image_height, decoder.jpeg_color_space};
    jpeg_destroy_decompress(&decoder);
    return read;
}

}  // namespace

std::optional<ImageProperties> readJpegHeader(Prefix prefix, const FirstBytes& head) {
    PrefixSource source{};
    source.manager.init_source = initSource;
    source.manager.fill_input_buffer = fillInputBuffer;
    source.manager.skip_input_data = skipInputData;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = termSource;
    source.manager.next_input_byte = head.bytes.data();
    source.manager.bytes_in_buffer = head.length;
    source.prefix = prefix;
    source.next = static_cast<std::int64_t>(head.length);

    Header header;
    if (!decodeHeader(source, header)) return std::nullopt;
    // libjpeg refuses an image with no rows or columns, so both sides are positive here.
    ImageProperties properties;
    properties.pixelWidth = header.width;
    properties.pixelHeight = header.height;
    properties.colorModel = colorModelOf(header.space);
    return properties;
}

}  // namespace tavix::ImageProbe
