// PNG pictures without libpng, which Debian does not offer for the Windows and arm64 cross
// builds: the scanlines go into stored (uncompressed) deflate blocks, so no compressor is
// needed. The files are about as large as the pixels; the pixels are the same as libpng's.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "png_writer.h"

namespace kmm::tool {
namespace {

constexpr size_t kStoredBlockMax = 65535;

uint32_t crc32(const std::string& type, const std::vector<uint8_t>& data) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (char byte : type) crc = table[(crc ^ uint8_t(byte)) & 0xFF] ^ (crc >> 8);
    for (uint8_t byte : data) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

std::array<uint8_t, 4> bigEndian32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

void writeChunk(OutputFile& out, const std::string& type, const std::vector<uint8_t>& data) {
    out.write(bigEndian32(uint32_t(data.size())).data(), 4);
    out.write(type.data(), 4);
    out.write(data.data(), data.size());
    out.write(bigEndian32(crc32(type, data)).data(), 4);
}

}  // namespace

void writePng(OutputFile& out, const uint8_t* pixels, int width, int height, int channels,
              int bitDepth) {
    const size_t stride = size_t(width) * size_t(channels) * size_t(bitDepth / 8);
    std::vector<uint8_t> scanlines;
    scanlines.reserve(size_t(height) * (stride + 1));
    for (size_t y = 0; y < size_t(height); ++y) {
        scanlines.push_back(0);  // filter: none
        scanlines.insert(scanlines.end(), pixels + y * stride, pixels + (y + 1) * stride);
    }

    std::vector<uint8_t> zlib{0x78, 0x01};  // deflate, 32 KiB window, no dictionary
    for (size_t at = 0; at < scanlines.size(); at += kStoredBlockMax) {
        const auto length = uint16_t(std::min(kStoredBlockMax, scanlines.size() - at));
        const auto inverse = uint16_t(~length);
        const bool last = at + length == scanlines.size();
        zlib.insert(zlib.end(), {uint8_t(last), uint8_t(length), uint8_t(length >> 8),
                                 uint8_t(inverse), uint8_t(inverse >> 8)});
        zlib.insert(zlib.end(), scanlines.begin() + std::ptrdiff_t(at),
                    scanlines.begin() + std::ptrdiff_t(at + length));
    }
    const auto adler = bigEndian32(adler32(scanlines));
    zlib.insert(zlib.end(), adler.begin(), adler.end());

    const auto w = bigEndian32(uint32_t(width)), h = bigEndian32(uint32_t(height));
    // Grey (0) or RGB (2), deflate, adaptive filtering, not interlaced.
    const std::vector<uint8_t> header{w[0], w[1], w[2], w[3], h[0], h[1], h[2], h[3],
                                      uint8_t(bitDepth), uint8_t(channels == 3 ? 2 : 0), 0, 0, 0};

    out.write("\x89PNG\r\n\x1a\n", 8);
    writeChunk(out, "IHDR", header);
    writeChunk(out, "IDAT", zlib);
    writeChunk(out, "IEND", {});
}

}  // namespace kmm::tool
