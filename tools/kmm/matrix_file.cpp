// Writers of float32 and uint16 matrices: raw little-endian samples, numpy's .npy format
// (version 1.0: magic, header length, a Python dict padded to 64 bytes, then the samples)
// and TIFF through libtiff.
#include "matrix_file.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <fstream>
#include <string>
#include <vector>

#ifdef KMM_HAVE_TIFF
#include <tiffio.h>
#endif

#include "tool.h"

namespace kmm::tool {
namespace {

// One matrix in the machine's byte order, with what the file formats say of its samples.
struct Matrix {
    const char* bytes;
    size_t sampleBytes;
    bool isFloat;
    const char* npyType;  // numpy's descr
    FrameSize size;

    size_t rowBytes() const { return size_t(size.width) * sampleBytes; }
};

void writeSamples(const std::filesystem::path& path, const std::string& head, const Matrix& m) {
    std::ofstream out(path, std::ios::binary);
    out.write(head.data(), std::streamsize(head.size()));
    std::vector<char> row(m.rowBytes());
    for (int y = 0; y < m.size.height; ++y) {
        std::copy_n(m.bytes + size_t(y) * row.size(), row.size(), row.begin());
        if constexpr (std::endian::native == std::endian::big)
            for (auto s = row.begin(); s != row.end(); s += ptrdiff_t(m.sampleBytes))
                std::reverse(s, s + ptrdiff_t(m.sampleBytes));
        out.write(row.data(), std::streamsize(row.size()));
    }
    if (!out) throw ToolError("cannot write " + path.string());
}

std::string npyHeader(const Matrix& m) {
    std::string dict = std::string("{'descr': '") + m.npyType + "', 'fortran_order': False, " +
                       "'shape': (" + std::to_string(m.size.height) + ", " +
                       std::to_string(m.size.width) + "), }";
    // Magic (6 bytes), version (2) and length (2) before the dict; the header ends in a
    // newline on a 64-byte boundary.
    const size_t total = (10 + dict.size() + 1 + 63) / 64 * 64;
    dict.append(total - 10 - dict.size() - 1, ' ');
    dict += '\n';
    return std::string("\x93NUMPY\x01\x00", 8) + char(dict.size() & 0xFF) + char(dict.size() >> 8) +
           dict;
}

void writeTiff(const std::filesystem::path& path, const Matrix& m) {
#ifdef KMM_HAVE_TIFF
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (tif == nullptr) throw ToolError("cannot write " + path.string());
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(m.size.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(m.size.height));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(8 * m.sampleBytes));
    TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, m.isFloat ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    std::vector<char> row(m.rowBytes());  // libtiff may scramble the row it is given
    bool ok = true;
    for (int y = 0; y < m.size.height && ok; ++y) {
        std::copy_n(m.bytes + size_t(y) * row.size(), row.size(), row.begin());
        ok = TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) == 1;
    }
    TIFFClose(tif);
    if (!ok) throw ToolError("libtiff failed writing " + path.string());
#else
    (void)m;
    throw ToolError("this kmm was built without libtiff: write " + path.stem().string() +
                    ".npy or a raw file instead");
#endif
}

void write(const std::filesystem::path& path, const Matrix& m) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (ext == ".npy") return writeSamples(path, npyHeader(m), m);
    if (ext == ".tif" || ext == ".tiff") return writeTiff(path, m);
    writeSamples(path, {}, m);
}

}  // namespace

void writeMatrix(const std::filesystem::path& path, const float* values, FrameSize size) {
    write(path, {reinterpret_cast<const char*>(values), sizeof(float), true, "<f4", size});
}

void writeMatrix(const std::filesystem::path& path, const uint16_t* values, FrameSize size) {
    write(path, {reinterpret_cast<const char*>(values), sizeof(uint16_t), false, "<u2", size});
}

}  // namespace kmm::tool
