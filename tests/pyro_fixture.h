// Shared by the closed-library tests: the caller's inputs as one editable set, the journal
// of the stand-in read back as compact lines, and a fixture that resets the stand-in.
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
        return {uint32_t(width),
                uint32_t(height),
                frame.data(),
                int32_t(frame.size()),
                calib.data(),
                int32_t(calib.size()),
                sceneB.data(),
                int32_t(sceneB.size()),
                sceneA.data(),
                int32_t(sceneA.size()),
                withSceneC ? sceneC.data() : nullptr,
                int32_t(sceneC.size()),
                paramLine.empty() ? nullptr : paramLine.data(),
                int32_t(paramLine.size())};
    }
};

// "PYRO_MeasureControl 16: 11.5 110" and so on: the function, the selector of a control, the
// scalar values the stand-in saw.
inline std::string describe(const pyro_test::Call& call) {
    std::string line = call.function;
    if (call.selector >= 0) {
        line += ' ';
        line += std::to_string(call.selector);
        line += ':';
    }
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
