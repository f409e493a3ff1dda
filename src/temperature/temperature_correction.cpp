// The two correction paths. Every table step quantises to 0.1 degC; between steps the
// arithmetic is float unless a distance model says otherwise.
#include "temperature/temperature_correction.h"

#include "temperature/distance_models.h"
#include "temperature/signal_tables.h"

namespace kmm {
namespace {

float tenthsToCelsius(int32_t tenths) { return float(tenths) / 10.0f; }

// The record's fixed compensation: out of the temperature before the change, back after.
struct Compensation {
    bool active = false;
    float delta = 0, offset = 0, gain = 0;

    explicit Compensation(const DeviceCorrectionParam& r) {
        if (r.compMode != 0 && r.compMode != 1) return;
        active = true;
        delta = r.compTemp - (r.compMode == 0 ? 3.0f : 23.0f);
        offset = float(r.compOffset) / 10000.0f;
        gain = float(r.compGain) / 10000.0f;
    }
    float takeOut(float t) const {
        return active ? (offset * delta + t) / (1.0f - gain * delta) : t;
    }
    float putBack(float t) const { return active ? t - delta * (gain * t + offset) : t; }
};

}  // namespace

float correctShortRange(float celsius, const CorrectionConditions& c, int32_t compMode) {
    if (c.oldEmissivity == c.newEmissivity && c.oldDistance == c.newDistance) return celsius;
    const SignalTable& narrow = narrowSignalTable();
    const uint32_t ref = tempToSignalIndex(narrow, toReferenceTenths(c.oldReflectedTemp));
    const float apparent = tenthsToCelsius(apparentFromObject(
        narrow, toTableTenths(celsius), ref, toEmissivityPercent(c.oldEmissivity)));
    const int set = compMode == 0 ? 0 : 1;
    const float atTarget = removeShortRangeDistance(apparent, c.oldDistance, set);
    const float atNewDistance = applyShortRangeDistance(atTarget, c.newDistance, set);
    return tenthsToCelsius(objectFromApparent(narrow, toTableTenths(atNewDistance), ref,
                                              toEmissivityPercent(c.newEmissivity)));
}

float correctFullRange(float celsius, const CorrectionConditions& c,
                       const DeviceCorrectionParam& r, bool unitEmissivity) {
    const bool noDistanceModel = r.distQuadPerDist == 0 && r.distQuad == 0 &&
                                 r.distLinPerDist == 0 && r.distLin == 0 &&
                                 r.distConstPerDist == 0 && r.distConst == 0;
    if (noDistanceModel && c.oldEmissivity == c.newEmissivity &&
        c.oldReflectedTemp == c.newReflectedTemp)
        return celsius;

    const SignalTable& wide = wideSignalTable();
    const float deviceEmissivity = unitEmissivity ? 1.0f : r.emissivity;
    const uint32_t refDev = tempToSignalIndex(wide, toReferenceTenths(r.reflectedTemp));
    const int32_t pctDev = toEmissivityPercent(deviceEmissivity);
    // Widened: the setting is a free 32-bit field and the difference must not overflow.
    const float k = 1.0f - float(int64_t(r.scaleSetting) - 60) / 5000.0f;
    const Compensation compensation(r);
    const RecordDistanceModel distanceModel(r);

    // Take out the device's own correction.
    const float t1 = tenthsToCelsius(apparentFromObject(wide, toTableTenths(celsius), refDev,
                                                        pctDev)) * (1.0f / k);
    const float t2 = compensation.takeOut(t1);

    // Change the conditions.
    const uint32_t refOld = tempToSignalIndex(wide, toReferenceTenths(c.oldReflectedTemp));
    const float t3 = tenthsToCelsius(apparentFromObject(
        wide, toTableTenths(t2), refOld, toEmissivityPercent(c.oldEmissivity)));
    const float t4 = distanceModel.remove(t3, c.oldDistance);
    const float t5 = distanceModel.apply(t4, c.newDistance);
    const uint32_t refNew = tempToSignalIndex(wide, toReferenceTenths(c.newReflectedTemp));
    const float t6 = tenthsToCelsius(objectFromApparent(
        wide, toTableTenths(t5), refNew, toEmissivityPercent(c.newEmissivity)));

    // Put the device's correction back.
    const float t7 = compensation.putBack(t6);
    return tenthsToCelsius(objectFromApparent(wide, toTableTenths(t7 * k), refDev, pctDev));
}

}  // namespace kmm
