// The stand-in's instance functions: opening and closing, the controls, registration with
// the calibration request, scene and parameter line, ISP and the temperature measurements.
#include <algorithm>
#include <memory>

#include "standin.h"

using pyro_test::Call;
using namespace pyro_standin;

namespace {

// Room offered to the data-request callback; the stand-in's own blocks need under 100 bytes.
constexpr size_t kCalibrationCapacity = size_t(1) << 20;

std::vector<uint16_t> journalSamples(const uint16_t* frame, int64_t count) {
    if (!journaling() || frame == nullptr || count <= 0) return {};
    return {frame, frame + count};
}

int32_t control(const char* function, PyroHandle h, int32_t selector, void* value,
                std::vector<double>& decoded) {
    decoded = decodeControl(function, selector, value);
    const int32_t result = isLive(h) && value != nullptr ? 0 : -1;
    record({.function = function, .selector = selector, .values = decoded, .address = value,
            .handle = h, .result = result});
    return result;
}

}  // namespace

extern "C" {

PyroHandle PYRO_Init(int32_t kind, int32_t mode, int32_t width, int32_t height,
                     int32_t option) {
    const LibraryCall scope = enter("PYRO_Init");
    PyroHandle h = nullptr;
    if (!faults().initFails && width > 0 && height > 0) h = openInstance(width, height);
    record({.function = "PYRO_Init",
            .values = {double(kind), double(mode), double(width), double(height), double(option)},
            .handle = h});
    return h;
}

int32_t PYRO_BaseControl(PyroHandle h, int32_t selector, void* value) {
    const LibraryCall scope = enter("PYRO_BaseControl");
    std::vector<double> v;
    const int32_t result = control("PYRO_BaseControl", h, selector, value, v);
    if (result == 0 && selector == PYRO_BASE_OUTPUT) h->output = int32_t(v[0]);
    return result;
}

int32_t PYRO_MeasureControl(PyroHandle h, int32_t selector, void* value) {
    const LibraryCall scope = enter("PYRO_MeasureControl");
    std::vector<double> v;
    const int32_t result = control("PYRO_MeasureControl", h, selector, value, v);
    if (result != 0) return result;
    switch (selector) {
        case PYRO_MEASURE_SETTING2: h->conditions.distance = v[0]; break;
        case PYRO_MEASURE_SETTING1: h->conditions.emissivity = v[0]; break;
        case PYRO_MEASURE_SETTING3: h->conditions.reflected = v[0]; break;
        case PYRO_MEASURE_RESPONSE: h->range = int32_t(v[0]); break;
        default: break;
    }
    return result;
}

int32_t PYRO_ImageControl(PyroHandle h, int32_t selector, void* value) {
    const LibraryCall scope = enter("PYRO_ImageControl");
    std::vector<double> v;
    const int32_t result = control("PYRO_ImageControl", h, selector, value, v);
    if (result == 0 && selector == PYRO_IMAGE_GREY_MAX) h->greyMax = int32_t(v[0]);
    return result;
}

int32_t PYRO_Debugger(PyroHandle h, int32_t selector, void* value) {
    const LibraryCall scope = enter("PYRO_Debugger");
    std::vector<double> v;
    return control("PYRO_Debugger", h, selector, value, v);
}

int32_t PYRO_Register(PyroHandle h, const PYRO_REGISTRATION* registration) {
    const LibraryCall scope = enter("PYRO_Register");
    Call call{.function = "PYRO_Register", .handle = h, .result = -1};
    if (isLive(h) && registration != nullptr && registration->dataRequest != nullptr) {
        const auto& reserved = registration->reserved;
        const bool reservedZero =
            std::all_of(std::begin(reserved), std::end(reserved), [](uint8_t b) { return b == 0; });
        std::unique_ptr<uint8_t[]> block(new uint8_t[kCalibrationCapacity]);
        uint32_t length = 0;
        const int32_t served = registration->dataRequest(
            0, faults().requestWithoutRoom ? nullptr : block.get(), int32_t(kCalibrationCapacity),
            faults().requestWithoutLength ? nullptr : &length, registration->user);
        h->calibration = served == 0 ? parseCalibration(block.get(), std::min<size_t>(
                                                                         length, kCalibrationCapacity))
                                     : Calibration{};
        call.values = {double(length), reservedZero ? 1.0 : 0.0};
        call.address = registration->user;
        call.result = served;
    }
    record(call);
    return call.result == 0 ? 0 : -1;
}

int32_t PYRO_SetScene(PyroHandle h, const PYRO_SCENE* scene) {
    const LibraryCall scope = enter("PYRO_SetScene");
    Call call{.function = "PYRO_SetScene", .handle = h, .result = -1};
    if (scene != nullptr) {
        for (const auto& b : scene->blocks) call.values.push_back(b.length);
        for (const auto& b : scene->blocks) call.values.push_back(b.data != nullptr ? 1.0 : 0.0);
        const auto& a = scene->blocks[0];
        const auto& bb = scene->blocks[1];
        const bool required = a.data && a.length > 0 && bb.data && bb.length > 0;
        call.result = !isLive(h) ? -1 : faults().setSceneResult != 0 ? faults().setSceneResult
                                   : required                    ? 0
                                                                 : -2;
    }
    record(call);
    return int32_t(call.result);
}

int32_t PYRO_UpdateParamLine(PyroHandle h, const void* paramLine, int32_t length) {
    const LibraryCall scope = enter("PYRO_UpdateParamLine");
    const int32_t result = isLive(h) ? 0 : -1;
    record({.function = "PYRO_UpdateParamLine", .values = {double(length)}, .address = paramLine,
            .handle = h, .result = result});
    return result;
}

int32_t PYRO_ISP(PyroHandle h, uint16_t* frame, int32_t byteLength, PYRO_ISP_RESULT* ispResult) {
    const LibraryCall scope = enter("PYRO_ISP");
    const int64_t count = byteLength / 2;
    const int32_t result = isLive(h) && frame != nullptr && count > 0 ? 0 : -1;
    if (result == 0 && ispResult != nullptr) {
        // The record keeps the frame's extremes; nothing on our side reads it.
        const auto [lo, hi] = std::minmax_element(frame, frame + count);
        *ispResult = {};
        std::copy_n(reinterpret_cast<const uint8_t*>(&*lo), 2, ispResult->bytes);
        std::copy_n(reinterpret_cast<const uint8_t*>(&*hi), 2, ispResult->bytes + 2);
    }
    record({.function = "PYRO_ISP", .values = {double(byteLength)}, .handle = h,
            .result = result, .samples = journalSamples(frame, count)});
    return result;
}

int32_t PYRO_MeasureTempMatrix(PyroHandle h, uint16_t* frame, int32_t width, int32_t height,
                               int32_t left, int32_t top, int32_t areaWidth, int32_t areaHeight,
                               float setting, int32_t flags, float* temperatures, int32_t count) {
    const LibraryCall scope = enter("PYRO_MeasureTempMatrix");
    const int64_t pixels = int64_t(width) * height;
    const bool valid = isLive(h) && frame != nullptr && temperatures != nullptr && width > 0 &&
                       height > 0 && count >= pixels && left >= 0 && top >= 0 && areaWidth >= 0 &&
                       areaHeight >= 0 && int64_t(left) + areaWidth <= width &&
                       int64_t(top) + areaHeight <= height;
    if (valid) {
        Conditions cond = h->conditions;
        cond.distance = setting;
        for (int64_t y = top; y < int64_t(top) + areaHeight; ++y)
            for (int64_t x = left; x < int64_t(left) + areaWidth; ++x) {
                const int64_t i = y * width + x;
                temperatures[i] =
                    float(temperatureFromY16(h->calibration, h->range, cond, frame[i]));
            }
    }
    record({.function = "PYRO_MeasureTempMatrix",
            .values = {double(width), double(height), double(left), double(top),
                       double(areaWidth), double(areaHeight), double(setting), double(flags),
                       double(count)},
            .handle = h, .result = valid ? 0 : -1,
            .samples = journalSamples(frame, valid ? pixels : 0)});
    return valid ? 0 : -1;
}

int32_t PYRO_MeasureAnalysisTempPoint(PyroHandle h, uint16_t y16,
                                      const PYRO_POINT_SETTINGS* settings, float* temperature) {
    const LibraryCall scope = enter("PYRO_MeasureAnalysisTempPoint");
    const bool valid = isLive(h) && settings != nullptr && temperature != nullptr;
    Call call{.function = "PYRO_MeasureAnalysisTempPoint", .values = {double(y16)}, .handle = h,
              .result = valid ? 0 : -1};
    if (valid) {
        const auto& s = settings->values;
        call.values.insert(call.values.end(), std::begin(s), std::end(s));
        const Conditions cond{s[0], s[1], s[3]};
        *temperature = float(temperatureFromY16(h->calibration, h->range, cond, y16));
    }
    record(call);
    return int32_t(call.result);
}

int32_t PYRO_CalcY16ByTemp(PyroHandle h, float temperature, int16_t* y16) {
    const LibraryCall scope = enter("PYRO_CalcY16ByTemp");
    const bool valid = isLive(h) && y16 != nullptr;
    Call call{.function = "PYRO_CalcY16ByTemp", .values = {double(temperature)}, .handle = h,
              .result = valid ? 0 : -1};
    if (valid) {
        // Y16 travels in a signed 16-bit slot: values above 32767 keep their bits.
        *y16 = faults().calcY16 ? faults().calcY16(temperature)
                                : int16_t(y16FromTemperature(h->calibration, h->range,
                                                             h->conditions, temperature));
        call.values.push_back(*y16);
    }
    record(call);
    return int32_t(call.result);
}

int32_t PYRO_Uninit(PyroHandle h) {
    const int32_t result = isLive(h) ? 0 : -1;
    // Closed before the fault point: an injected throw leaves nothing open.
    closeInstance(h);
    const LibraryCall scope = enter("PYRO_Uninit");
    record({.function = "PYRO_Uninit", .handle = h, .result = result});
    return result;
}

}  // extern "C"
