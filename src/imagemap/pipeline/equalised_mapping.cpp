// Mode 1, the plateau-equalised mapping: a histogram equalisation whose bins are limited to
// the plateau, spread over at most maxRange grey levels centred on the brightness.
#include <algorithm>

#include "common/work_block.h"
#include "imagemap/pipeline/equalised_table.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "kernels/conversions.h"
#include "kernels/grey_map.h"

namespace kmm {

std::array<uint32_t, 65536> cumulativeTable{};
int32_t rangeValue = 0;

void ImagePipeline::mapEqualised(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                                 uint32_t plateau, uint32_t percentile, uint32_t maxRange,
                                 uint32_t brightness) {
    const int32_t count = width * height;
    WorkBlock work(WorkBlock::bytesFor<MappingTables>(1));
    MappingTables& tables = *work.take<MappingTables>(1);
    const PercentileScan scan = scanHistogram(in, count, percentile, tables.histogram);
    prepareEqualised(scan, plateau, maxRange, brightness, tables);
    applyMap(out, in, count,
             mapByValue(tables.byBin, {histogramOffset, false}, scan.minValue, scan.maxValue,
                        tables.byValue));
}

void ImagePipeline::prepareEqualised(const PercentileScan& scan, uint32_t plateau,
                                     uint32_t maxRange, uint32_t brightness,
                                     MappingTables& tables) {
    const int32_t span = scan.high - scan.low + 1;
    // A narrow scene would otherwise be dominated by a few full bins: limit them harder.
    const uint32_t limit = span < 128 ? plateau / 4 : plateau;
    // Bins below the occupied range sum to 0 and those above it to the total; the running
    // total only walks the occupied bins, the fills write the same values a full walk would.
    std::fill(cumulativeTable.begin(), cumulativeTable.begin() + scan.firstBin, 0u);
    const uint32_t total =
        accumulateLimited(cumulativeTable.data(), tables.histogram.counts, scan.firstBin,
                          scan.lastBin, std::min(limit, uint32_t{65535}));  // 16-bit counters
    std::fill(cumulativeTable.begin() + scan.lastBin + 1, cumulativeTable.end(), total);

    const int32_t range = static_cast<int32_t>(std::min<int64_t>(span, maxRange));
    rangeValue = range;
    const int64_t shift = range < 255 ? 128 - range / 2 : -((range - 255) / 2);
    const int64_t base = -128 + shift + int64_t(brightness);
    // One grey level per occupied bin; the product and quotient are unsigned 32-bit (the
    // total is at most 65,536 x 65,535, so total + 1 never wraps to 0).
    const uint32_t urange = static_cast<uint32_t>(range);
    const uint32_t divisor = total + 1u;
    buildMap(tables.byBin, scan.firstBin, scan.lastBin, [&](int32_t bin) {
        return clampToByte(int64_t(cumulativeTable[bin] * urange / divisor) + base);
    });
}

}  // namespace kmm
