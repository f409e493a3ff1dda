// Validators and parsers of the radiometry options: bad values end the command with one
// line naming the option and the range it takes.
#include "radiometry_options.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>
#include <vector>

#include "tool.h"

namespace kmm::tool {
namespace {

std::optional<double> finiteNumber(const std::string& text) {
    try {
        size_t used = 0;
        const double v = std::stod(text, &used);
        if (used == text.size() && std::isfinite(v)) return v;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

std::optional<kmm_planck_constants> planckOf(const std::string& text) {
    std::vector<double> v;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ',');) {
        const auto number = finiteNumber(part);
        if (!number) return std::nullopt;
        v.push_back(*number);
    }
    if (v.size() != 5 || !(v[0] > 0 && v[1] > 0 && v[2] > 0)) return std::nullopt;
    return kmm_planck_constants{v[0], v[1], v[2], v[3], v[4]};
}

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// A finite number from `low` (excluded when lowOpen) to `high`.
CLI::Validator finiteWithin(double low, double high, bool lowOpen) {
    const std::string range = std::string(lowOpen ? "(" : "[") + number(low) + ", " +
                              (std::isinf(high) ? "inf)" : number(high) + "]");
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            const auto v = finiteNumber(text);
            if (!v) return "'" + text + "' is not a finite number";
            if (*v < low || *v > high || (lowOpen && *v == low))
                return "'" + text + "' is outside " + range;
            return {};
        },
        "in " + range);
}

}  // namespace

CLI::Option* addPlanckOption(CLI::App* cmd, std::string& text) {
    const CLI::Validator planck(
        [](std::string& t) -> std::string {
            return planckOf(t) ? "" : "expected R1,R2,B,F,O: five finite numbers, R1, R2 and B positive";
        },
        "R1,R2,B,F,O");
    return cmd
        ->add_option("--planck", text,
                     "the camera's Planck constants R1,R2,B,F,O, raw = R1 / (R2 (exp(B / T) - F)) "
                     "- O, T in kelvin (e.g. 364058,1,1428,1,-228)")
        ->check(planck);
}

kmm_planck_constants parsePlanck(const std::string& text) {
    const auto planck = planckOf(text);
    if (!planck) throw ToolError("bad --planck '" + text + "'");
    return *planck;
}

void addSceneOptions(CLI::App* cmd, kmm_radiometric_scene& s) {
    kmm_radiometric_scene_defaults(&s);
    const char* group = "Scene (default: a black body seen through nothing)";
    const double kAbsoluteZero = -273.15, kInf = HUGE_VAL;
    auto add = [&](const char* name, double& field, const char* what, CLI::Validator check) {
        cmd->add_option(name, field, what)->check(check)->capture_default_str()->group(group);
    };
    add("-e,--emissivity", s.emissivity, "of the object", finiteWithin(0, 1, true));
    add("-d,--distance", s.distance_m, "object distance, m", finiteWithin(0, kInf, false));
    add("--humidity", s.humidity_percent, "relative humidity of the air, %",
        finiteWithin(0, 100, false));
    add("-r,--reflected", s.reflected_celsius,
        "apparent temperature of what the object reflects, degC",
        finiteWithin(kAbsoluteZero, kInf, true));
    add("--atmosphere", s.atmosphere_celsius, "temperature of the air, degC",
        finiteWithin(kAbsoluteZero, kInf, true));
    add("--window-temp", s.window_celsius, "temperature of a window or external optics, degC",
        finiteWithin(kAbsoluteZero, kInf, true));
    add("--window-trans", s.window_transmission, "its transmission (1: no window)",
        finiteWithin(0, 1, true));
}

}  // namespace kmm::tool
