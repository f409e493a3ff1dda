// `kmm calib`: Y16 values to high and low range temperatures and temperatures to Y16 through a
// user's calibration curve block, and the demo's round trip on synthetic Planck-type curves.
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "KModuleMeasure.h"
#include "calibration_curves.h"
#include "io.h"
#include "options.h"
#include "tool.h"

namespace kmm::tool {
namespace {

// A camera at a housing temperature of 25 degC, calibrated at 23 degC, halfway along the
// first axis (breakpoints 10 and 20) and a quarter of the way along the second (0 to 4),
// with unit gains and no offsets, drift, ambient, emissivity or transmission correction.
struct CalibrationSetup {
    MeasureState state{};
    ParaConfig config{};
    std::vector<float> breakpoints{10.0f, 20.0f};
    float settingLow = 0.0f, settingHigh = 4.0f, startTemp = -20.0f;
    float emissivity = 1.0f, reflected = 20.0f, transmission = 1.0f;
    int32_t curveType = 0;

    CalibrationSetup() {
        MeasureState& s = state;
        s.gain0 = s.gain1 = 1.0f;
        s.curveRefTemp = s.curveRefTempAlt = 25.0f;
        s.ambientBaseTemp = 23.0f;
        s.driftTempNow = s.driftTempLast = 25.0f;
        s.segmentIndex = 1;
        s.segmentKey = 15.0f;
        s.settingKey = 1.0f;
    }

    // The configuration as a host fills it; throws ToolError for what the setter refuses.
    ParaConfig filledConfig() const {
        if (breakpoints.size() > 10) throw ToolError("at most 10 breakpoints");
        if (curveType < 0 || curveType > 3) throw ToolError("--type must be 0, 1, 2 or 3");
        ParaConfig c = config;
        SetParaConfig_dll(&c, breakpoints.data(), uint8_t(breakpoints.size()), settingHigh,
                          settingLow, startTemp, 0.0f, emissivity, reflected, transmission,
                          uint32_t(curveType));
        return c;
    }
};

struct CurveBlock {
    std::vector<uint16_t> entries;
    int32_t length = 0;
};

CurveBlock readCurveBlock(const std::string& path) {
    const std::vector<uint8_t> bytes = readBytes(path);
    if (bytes.empty() || bytes.size() % 8 != 0 || bytes.size() / 8 > 0x7FFFFFFF)
        throw ToolError(path + ": expected four curves of one length, little-endian uint16 (" +
                        std::to_string(bytes.size()) + " bytes is not a multiple of 8)");
    CurveBlock block;
    block.length = int32_t(bytes.size() / 8);
    block.entries.resize(bytes.size() / 2);
    for (size_t i = 0; i < block.entries.size(); ++i)
        block.entries[i] = uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return block;
}

float temperatureOf(bool high, int32_t y16, const CurveBlock& b, const CalibrationSetup& setup,
                    const ParaConfig& config) {
    const auto fn = high ? GetHighTemperature_dll : GetLowTemperature_dll;
    return fn(uint16_t(y16), b.entries.data(), b.length, nullptr, TempCalcInfo{}, setup.state,
              config, setup.curveType);
}

int32_t y16Of(bool high, float celsius, const CurveBlock& b, const CalibrationSetup& setup,
              const ParaConfig& config) {
    return ReverseCalculationLsb_dll(celsius, b.entries.data(), b.length, high, 0, setup.state,
                                     config, setup.curveType);
}

void addStateOptions(CLI::App* cmd, CalibrationSetup& o) {
    MeasureState& s = o.state;
    const char* state = "Measurement state";
    const auto add = [&](const char* name, auto& field, const char* what) {
        auto* opt = cmd->add_option(name, field, what)->group(state)->capture_default_str();
        if constexpr (std::is_floating_point_v<std::remove_reference_t<decltype(field)>>)
            opt->check(finite());
    };
    add("--drift", s.driftEnable, "non-zero: reference-drift correction");
    add("--ambient", s.ambientEnable, "non-zero: ambient-temperature correction");
    add("--two-axis", s.twoAxisMode, "1: blend along both axes");
    add("--emissivity-on", s.emissivityEnable, "non-zero: emissivity correction");
    add("--transmission-on", s.transmissionEnable, "non-zero: transmission correction");
    add("--drift-slope-mode", s.driftSlopeMode, "type 1: reference slope; type 2: slope blend");
    add("--drift-blend-done", s.driftBlendDone, "type 2: slope blend already applied");
    add("--drift-y16-prev", s.driftY16Prev, "reference Y16 at the earlier drift sample (0: none)");
    add("--drift-y16-last", s.driftY16Last, "reference Y16 at the latest drift sample");
    add("--ambient-base", s.ambientBaseTemp, "ambient temperature at calibration, degC");
    add("--ref-temp", s.curveRefTemp, "curve reference (types 0, 3) and ambient now, degC");
    add("--ref-temp-alt", s.curveRefTempAlt, "curve reference, types 1, 2, degC");
    add("--drift-temp-now", s.driftTempNow, "reference temperature now, degC");
    add("--drift-temp-last", s.driftTempLast, "reference temperature at the latest sample, degC");
    add("--drift-temp-prev", s.driftTempPrev, "reference temperature at the earlier sample, degC");
    add("--segment-key", s.segmentKey, "value located among the breakpoints");
    // An 8-bit field would print and parse as a character.
    cmd->add_option_function<int>(
           "--segment-index", [&s](int v) { s.segmentIndex = uint8_t(v); },
           "breakpoint segment holding the key")
        ->check(CLI::Range(0, 255))->default_str(std::to_string(s.segmentIndex))->group(state);
    add("--setting-key", s.settingKey, "value located between the setting ends");
    add("--ambient-coef-high", s.ambientCoefHigh, "ambient coefficient, Y16 per degC, high");
    add("--ambient-coef-low", s.ambientCoefLow, "ambient coefficient, Y16 per degC, low");
    add("--gain0", s.gain0, "Y16 gain, curves 0 and 2");
    add("--offset0", s.offset0, "temperature offset, curves 0 and 2, degC");
    add("--gain1", s.gain1, "Y16 gain, curves 1 and 3");
    add("--offset1", s.offset1, "temperature offset, curves 1 and 3, degC");
    add("--slope-ref-high", s.driftSlopeRefHigh, "reference drift slope, Y16 per degC, high");
    add("--slope-ref-low", s.driftSlopeRefLow, "reference drift slope, low");
    add("--slope-high", s.driftSlopeHigh, "current drift slope, high");
    add("--slope-low", s.driftSlopeLow, "current drift slope, low");
}

void addConfigOptions(CLI::App* cmd, CalibrationSetup& o) {
    const char* config = "Curve configuration";
    const auto add = [&](const char* name, auto& field, const char* what) {
        return cmd->add_option(name, field, what)->group(config)->capture_default_str();
    };
    add("--breakpoints", o.breakpoints, "ascending first-axis breakpoints (<= 10)")
        ->delimiter(',')
        ->check(finite());
    add("--setting-low", o.settingLow, "lower end of the second axis")->check(finite());
    add("--setting-high", o.settingHigh, "upper end of the second axis")->check(finite());
    add("--start-temp", o.startTemp, "temperature of entry 0 of every curve, degC")
        ->check(celsius());
    add("--emissivity", o.emissivity, "target emissivity, fraction")->check(fraction());
    add("--reflected", o.reflected, "reflected temperature, degC")->check(celsius());
    add("--transmission", o.transmission, "transmission of the optical path")
        ->check(fraction());
}

void setupCalib(CLI::App& app) {
    static CalibrationSetup o;
    static std::string curvesPath;
    static std::vector<int32_t> y16s;
    static std::vector<float> temperatures;
    auto* cmd = app.add_subcommand(
        "calib", "Temperatures from Y16 values (GetHighTemperature_dll, GetLowTemperature_dll) "
                 "and Y16 values from temperatures (ReverseCalculationLsb_dll) through a curve "
                 "block: four curves of one length, little-endian uint16, one after another");
    cmd->add_option("curves", curvesPath, "curve block file")->required();
    cmd->add_option("-y,--y16", y16s, "raw values, comma-separated (-32768..65535)")
        ->delimiter(',')->check(CLI::Range(-32768, 65535));
    cmd->add_option("-t,--temp", temperatures, "temperatures, degC, comma-separated")
        ->delimiter(',')
        ->check(celsius());
    cmd->add_option("--type", o.curveType, "curve type 0..3")
        ->capture_default_str()
        ->check(CLI::Range(0, 3));
    addConfigOptions(cmd, o);
    addStateOptions(cmd, o);
    cmd->callback([] {
        if (y16s.empty() && temperatures.empty())
            throw ToolError("give --y16 values, --temp temperatures or both");
        const CurveBlock block = readCurveBlock(curvesPath);
        const ParaConfig config = o.filledConfig();
        std::fprintf(messages(), "%s: 4 curves of %d entries, type %d\n", curvesPath.c_str(), block.length,
                    o.curveType);
        for (int32_t y : y16s)
            std::fprintf(messages(), "y16 %6d -> high %8.2f degC, low %8.2f degC\n", y,
                        double(temperatureOf(true, y, block, o, config)),
                        double(temperatureOf(false, y, block, o, config)));
        for (float t : temperatures)
            std::fprintf(messages(), "%8.2f degC -> y16 high %6d, low %6d\n", double(t),
                        y16Of(true, t, block, o, config), y16Of(false, t, block, o, config));
    });
}

// Type 0 with drift and ambient corrections on: its reverse undoes exactly those, so the
// round trip comes back to within a curve step or two; the emissivity column shows the optical
// correction and its inversion. The first axis only: along the second, temperatures (forward)
// and Y16 values (reverse) of curves with different gains blend to slightly different points.
void demoCalibration(DemoContext& ctx) {
    const scenes::CalibrationCurves curves = scenes::syntheticCalibrationCurves();
    CurveBlock block{curves.block, curves.length};
    CalibrationSetup setup;
    MeasureState& s = setup.state;
    s.driftEnable = s.ambientEnable = 1;
    s.driftTempNow = 25.3f;
    s.driftSlopeRefHigh = 4.0f, s.driftSlopeRefLow = 3.0f;
    s.ambientCoefHigh = 12.0f, s.ambientCoefLow = 4.0f;
    char line[200];
    std::snprintf(line, sizeof line,
                  "curves: 4 x %d Planck-type entries, %.1f .. %.1f degC; reference 25 degC,\n"
                  "segment key 15 in 10..20, curve type 0, drift and ambient corrections on\n"
                  "(the high and low range coefficients differ)\n",
                  curves.length, double(curves.startTemp),
                  double(curves.startTemp) + (curves.length - 1) / 10.0);
    ctx.summary << line;
    std::snprintf(line, sizeof line, "%8s %11s %8s %11s %8s %13s %8s\n", "y16", "high degC",
                  "-> y16", "low degC", "-> y16", "high, e 0.95", "-> y16");
    ctx.summary << line;
    const ParaConfig plain = setup.filledConfig();
    setup.emissivity = 0.95f;
    s.emissivityEnable = 1;
    const ParaConfig grey = setup.filledConfig();
    for (int32_t y : {-1500, -500, 0, 500, 2000, 5000, 9000}) {
        s.emissivityEnable = 0;
        const float hi = temperatureOf(true, y, block, setup, plain);
        const float lo = temperatureOf(false, y, block, setup, plain);
        const int32_t hiBack = y16Of(true, hi, block, setup, plain);
        const int32_t loBack = y16Of(false, lo, block, setup, plain);
        s.emissivityEnable = 1;
        const float object = temperatureOf(true, y, block, setup, grey);
        const int32_t objectBack = y16Of(true, object, block, setup, grey);
        std::snprintf(line, sizeof line, "%8d %11.1f %8d %11.1f %8d %13.1f %8d\n", y, double(hi),
                      hiBack, double(lo), loBack, double(object), objectBack);
        ctx.summary << line;
    }
}

const bool registered =
    registerCommand(setupCalib) &&
    registerDemoSection({20, "Calibration-curve temperatures", demoCalibration});

}  // namespace
}  // namespace kmm::tool
