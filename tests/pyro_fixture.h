// Shared by the closed-library tests: the caller's inputs as one editable set, the export
// calls they feed, the stand-in's journal as compact lines, and a fixture resetting the stand-in.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "KModuleMeasure.h"
#include "pyro_control.h"
#include "pyro_scene.h"

namespace kmm {

// Offsets of the parameter-line fields the tests set.
enum ParamLineField : size_t {
    kReadingField = 172,
    kFirstBreakField = 792,
    kSecondBreakField = 794,
    kBaseOffsetField = 796,
    kSlope1Field = 798,
    kSlope2Field = 804,
    kSlope3Field = 810,
    kBaseLevelField = 818,
    kReferenceField = 820,
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
        return scenes::pyroParamLine(rangeMode, {{kReadingField, 2500},
                                                 {kReferenceField, 2500},
                                                 {kBaseOffsetField, offset},
                                                 {kBaseLevelField, 77}});
    }

    PYRO_PARAM param() const {
        return {uint32_t(width), uint32_t(height), frame.data(), int32_t(frame.size()),
                calib.data(), int32_t(calib.size()), sceneB.data(), int32_t(sceneB.size()),
                sceneA.data(), int32_t(sceneA.size()), withSceneC ? sceneC.data() : nullptr,
                int32_t(sceneC.size()), paramLine.empty() ? nullptr : paramLine.data(),
                int32_t(paramLine.size())};
    }
};

// The exports on a whole parameter record (which tests may spoil) or on the inputs.
inline void measureMatrix(const char* model, const PYRO_PARAM& p, float* out, float m1 = 0.95f,
                          float m2 = 2.0f, float m3 = 23.0f) {
    getNewTempWithPyro_dll(model, int(p.width), int(p.height), p.y16Data, p.y16Count,
                           p.calibData, p.calibLength, p.sceneB, p.sceneBLength, p.sceneA,
                           p.sceneALength, p.sceneC, p.sceneCLength, p.paramLine,
                           p.paramLineLength, out, m1, m2, m3);
}

inline void measurePoint(const char* model, const PYRO_PARAM& p, uint16_t y16, float* out,
                         float extra = 7.0f, float m1 = 0.95f, float m2 = 2.0f, float m3 = 23.0f) {
    getNewTemperatureWithPYROByY16(model, int(p.width), int(p.height), p.y16Data, p.y16Count,
                                   y16, p.calibData, p.calibLength, p.sceneB, p.sceneBLength,
                                   p.sceneA, p.sceneALength, p.sceneC, p.sceneCLength,
                                   p.paramLine, p.paramLineLength, out, m1, m2, m3, extra);
}

// Y16 of a temperature through the export; -12345 where the call leaves the output alone.
inline int16_t y16Plain(const char* model, const PyroInputs& in, float temperature = 36.5f) {
    const PYRO_PARAM p = in.param();
    int16_t out = -12345;
    getY16WithPyro_dll(model, in.width, in.height, p.y16Data, p.y16Count, p.calibData,
                       p.calibLength, p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength,
                       p.sceneC, p.sceneCLength, p.paramLine, p.paramLineLength, temperature,
                       &out, 0.95f, 2.0f, 23.0f);
    return out;
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

inline std::vector<std::string> journalLines() {
    std::vector<std::string> lines;
    for (const auto& call : pyro_test::journal()) lines.push_back(describe(call));
    return lines;
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

class PyroTest : public ::testing::Test {
protected:
    void SetUp() override { pyro_test::reset(); }
    void TearDown() override {
        EXPECT_EQ(pyro_test::liveInstances(), 0) << "an instance was left open";
        pyro_test::stop();
    }
};

}  // namespace kmm
