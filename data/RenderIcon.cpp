// Build-time helper: renders the scalable application icon to a square PNG of
// the given size, so the usual fixed sizes never drift from the SVG.
//
//   render-icon ICON.svg SIZE OUT.png
#include <vips/vips.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: render-icon ICON.svg SIZE OUT.png\n");
        return 2;
    }
    const int size = std::atoi(argv[2]);
    if (size <= 0 || VIPS_INIT(argv[0]) != 0) {
        std::fprintf(stderr, "render-icon: can't start (size %s)\n", argv[2]);
        return 2;
    }
    VipsImage* natural = nullptr;
    VipsImage* scaled = nullptr;
    int status = 1;
    // The header gives the drawing's own width; loading again at the ratio
    // renders the vectors at the target size instead of scaling pixels.
    if (vips_svgload(argv[1], &natural, nullptr) == 0 && natural->Xsize > 0 &&
        vips_svgload(argv[1], &scaled, "scale", double(size) / natural->Xsize, nullptr) == 0 &&
        scaled->Xsize == size && scaled->Ysize == size &&
        vips_pngsave(scaled, argv[3], "compression", 9, nullptr) == 0) {
        status = 0;
    } else {
        std::fprintf(stderr, "render-icon: %s: %s\n", argv[1], vips_error_buffer());
    }
    if (scaled) g_object_unref(scaled);
    if (natural) g_object_unref(natural);
    vips_shutdown();
    return status;
}
