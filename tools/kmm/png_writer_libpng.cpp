// PNG pictures through libpng, compressed.
#include <png.h>

#include "png_writer.h"
#include "tool.h"

namespace kmm::tool {

void writePng(OutputFile& out, const uint8_t* samples, int width, int height, int channels,
              int bitDepth) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        throw ToolError("libpng could not start");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        out.fail("libpng failed writing");
    }
    png_init_io(png, out.stream());
    const int colorType = channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY;
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = size_t(width) * size_t(channels) * size_t(bitDepth / 8);
    for (int y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(samples + size_t(y) * stride));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
}

}  // namespace kmm::tool
