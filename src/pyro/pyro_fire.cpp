// Fire colour mapping: the preset window by fireMode, its ends as Y16 (high kept above low),
// the DRC on the caller's frame with the chosen parameter set, and the centre pixel's level.
#include "pyro/pyro_fire.h"

#include <algorithm>
#include <vector>

#include "kernels/conversions.h"
#include "pyro/pyro_fire_level.h"
#include "pyro/pyro_measure.h"
#include "pyro/pyro_y16.h"

namespace kmm {
namespace {

struct FireWindow {
    float upper;
    float lower;
};

FireWindow fireWindow(int fireMode) {
    switch (fireMode) {
        case 4: case 5: case 9: return {650.0f, 150.0f};
        case 6: return {650.0f, 250.0f};
        case 7: case 8: return {150.0f, 100.0f};
        default: return {0.0f, 0.0f};
    }
}

}  // namespace

void fireColourMapping(PyroContext& ctx, const ModelTraits& model, const uint16_t* callerFrame,
                       const FireRequest& request, const MeasureSettings& settings) {
    const FireWindow window = fireWindow(request.fireMode);
    const int64_t pixels = int64_t(ctx.width) * ctx.height;
    // A single row of even width puts (w * h) / 2 + w / 2 one past the end: take the last.
    const int64_t centre = std::min(pixels / 2 + ctx.width / 2, pixels - 1);

    // Without a measured frame and both ends converted (no instance, or the scene refused)
    // there is no window to draw in and nothing is written.
    float centreTemp = 0.0f;
    {
        std::vector<float> matrix(static_cast<size_t>(pixels));
        if (!measureMatrix(ctx, model, matrix.data(), settings)) return;
        centreTemp = matrix[size_t(centre)];
    }
    int16_t high = 0, low = 0;
    if (!y16FromTemperature(ctx, model, window.upper, &high, settings) ||
        !y16FromTemperature(ctx, model, window.lower, &low, settings))
        return;
    // Kept in 16 bits like the conversions' results: a low end of 32767 wraps.
    if (high <= low) high = wrapToInt16(int32_t(low) + 1);

    // Only fire-list models have a DRC handle; for the others the image is refused.
    if (ctx.drcHandle != nullptr) {
        if (request.drcSetIndex >= 0 && request.drcSetIndex <= 3)
            PYRO_FireDRCSetParams(ctx.drcHandle, &ctx.drcSets[size_t(request.drcSetIndex)]);
        const PYRO_DRC_EXTRA extra{{uint16_t(request.drcParam1), uint16_t(request.drcParam2),
                                    uint16_t(request.drcParam3),
                                    uint16_t(saturatingTrunc<int32_t>(centreTemp))}};
        PYRO_DrcFireAdaptive2DifferentMode(
            ctx.drcHandle, callerFrame, request.dst, int32_t(ctx.width), int32_t(ctx.height), high,
            low, int32_t(int64_t(request.fireMode) - 4), uint32_t(request.drcParam4), extra);
    }
    const std::optional<float> level =
        fireLevel(ctx, int16_t(callerFrame[centre]), request.fireMode);
    // Reported last: a step that throws leaves them as the caller had them.
    *request.maxTemp = window.upper;
    *request.minTemp = window.lower;
    if (level) *request.level = *level;
}

}  // namespace kmm
