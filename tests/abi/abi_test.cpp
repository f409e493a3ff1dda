// The library as a host sees it: loaded by file name, the exports resolve by their plain
// names, and C and C++ agree on every record layout.
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <iterator>
#include <string>

#include "KModuleMeasure.h"
#include "KModuleMeasureRadiometry.h"
#include "KModuleMeasureStatus.h"
#include "header_layout.h"

namespace {

TEST(Abi, CAndCppAgreeOnRecordLayout) {
    const KmmLayoutEntry cpp[] = {KMM_RECORD_LAYOUT(KMM_LAYOUT_SIZE, KMM_LAYOUT_FIELD)};
    ASSERT_EQ(kmmCLayoutCount, std::size(cpp));
    for (size_t i = 0; i < kmmCLayoutCount; ++i) {
        SCOPED_TRACE(cpp[i].what);
        EXPECT_EQ(kmmCLayout[i].value, cpp[i].value);
    }
}

// The library loaded as a host loads it: by file name, symbols by their plain names.
#if defined(_WIN32)
struct Library {
    HMODULE handle = LoadLibraryA(KMM_LIBRARY_PATH);
    ~Library() {
        if (handle) FreeLibrary(handle);
    }
    void* symbol(const char* name) const {
        return reinterpret_cast<void*>(GetProcAddress(handle, name));
    }
    static std::string error() { return "LoadLibrary error " + std::to_string(GetLastError()); }
};
#else
struct Library {
    void* handle = dlopen(KMM_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ~Library() {
        if (handle) dlclose(handle);
    }
    void* symbol(const char* name) const { return dlsym(handle, name); }
    static std::string error() {
        const char* text = dlerror();
        return text ? text : "";
    }
};
#endif

TEST(Abi, ExportsResolveByPlainName) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << Library::error();
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
        EXPECT_NE(lib.symbol(name), nullptr) << name;
    }
}

TEST(Abi, CallsThroughTheLoadedLibrary) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << Library::error();
    const auto correct = reinterpret_cast<decltype(&getNewTemperature_dll)>(
        lib.symbol("getNewTemperature_dll"));
    const auto version = reinterpret_cast<decltype(&kmm_version)>(lib.symbol("kmm_version"));
    ASSERT_TRUE(correct && version);
    float result = 0.0f;
    correct("not-a-model", &result, 36.6f, 0.95f, 0.5f, 1.0f, 10.0f, 20.0f, 40.0f, nullptr);
    EXPECT_EQ(result, 36.6f);  // an unlisted model gets its input back
    EXPECT_STREQ(version(), KMM_PROJECT_VERSION);
}

}  // namespace
