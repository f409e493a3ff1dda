// Every closed-library export on the stand-in, with its faults: any model name, frame size,
// sample count, block lengths and contents (a calibration block longer than the library's
// room included), settings of any float, a library that fails to start, refuses the scene,
// declines the window, returns fixed Y16 values or throws from any function. Checked: nothing
// outside the buffers, nothing written on a refusal, no instance left open, no exception out.
#include <algorithm>
#include <cstring>
#include <string>

#include "fuzz_input.h"
#include "pyro_control.h"
#include "pyro_scene.h"

using namespace kmm::fuzz;

namespace {

// The room the stand-in offers the calibration block.
constexpr size_t kStandInRoom = size_t(1) << 20;

const char* const kFunctions[] = {
    "PYRO_Init", "PYRO_BaseControl", "PYRO_Register", "PYRO_MeasureControl",
    "PYRO_ImageControl", "PYRO_Debugger", "PYRO_SetScene", "PYRO_UpdateParamLine", "PYRO_ISP",
    "PYRO_MeasureTempMatrix", "PYRO_MeasureAnalysisTempPoint", "PYRO_CalcY16ByTemp",
    "PYRO_DimmingType", "PYRO_ISP_Y8", "PYRO_FireDRCInit", "PYRO_FireDRCSetParams",
    "PYRO_DrcFireAdaptive2DifferentMode", "PYRO_Uninit"};

// A block as the host passes it: length bytes (null when none), content from the input.
std::vector<uint8_t> block(Input& in, int32_t length) {
    return length > 0 ? in.values<uint8_t>(size_t(length)) : std::vector<uint8_t>{};
}

const void* pointer(const std::vector<uint8_t>& b) { return b.empty() ? nullptr : b.data(); }

pyro_test::Faults faultsOf(const PyroInput& p) {
    pyro_test::Faults f;
    f.initFails = p.faults & 1;
    f.setSceneResult = (p.faults & 2) ? 1 : 0;
    f.dimmingResult = (p.faults & 4) ? 1 : 0;
    if (p.faults & 8) {
        const int16_t value = p.libraryY16;
        f.calcY16 = [value](float) { return value; };
    }
    if (p.faults & 16) f.throwIn = kFunctions[p.throwIn % std::size(kFunctions)];
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const auto p = in.take<PyroInput>();
    const ModelName model(p.model);
    const int32_t w = side(p.width, 64), h = side(p.height, 64);
    const int32_t count = int32_t(pixels(w, h)) + p.extraSamples % 64;
    const auto frame = in.values<uint16_t>(count > 0 ? size_t(count) : 0);
    const auto bounded = [](int16_t length) { return int32_t(length % 1100); };
    const auto sceneA = block(in, bounded(p.sceneALength));
    const auto sceneB = block(in, bounded(p.sceneBLength));
    const auto sceneC = block(in, bounded(p.sceneCLength));
    const auto paramLine = block(in, bounded(p.paramLineLength));
    std::vector<uint8_t> calib;
    switch (p.calibration % 3) {
    case 0: calib = block(in, bounded(p.calibLength)); break;
    case 1: calib = kmm::scenes::pyroCalibrationBlock(); break;
    default: calib.assign(kStandInRoom + 1 + uint8_t(p.calibLength), 1);  // past the room
    }

    const pyro_test::Faults faults = faultsOf(p);
    pyro_test::reset(faults, false);
    const size_t n = std::max<size_t>(pixels(w, h), 1);
    std::vector<float> temperatures(n, -999.0f);
    std::vector<uint8_t> image(3 * n, 0xA5);
    float point = -999.0f, level = -999.0f, maxTemp = p.maxTemp, minTemp = p.minTemp;
    int16_t y16 = -12345;
    PYRO_MEASUREPARAM measure{p.measure[0], p.measure[1], p.measure[2], 4, 5, 6};
    const PYRO_PARAM param{uint32_t(w), uint32_t(h), frame.data(), count,
                           pointer(calib), int32_t(calib.size()), pointer(sceneB),
                           bounded(p.sceneBLength), pointer(sceneA), bounded(p.sceneALength),
                           pointer(sceneC), bounded(p.sceneCLength), pointer(paramLine),
                           bounded(p.paramLineLength)};
    const auto plain = [&](auto&& call) {
        call(w, h, frame.data(), count, param.calibData, param.calibLength, param.sceneB,
             param.sceneBLength, param.sceneA, param.sceneALength, param.sceneC,
             param.sceneCLength, param.paramLine, param.paramLineLength);
    };
    const float m1 = p.measure[0], m2 = p.measure[1], m3 = p.measure[2];
    const char* name = model.get();
    try {
        switch (p.form % 9) {
        case 0:
            plain([&](auto... a) { getNewTempWithPyro_dll(name, a..., temperatures.data(), m1, m2, m3); });
            break;
        case 1: KestrelModuleMeasureMin::tempwithpyroDll(name, temperatures.data(), param, measure); break;
        case 2:
            plain([&](auto wd, auto ht, auto fr, auto ct, auto... b) {
                getNewTemperatureWithPYROByY16(name, wd, ht, fr, ct, p.pointY16, b..., &point, m1,
                                               m2, m3, p.pointExtra);
            });
            break;
        case 3:
            plain([&](auto... a) { getY16WithPyro_dll(name, a..., p.temperature, &y16, m1, m2, m3); });
            break;
        case 4: case 5:
            plain([&](auto... a) {
                y16MappingWithPyro_dll(name, image.data(), &maxTemp, &minTemp, p.form % 9 == 4,
                                       a..., m1, m2, m3);
            });
            break;
        case 6: case 7:
            KestrelModuleMeasureMin::y16MappingWithPyro_dll(name, image.data(), &maxTemp, &minTemp,
                                                            p.form % 9 == 6, param, measure);
            break;
        default:
            plain([&](auto... a) {
                y16MappingWithPyroToRgb_dll(name, image.data(), &maxTemp, &minTemp, a..., m1, m2,
                                            m3, p.fireMode, p.drcSetIndex, p.drcParams[0],
                                            p.drcParams[1], p.drcParams[2], p.drcParams[3],
                                            &level);
            });
        }
    } catch (...) {
        check(false);  // nothing may leave an export
    }
    const bool untouched =
        std::all_of(temperatures.begin(), temperatures.end(), [](float t) { return t == -999.0f; }) &&
        std::all_of(image.begin(), image.end(), [](uint8_t b) { return b == 0xA5; }) &&
        point == -999.0f && level == -999.0f && y16 == -12345 &&
        std::memcmp(&maxTemp, &p.maxTemp, sizeof maxTemp) == 0 &&
        std::memcmp(&minTemp, &p.minTemp, sizeof minTemp) == 0;
    const bool refused = faults.initFails || faults.setSceneResult != 0 ||
                         p.calibration % 3 == 2 ||
                         (pyro_test::throwsRaised() > 0 && faults.throwIn != "PYRO_Uninit");
    if (refused) check(untouched);
    check(pyro_test::liveInstances() == 0);
    pyro_test::stop();
    return 0;
}
