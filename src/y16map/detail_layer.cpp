// The detail layer: one kernel table for the eight border regions of the frame, evaluated
// pixel by pixel along the border, and the 3 x 3 high-pass row for the interior.
#include "y16map/detail_layer.h"

#include <algorithm>
#include <array>

#include "kernels/conversions.h"
#include "kernels/neighbourhood.h"

namespace kmm {
namespace {

struct KernelTerm {
    int8_t dx, dy, weight;
};

// Every kernel's weights add up to 8, so the weighted sum shifted by 3 is a mean; unused
// terms weigh 0. The interior is highPassRow's (its kernel leaves out the lower-right
// neighbour, and only its values are clamped to +-kDetailClamp).
using DetailKernel = std::array<KernelTerm, 6>;

constexpr int16_t kDetailClamp = 20;

// Indexed [row class][column class]: 0 first, 1 inside, 2 last.
constexpr DetailKernel kKernels[][3] = {
    {
        {{{0, 0, 2}, {1, 0, 2}, {2, 0, 2}, {0, 1, 1}, {1, 1, 1}}},
        {{{-1, 0, 2}, {0, 0, 2}, {1, 0, 2}, {-1, 1, 1}, {0, 1, 1}}},
        {{{0, 0, 2}, {-1, 0, 2}, {-2, 0, 2}, {-2, 1, 1}, {-1, 1, 1}}},
    },
    {
        {{{0, -1, 2}, {0, 0, 2}, {0, 1, 2}, {1, -1, 1}, {1, 0, 1}}},
        {},  // the interior
        {{{0, -1, 2}, {0, 0, 2}, {-1, -1, 1}, {-1, 0, 1}, {-1, 1, 1}, {0, 1, 1}}},
    },
    {
        {{{0, 0, 2}, {1, 0, 2}, {2, 0, 1}, {0, -1, 1}, {1, -1, 1}, {2, -1, 1}}},
        {{{-1, 0, 2}, {0, 0, 2}, {1, 0, 1}, {-1, -1, 1}, {0, -1, 1}, {1, -1, 1}}},
        {{{0, 0, 1}, {-1, 0, 2}, {-2, 0, 2}, {0, -1, 1}, {-1, -1, 1}, {-2, -1, 1}}},
    },
};

constexpr int regionClass(int32_t i, int32_t n) { return i == 0 ? 0 : (i == n - 1 ? 2 : 1); }

// A border pixel; border values are not clamped and keep the low 16 bits.
int16_t borderDetail(const int16_t* src, int32_t width, int32_t height, int32_t x, int32_t y) {
    const DetailKernel& kernel = kKernels[regionClass(y, height)][regionClass(x, width)];
    int32_t sum = 0;
    for (const KernelTerm& term : kernel) {
        sum += term.weight * src[int64_t(y + term.dy) * width + (x + term.dx)];
    }
    return wrapToInt16(src[int64_t(y) * width + x] - (sum >> 3));
}

}  // namespace

void computeDetailRows(int16_t* detail, const int16_t* src, int32_t width, int32_t height,
                       int32_t y0, int32_t y1) {
    const int64_t count = int64_t(y1 - y0) * width;
    if (width < 3 || height < 3) {
        std::fill(detail, detail + count, int16_t(0));
        return;
    }
    for (int32_t y = y0; y < y1; ++y) {
        int16_t* row = detail + int64_t(y - y0) * width;
        if (y == 0 || y == height - 1) {
            for (int32_t x = 0; x < width; ++x) row[x] = borderDetail(src, width, height, x, y);
            continue;
        }
        row[0] = borderDetail(src, width, height, 0, y);
        row[width - 1] = borderDetail(src, width, height, width - 1, y);
        const int16_t* mid = src + int64_t(y) * width + 1;
        highPassRow(row + 1, mid - width, mid, mid + width, width - 2, kDetailClamp);
    }
}

void computeDetailLayer(int16_t* detail, const int16_t* src, int32_t width, int32_t height) {
    computeDetailRows(detail, src, width, height, 0, height);
}

}  // namespace kmm
