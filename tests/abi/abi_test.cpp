// The library as a host sees it: the exports resolve by their plain names through dlopen,
// and C and C++ agree on every record layout.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "KModuleMeasure.h"
#include "KModuleMeasureRadiometry.h"
#include "KModuleMeasureStatus.h"
#include "header_layout.h"

#define FIELD(rec, field) {#rec "." #field, offsetof(rec, field)}

namespace {

TEST(Abi, CAndCppAgreeOnRecordLayout) {
    const std::map<std::string, size_t> cpp = {
        {"sizeof DeviceCorrectionParam", sizeof(DeviceCorrectionParam)},
        {"sizeof MeasureState", sizeof(MeasureState)},
        {"sizeof ParaConfig", sizeof(ParaConfig)},
        {"sizeof TempCalcInfo", sizeof(TempCalcInfo)},
        {"sizeof PYRO_PARAM", sizeof(PYRO_PARAM)},
        {"sizeof PYRO_MEASUREPARAM", sizeof(PYRO_MEASUREPARAM)},
        FIELD(DeviceCorrectionParam, compMode),
        FIELD(DeviceCorrectionParam, distConst),
        FIELD(MeasureState, driftY16Last),
        FIELD(MeasureState, ambientBaseTemp),
        FIELD(MeasureState, driftSlopeLow),
        FIELD(MeasureState, segmentIndex),
        FIELD(MeasureState, settingKey),
        FIELD(ParaConfig, breakpoints),
        FIELD(ParaConfig, formatTag),
        FIELD(ParaConfig, emissivity),
        FIELD(ParaConfig, extraParam),
        FIELD(PYRO_PARAM, y16Count),
        FIELD(PYRO_PARAM, sceneB),
        FIELD(PYRO_PARAM, sceneA),
        FIELD(PYRO_PARAM, paramLineLength),
        FIELD(PYRO_MEASUREPARAM, measure2),
        {"sizeof kmm_planck_constants", sizeof(kmm_planck_constants)},
        {"sizeof kmm_radiometric_scene", sizeof(kmm_radiometric_scene)},
        FIELD(kmm_planck_constants, o),
        FIELD(kmm_radiometric_scene, window_transmission),
        FIELD(kmm_radiometric_scene, atm_beta2),
    };
    ASSERT_EQ(kmmCLayoutCount, cpp.size());
    for (size_t i = 0; i < kmmCLayoutCount; ++i) {
        SCOPED_TRACE(kmmCLayout[i].what);
        ASSERT_TRUE(cpp.count(kmmCLayout[i].what));
        EXPECT_EQ(kmmCLayout[i].value, cpp.at(kmmCLayout[i].what));
    }
}

struct Library {
    void* handle = dlopen(KMM_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ~Library() {
        if (handle) dlclose(handle);
    }
};

TEST(Abi, ExportsResolveByPlainName) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    for (const char* name : {"GetHighTemperature_dll", "GetLowTemperature_dll", "SetParaConfig_dll",
                             "ReverseCalculationLsb_dll",
                             "getNewTemperature_dll", "imageMapping_dll", "Y16Mapping_dll",
                             "Y16MappingAD_dll", "image_resize_dll",
                             "getNewTempWithPyro_dll", "getNewTemperatureWithPYROByY16",
                             "getY16WithPyro_dll", "y16MappingWithPyro_dll",
                             "y16MappingWithPyroToRgb_dll", "kmm_status_text", "kmm_version",
                             "kmm_radiometric_scene_defaults", "kmm_raw_frame_to_temperatures",
                             "kmm_temperatures_to_raw_frame", "kmm_raw_to_temperature",
                             "kmm_temperature_to_raw"}) {
        EXPECT_NE(dlsym(lib.handle, name), nullptr) << name;
    }
}

TEST(Abi, CorrectionThroughDlsymMatchesUnlistedModelRule) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    auto fn = reinterpret_cast<decltype(&getNewTemperature_dll)>(
        dlsym(lib.handle, "getNewTemperature_dll"));
    ASSERT_NE(fn, nullptr);
    float result = 0.0f;
    fn("not-a-model", &result, 36.6f, 0.95f, 0.5f, 1.0f, 10.0f, 20.0f, 40.0f, nullptr);
    EXPECT_EQ(result, 36.6f);
}

TEST(Abi, VersionThroughDlsymIsTheProjectVersion) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    auto fn = reinterpret_cast<decltype(&kmm_version)>(dlsym(lib.handle, "kmm_version"));
    ASSERT_NE(fn, nullptr);
    EXPECT_STREQ(fn(), KMM_PROJECT_VERSION);
}

}  // namespace
