// Every allocating export outside the closed library, with each of its allocations failing in
// turn: the call returns (no exception reaches the host) and writes nothing at all.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "KModuleMeasure.h"
#include "KModuleMeasureRadiometry.h"
#include "failing_allocation.h"

namespace kmm {
namespace {

constexpr int32_t kWidth = 37, kHeight = 23;
constexpr size_t kPixels = size_t(kWidth) * kHeight;

// The outputs of one call, filled with a pattern no export writes by chance.
struct Outputs {
    std::vector<uint8_t> grey = std::vector<uint8_t>(kPixels, 0xA5);
    std::vector<int16_t> wide = std::vector<int16_t>(kPixels * 9, -12345);
    std::vector<float> celsius = std::vector<float>(kPixels, -999.0f);
    std::vector<uint16_t> raw = std::vector<uint16_t>(kPixels, 0xBEEF);
    int16_t highY16 = 111, lowY16 = 11;
    float highC = 111.0f, lowC = 11.0f;

    bool operator==(const Outputs&) const = default;
};

struct Inputs {
    std::vector<int16_t> y16;
    std::vector<uint16_t> raw;
    std::vector<float> celsius;
    Inputs() {
        for (size_t i = 0; i < kPixels; ++i) {
            y16.push_back(int16_t(7000 + (i * 37) % 2500));
            raw.push_back(uint16_t(y16.back()) * 2u);
            celsius.push_back(15.0f + float((i * 13) % 400) / 10.0f);
        }
    }
};

using Call = std::function<void(const Inputs&, Outputs&)>;

kmm_planck_constants planck() { return {364058.0, 1.0, 1428.0, 1.0, -228.0}; }
kmm_radiometric_scene scene() {
    kmm_radiometric_scene s;
    kmm_radiometric_scene_defaults(&s);
    return s;
}

const std::pair<const char*, Call> kExports[] = {
    {"Y16Mapping_dll, plateau AGC", [](const Inputs& in, Outputs& o) {
         Y16Mapping_dll("DV17", in.y16.data(), o.grey.data(), kWidth, kHeight, &o.highY16, &o.lowY16, true);
     }},
    {"Y16Mapping_dll, half-resolution AGC", [](const Inputs& in, Outputs& o) {
         Y16Mapping_dll("DV13", in.y16.data(), o.grey.data(), kWidth, kHeight, &o.highY16, &o.lowY16, true);
     }},
    {"Y16MappingAD_dll", [](const Inputs& in, Outputs& o) {
         Y16MappingAD_dll(in.y16.data(), o.grey.data(), 200, 128, kWidth, kHeight, &o.highY16, &o.lowY16, 1);
     }},
    {"image_resize_dll", [](const Inputs& in, Outputs& o) {
         image_resize_dll(o.wide.data(), in.y16.data(), kHeight, kWidth, 3);
     }},
    {"kmm_temperatures_to_raw_frame", [](const Inputs& in, Outputs& o) {
         const auto p = planck();
         const auto s = scene();
         kmm_temperatures_to_raw_frame(&p, &s, in.celsius.data(), kWidth, kHeight, o.raw.data());
     }},
};

// allocates: whether the call takes memory at all (the manual windows of the pipeline family
// and of the offset codes work a strip at a time through a buffer on the stack).
void expectNothingWrittenOnFailure(const std::string& name, const Call& call, bool allocates = true) {
    const Inputs in;
    int failures = 0;
    for (bool reached = true; reached; ++failures) {
        SCOPED_TRACE(name + ", allocation " + std::to_string(failures));
        Outputs out;
        {
            test::AllocationFailure failure(failures);
            EXPECT_NO_THROW(call(in, out));
            reached = failure.reached();
        }
        if (reached) { EXPECT_TRUE(out == Outputs{}); }
    }
    EXPECT_EQ(failures >= 2, allocates) << name << (allocates ? " allocates nothing" : " allocates");
}

TEST(AllocationFailure, NothingWrittenAndNoThrow) {
    for (const auto& [name, call] : kExports) expectNothingWrittenOnFailure(name, call);
    for (const char* model : {"DV01", "DV07", "DV11"})
        for (bool autoRange : {true, false})
            expectNothingWrittenOnFailure(
                std::string("imageMapping_dll ") + model + (autoRange ? " automatic" : " manual"),
                [=](const Inputs& in, Outputs& o) {
                    imageMapping_dll(model, 150.0f, in.celsius.data(), o.grey.data(), kWidth,
                                     kHeight, &o.highC, &o.lowC, autoRange);
                },
                autoRange || std::string(model) == "DV11");
}

}  // namespace
}  // namespace kmm
