// Mode 1, the plateau-equalised mapping: a histogram equalisation whose bins are limited to
// the plateau, spread over at most maxRange grey levels centred on the brightness.
#include <algorithm>

#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "kernels/grey_map.h"

namespace kmm {

void ImagePipeline::mapEqualised(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                                 uint32_t plateau, uint32_t percentile, uint32_t maxRange,
                                 uint32_t brightness, MappingTables& tables) {
    const int32_t count = width * height;
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
    // The running total walks the occupied bins only: those below sum to 0 and those above to
    // the total, which is how the record reads them too.
    uint32_t* cumulative = tables.cumulative;
    const uint32_t total =
        accumulateLimited(cumulative, tables.histogram.counts, scan.firstBin, scan.lastBin,
                          std::min(limit, uint32_t{65535}));  // 16-bit counters

    const int32_t range = static_cast<int32_t>(std::min<int64_t>(span, maxRange));
    equalisedRange = range;
    if (keepsEqualisedRecord()) {
        equalised_.cumulative.assign(cumulative + scan.firstBin, cumulative + scan.lastBin + 1);
        equalised_.firstBin = scan.firstBin;
        equalised_.total = total;
    }
    const int64_t base = equalisedBase(range, brightness);
    buildMap(tables.byBin, scan.firstBin, scan.lastBin, [&](int32_t bin) {
        return equalisedGrey(cumulative[bin], range, total, base);
    });
}

}  // namespace kmm
