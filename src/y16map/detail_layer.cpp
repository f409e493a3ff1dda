// The detail layer: one kernel table for the nine regions of the frame, a direct
// per-pixel evaluation for the border, and a row loop for the interior.
#include "y16map/detail_layer.h"

#include <algorithm>
#include <array>

#include "common/numeric.h"

namespace kmm {
namespace {

struct KernelTerm {
    int8_t dx, dy, weight;
};

// Every kernel's weights add up to 8, so the weighted sum shifted by 3 is a mean. The
// interior kernel leaves out the lower-right neighbour and so is not symmetric.
struct DetailKernel {
    std::array<KernelTerm, 8> terms;
    int count;
    bool clamped;
};

constexpr int32_t kDetailClamp = 20;

// Indexed [row class][column class]: 0 first, 1 inside, 2 last.
constexpr DetailKernel kKernels[3][3] = {
    {
        {{{{0, 0, 2}, {1, 0, 2}, {2, 0, 2}, {0, 1, 1}, {1, 1, 1}}}, 5, false},
        {{{{-1, 0, 2}, {0, 0, 2}, {1, 0, 2}, {-1, 1, 1}, {0, 1, 1}}}, 5, false},
        {{{{0, 0, 2}, {-1, 0, 2}, {-2, 0, 2}, {-2, 1, 1}, {-1, 1, 1}}}, 5, false},
    },
    {
        {{{{0, -1, 2}, {0, 0, 2}, {0, 1, 2}, {1, -1, 1}, {1, 0, 1}}}, 5, false},
        {{{{-1, -1, 1}, {0, -1, 1}, {1, -1, 1}, {-1, 0, 1}, {0, 0, 1}, {1, 0, 1}, {-1, 1, 1},
           {0, 1, 1}}},
         8,
         true},
        {{{{0, -1, 2}, {0, 0, 2}, {-1, -1, 1}, {-1, 0, 1}, {-1, 1, 1}, {0, 1, 1}}}, 6, false},
    },
    {
        {{{{0, 0, 2}, {1, 0, 2}, {2, 0, 1}, {0, -1, 1}, {1, -1, 1}, {2, -1, 1}}}, 6, false},
        {{{{-1, 0, 2}, {0, 0, 2}, {1, 0, 1}, {-1, -1, 1}, {0, -1, 1}, {1, -1, 1}}}, 6, false},
        {{{{0, 0, 1}, {-1, 0, 2}, {-2, 0, 2}, {0, -1, 1}, {-1, -1, 1}, {-2, -1, 1}}}, 6, false},
    },
};

constexpr int regionClass(int32_t i, int32_t n) { return i == 0 ? 0 : (i == n - 1 ? 2 : 1); }

}  // namespace

int16_t detailAt(const int16_t* src, int32_t width, int32_t height, int32_t x, int32_t y) {
    const DetailKernel& kernel = kKernels[regionClass(y, height)][regionClass(x, width)];
    int32_t sum = 0;
    for (int t = 0; t < kernel.count; ++t) {
        const KernelTerm& term = kernel.terms[size_t(t)];
        sum += term.weight * src[int64_t(y + term.dy) * width + (x + term.dx)];
    }
    const int32_t detail = src[int64_t(y) * width + x] - (sum >> 3);
    return kernel.clamped ? int16_t(std::clamp(detail, -kDetailClamp, kDetailClamp))
                          : wrapToInt16(detail);
}

void computeDetailLayer(int16_t* detail, const int16_t* src, int32_t width, int32_t height) {
    const int64_t count = int64_t(width) * height;
    if (width < 3 || height < 3) {
        std::fill(detail, detail + count, int16_t(0));
        return;
    }
    for (int32_t x = 0; x < width; ++x) {
        detail[x] = detailAt(src, width, height, x, 0);
        detail[count - width + x] = detailAt(src, width, height, x, height - 1);
    }
    for (int32_t y = 1; y < height - 1; ++y) {
        const int16_t* up = src + int64_t(y - 1) * width;
        const int16_t* mid = up + width;
        const int16_t* down = mid + width;
        int16_t* out = detail + int64_t(y) * width;
        out[0] = detailAt(src, width, height, 0, y);
        out[width - 1] = detailAt(src, width, height, width - 1, y);
        for (int32_t x = 1; x < width - 1; ++x) {
            const int32_t sum = up[x - 1] + up[x] + up[x + 1] + mid[x - 1] + mid[x] + mid[x + 1] +
                                down[x - 1] + down[x];
            out[x] = int16_t(std::clamp(mid[x] - (sum >> 3), -kDetailClamp, kDetailClamp));
        }
    }
}

}  // namespace kmm
