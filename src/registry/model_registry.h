// The model registry: the fixed set of camera model names and, per deciding function, the
// branch each name takes. Every subsystem asks this table; none keeps its own name lists.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kmm {

// getNewTemperature_dll: which correction path.
enum class CorrectionPath : uint8_t { None, ShortRange, FullRange };
// Y16Mapping_dll with automatic range: which AGC variant.
enum class AgcVariant : uint8_t { None, HalfResolution, FullResolutionSharpened };
// imageMapping_dll: which family (Kelvin codes is the "none" branch).
enum class ImageFamily : uint8_t { KelvinCode, OffsetCode, Pipeline };
// Closed-library instance set-up.
enum class PyroSetup : uint8_t { Standard, StandardWithBaseControl, Fire };
// Closed-library Y16 from temperature, three-float form.
enum class PyroY16Mode : uint8_t { LibraryValue, LibraryValueEarlyReturn, SubtractOffset };

struct ModelTraits {
    std::string_view name;
    CorrectionPath correction = CorrectionPath::None;
    bool unitEmissivity = false;  // full-range correction ignores the device emissivity
    AgcVariant agc = AgcVariant::None;
    ImageFamily imageFamily = ImageFamily::KelvinCode;
    PyroSetup pyroSetup = PyroSetup::Standard;
    bool pyroMatrixOffset = false;     // temperature matrix: frame offset applied
    bool pyroPointOffset = false;      // point temperature: frame offset applied
    PyroY16Mode pyroY16 = PyroY16Mode::LibraryValue;
    bool pyroY16RecordOffset = false;  // Y16 from temperature, record form: offset subtracted
};

// The traits of an exact, byte-for-byte match of name; a null, empty or unknown name gets
// unknownModel(), whose every column is the "none" branch.
const ModelTraits& lookupModel(const char* name);
const ModelTraits& unknownModel();

// All 85 rows in storage order (for tests and the tool).
std::span<const ModelTraits> registryRows();

}  // namespace kmm
