// Writers of float32 and uint16 matrices: raw little-endian samples, numpy's .npy format
// (version 1.0: magic, header length, a Python dict padded to 64 bytes, then the samples),
// 16-bit grey PNG and TIFF through libtiff.
#include "matrix_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#ifdef KMM_HAVE_TIFF
#include <tiffio.h>
#endif

#include "png_writer.h"
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

// All samples in the given byte order, row after row.
std::vector<char> samplesIn(std::endian order, const Matrix& m) {
    std::vector<char> out(m.bytes, m.bytes + m.rowBytes() * size_t(m.size.height));
    if (order != std::endian::native)
        for (auto s = out.begin(); s != out.end(); s += ptrdiff_t(m.sampleBytes))
            std::reverse(s, s + ptrdiff_t(m.sampleBytes));
    return out;
}

void writeSamples(const std::filesystem::path& path, const std::string& head, const Matrix& m) {
    OutputFile out(path);
    out.write(head.data(), head.size());
    const std::vector<char> samples = samplesIn(std::endian::little, m);
    out.write(samples.data(), samples.size());
    out.close();
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

void writePng16(const std::filesystem::path& path, const Matrix& m) {
    const std::vector<char> samples = samplesIn(std::endian::big, m);
    OutputFile out(path);
    writePng(out, reinterpret_cast<const uint8_t*>(samples.data()), m.size.width, m.size.height,
             1, 16);
    out.close();
}

void writeTiff(const std::filesystem::path& path, const Matrix& m) {
#ifdef KMM_HAVE_TIFF
    if (path == "-") throw ToolError("TIFF cannot go to standard output: write .npy or raw");
    errno = 0;
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (tif == nullptr)
        throw ToolError("cannot write " + path.string() + ": " + std::strerror(errno));
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
    if (!ok) {
        std::filesystem::remove(path);
        throw ToolError("libtiff failed writing " + path.string());
    }
#else
    (void)m;
    throw ToolError("this kmm was built without libtiff: write " + path.stem().string() +
                    ".npy or a raw file instead");
#endif
}

void write(const std::filesystem::path& path, const Matrix& m) {
    const FileFormat format =
        m.isFloat ? formatOf(path, {FileFormat::Raw, FileFormat::Npy, FileFormat::Tiff})
                  : formatOf(path, {FileFormat::Raw, FileFormat::Npy, FileFormat::Tiff,
                                    FileFormat::Png});
    switch (format) {
        case FileFormat::Npy: return writeSamples(path, npyHeader(m), m);
        case FileFormat::Tiff: return writeTiff(path, m);
        case FileFormat::Png: return writePng16(path, m);
        case FileFormat::Raw: return writeSamples(path, {}, m);
    }
}

}  // namespace

void writeMatrix(const std::filesystem::path& path, const float* values, FrameSize size) {
    write(path, {reinterpret_cast<const char*>(values), sizeof(float), true, "<f4", size});
}

void writeMatrix(const std::filesystem::path& path, const uint16_t* values, FrameSize size) {
    write(path, {reinterpret_cast<const char*>(values), sizeof(uint16_t), false, "<u2", size});
}

}  // namespace kmm::tool
