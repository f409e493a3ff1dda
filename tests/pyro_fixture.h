// Shared by the closed-library tests: the caller's inputs as one editable set, every export
// called the way a host calls it into one set of guarded outputs, the stand-in's journal as
// compact lines, and a fixture resetting the stand-in.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "KModuleMeasure.h"
#include "guarded_buffer.h"
#include "pyro/pyro_api.h"
#include "pyro_control.h"
#include "pyro_scene.h"

namespace kmm {

// Offsets of the parameter-line fields the tests set.
enum ParamLineField : size_t {
    kReadingField = 172, kFirstBreakField = 792, kSecondBreakField = 794, kBaseOffsetField = 796,
    kSlope1Field = 798, kSlope2Field = 804, kSlope3Field = 810, kBaseLevelField = 818, kReferenceField = 820,
};

// A 4 x 3 frame with every block present and a parameter line whose offset is 40 in range
// mode 1 (reading and reference equal, no break points crossed: the base offset alone).
struct PyroInputs {
    int width = 4;
    int height = 3;
    std::vector<uint16_t> frame = std::vector<uint16_t>(12, 0);
    std::vector<uint8_t> calib = scenes::pyroCalibrationBlock();
    std::vector<uint8_t> sceneA = scenes::pyroSceneBlock(0xA0, 32);
    std::vector<uint8_t> sceneB = scenes::pyroSceneBlock(0xB0, 24);
    std::vector<uint8_t> sceneC = scenes::pyroSceneBlock(0xC0, 16);
    std::vector<uint8_t> paramLine = withOffset(1, 40);
    bool withSceneC = true;

    PyroInputs() {
        for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint16_t(12000 + 100 * i);
    }

    // Range mode and a constant offset: R = Q = 2500 with both break points at 0.
    static std::vector<uint8_t> withOffset(int rangeMode, int16_t offset) {
        return scenes::pyroParamLine(rangeMode, {{kReadingField, 2500}, {kReferenceField, 2500},
                                                 {kBaseOffsetField, offset}, {kBaseLevelField, 77}});
    }

    PYRO_PARAM param() const {
        return {uint32_t(width), uint32_t(height), frame.data(), int32_t(frame.size()),
                calib.data(), int32_t(calib.size()), sceneB.data(), int32_t(sceneB.size()),
                sceneA.data(), int32_t(sceneA.size()), withSceneC ? sceneC.data() : nullptr,
                int32_t(sceneC.size()), paramLine.empty() ? nullptr : paramLine.data(),
                int32_t(paramLine.size())};
    }
};

// Every closed-library export; the record forms take a PYRO_PARAM and PYRO_MEASUREPARAM.
enum class Export {
    Matrix, MatrixRecord, Point, Y16, GreyAuto, GreyManual, GreyRecordAuto, GreyRecordManual, Fire
};
inline const Export kEveryExport[] = {Export::Matrix, Export::MatrixRecord, Export::Point, Export::Y16,
    Export::GreyAuto, Export::GreyManual, Export::GreyRecordAuto, Export::GreyRecordManual, Export::Fire};

inline const char* nameOf(Export e) {
    return std::array{"matrix", "matrix record", "point", "Y16", "grey auto", "grey manual",
                      "grey record auto", "grey record manual", "fire"}[size_t(e)];
}

// The arguments besides the frame and blocks.
struct Request {
    float measure1 = 0.95f, measure2 = 2.0f, measure3 = 23.0f;
    uint16_t pointY16 = 4321;
    float pointExtra = 7.0f;
    float temperature = 36.5f;  // of the Y16 export
    int fireMode = 4, drcSetIndex = -1;
    int drcParams[4] = {70000, 2, 3, 99};
};

// Every output an export can write, pre-filled with values no export computes; the manual
// grey window is 60.25 to 20.5 degC.
struct PyroOutputs {
    static constexpr float kUnset = -999.0f;
    static constexpr int16_t kUnsetY16 = -12345;
    static constexpr uint8_t kUnsetByte = 0xA5;
    explicit PyroOutputs(size_t pixels = 12) : matrix(pixels, kUnset), image(3 * pixels, kUnsetByte) {}
    GuardedBuffer<float> matrix;
    GuardedBuffer<uint8_t> image;  // grey: a byte a pixel, fire: three (RGB)
    float point = kUnset, level = kUnset, maxTemp = 60.25f, minTemp = 20.5f;
    int16_t y16 = kUnsetY16;
    const void* nulled = nullptr;  // this output is handed over as a null pointer

    template <class T> T* use(T* output) const {
        return output == nulled ? nullptr : output;
    }
    std::vector<const void*> all() const {
        return {matrix.data(), image.data(), &point, &level, &maxTemp, &minTemp, &y16};
    }

    bool imageDrawn() const {
        return image.contents() != std::vector<uint8_t>(image.size(), kUnsetByte);
    }
    bool rangeWritten() const { return maxTemp != 60.25f || minTemp != 20.5f; }
    bool untouched() const {
        return matrix.contents() == std::vector<float>(matrix.size(), kUnset) && !imageDrawn() &&
               point == kUnset && level == kUnset && !rangeWritten() && y16 == kUnsetY16 &&
               matrix.canariesIntact() && image.canariesIntact();
    }
};

inline void callExport(Export e, const char* model, const PYRO_PARAM& p, PyroOutputs& out,
                       const Request& r = {}) {
    PYRO_MEASUREPARAM m{r.measure1, r.measure2, r.measure3, 4, 5, 6};
    const int w = int(p.width), h = int(p.height);
    float *matrix = out.use(out.matrix.data()), *maxTemp = out.use(&out.maxTemp),
          *minTemp = out.use(&out.minTemp);
    uint8_t* image = out.use(out.image.data());
    switch (e) {
    case Export::Matrix:
        return getNewTempWithPyro_dll(model, w, h, p.y16Data, p.y16Count, p.calibData, p.calibLength,
            p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC, p.sceneCLength, p.paramLine,
            p.paramLineLength, matrix, r.measure1, r.measure2, r.measure3);
    case Export::MatrixRecord:
        return KestrelModuleMeasureMin::tempwithpyroDll(model, matrix, p, m);
    case Export::Point:
        return getNewTemperatureWithPYROByY16(model, w, h, p.y16Data, p.y16Count, r.pointY16, p.calibData,
            p.calibLength, p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC, p.sceneCLength,
            p.paramLine, p.paramLineLength, out.use(&out.point), r.measure1, r.measure2, r.measure3,
            r.pointExtra);
    case Export::Y16:
        return getY16WithPyro_dll(model, w, h, p.y16Data, p.y16Count, p.calibData, p.calibLength, p.sceneB,
            p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC, p.sceneCLength, p.paramLine,
            p.paramLineLength, r.temperature, out.use(&out.y16), r.measure1, r.measure2, r.measure3);
    case Export::GreyAuto:
    case Export::GreyManual:
        return y16MappingWithPyro_dll(model, image, maxTemp, minTemp, e == Export::GreyAuto, w, h,
            p.y16Data, p.y16Count, p.calibData, p.calibLength, p.sceneB, p.sceneBLength, p.sceneA,
            p.sceneALength, p.sceneC, p.sceneCLength, p.paramLine, p.paramLineLength, r.measure1,
            r.measure2, r.measure3);
    case Export::GreyRecordAuto:
    case Export::GreyRecordManual:
        return KestrelModuleMeasureMin::y16MappingWithPyro_dll(model, image, maxTemp, minTemp,
                                                               e == Export::GreyRecordAuto, p, m);
    case Export::Fire:
        return y16MappingWithPyroToRgb_dll(model, image, maxTemp, minTemp, w, h, p.y16Data, p.y16Count,
            p.calibData, p.calibLength, p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC,
            p.sceneCLength, p.paramLine, p.paramLineLength, r.measure1, r.measure2, r.measure3,
            r.fireMode, r.drcSetIndex, r.drcParams[0], r.drcParams[1], r.drcParams[2], r.drcParams[3],
            out.use(&out.level));
    }
}

// "PYRO_MeasureControl 16: 11.5 110": the function, a control's selector, the scalars seen.
inline std::string describe(const pyro_test::Call& call) {
    std::string line = call.function;
    if (call.selector >= 0) line += ' ' + std::to_string(call.selector) + ':';
    for (double v : call.values) {
        char text[32];
        std::snprintf(text, sizeof text, " %g", v);
        line += text;
    }
    return line;
}

using Lines = std::vector<std::string>;

inline Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The journal line of a control call: control("PYRO_MeasureControl", PYRO_MEASURE_OPEN_A, 1).
inline std::string control(const char* function, PyroSelector selector,
                           std::initializer_list<double> values) {
    pyro_test::Call call;
    call.function = function, call.selector = selector, call.values = values;
    return describe(call);
}
inline std::string base(PyroSelector s, std::initializer_list<double> v) { return control("PYRO_BaseControl", s, v); }
inline std::string measure(PyroSelector s, std::initializer_list<double> v) { return control("PYRO_MeasureControl", s, v); }

// The image preset, sent before every image and at fire set-up.
inline const Lines kImagePreset = [] {
    Lines lines;
    for (auto [selector, value] : std::initializer_list<std::pair<PyroSelector, double>>{
             {PYRO_IMAGE_GREY_MAX, 255}, {PYRO_IMAGE_PRESET_A, 100}, {PYRO_IMAGE_FLAG_A, 1},
             {PYRO_IMAGE_FLAG_B, 1}, {PYRO_IMAGE_PRESET_B, 256}, {PYRO_IMAGE_PRESET_C, 1},
             {PYRO_IMAGE_PRESET_D, 1}, {PYRO_IMAGE_PRESET_E, 20}, {PYRO_IMAGE_PRESET_F, 180},
             {PYRO_IMAGE_PRESET_G, 145}, {PYRO_IMAGE_PRESET_H, 32}, {PYRO_IMAGE_PRESET_I, 7}})
        lines.push_back(control("PYRO_ImageControl", selector, {value}));
    return lines;
}();

inline Lines journalLines() {
    Lines lines;
    for (const auto& call : pyro_test::journal()) lines.push_back(describe(call));
    return lines;
}

// The journal from the operation's first call on (after the instance set-up).
inline Lines operationLines() {
    const Lines lines = journalLines();
    return {std::find(lines.begin(), lines.end(), base(PYRO_BASE_OUTPUT, {0})), lines.end()};
}

inline std::vector<const pyro_test::Call*> callsTo(const std::string& function) {
    std::vector<const pyro_test::Call*> calls;
    for (const auto& call : pyro_test::journal())
        if (call.function == function) calls.push_back(&call);
    return calls;
}

// Faults with one field set.
template <class Setter>
pyro_test::Faults faultsWith(Setter set) {
    pyro_test::Faults f;
    set(f);
    return f;
}

// The library's Y16 of every temperature is library(degC).
inline pyro_test::Faults fixedY16(int16_t (*library)(float)) {
    return faultsWith([=](auto& f) { f.calcY16 = library; });
}

class PyroTest : public ::testing::Test {
protected:
    void SetUp() override { pyro_test::reset(); }
    void TearDown() override {
        EXPECT_EQ(pyro_test::liveInstances(), 0) << "an instance was left open";
        pyro_test::stop();
    }
};

}  // namespace kmm
