// The registry table: 85 rows in storage order, built by one small constructor per block so
// that each block's shared decisions are written once.
#include "registry/model_registry.h"

#include <algorithm>
#include <array>

namespace kmm {
namespace {

using CP = CorrectionPath;

// Matrix block: short-range or full-range correction, offset-code, pipeline or Kelvin images.
constexpr ModelTraits matrixRow(std::string_view name, CorrectionPath correction,
                                ImageFamily family) {
    ModelTraits t{name};
    t.correction = correction;
    t.imageFamily = family;
    return t;
}

// AGC block: full-range correction and one of the two automatic Y16 mappings.
constexpr ModelTraits agcRow(std::string_view name, AgcVariant agc) {
    ModelTraits t{name};
    t.correction = CP::FullRange;
    t.agc = agc;
    return t;
}

// Standard block: the standard list of the closed-library functions.
constexpr ModelTraits standardRow(std::string_view name) {
    ModelTraits t{name};
    t.correction = CP::FullRange;
    t.pyroSetup = PyroSetup::StandardWithBaseControl;
    t.pyroMatrixOffset = true;
    t.pyroY16 = PyroY16Mode::SubtractOffset;
    t.pyroY16RecordOffset = true;
    return t;
}

// Fire block: unit emissivity in the correction, fire set-up, library Y16 values; only
// DV34 and DV34-W subtract the offset in the record form of Y16 from temperature.
constexpr ModelTraits fireRow(std::string_view name, bool recordOffset) {
    ModelTraits t{name};
    t.correction = CP::FullRange;
    t.unitEmissivity = true;
    t.pyroSetup = PyroSetup::Fire;
    t.pyroMatrixOffset = true;
    t.pyroPointOffset = true;
    t.pyroY16 = PyroY16Mode::LibraryValueEarlyReturn;
    t.pyroY16RecordOffset = recordOffset;
    return t;
}

constexpr auto S = CP::ShortRange;
constexpr auto F = CP::FullRange;
constexpr auto Off = ImageFamily::OffsetCode;
constexpr auto Pipe = ImageFamily::Pipeline;
constexpr auto Kel = ImageFamily::KelvinCode;
constexpr auto Half = AgcVariant::HalfResolution;
constexpr auto Full = AgcVariant::FullResolutionSharpened;

constexpr std::array kRegistry = {
    // Matrix block
    matrixRow("DV01", S, Off), matrixRow("DV01-W", S, Off),
    matrixRow("DV02", S, Off), matrixRow("DV02-W", S, Off),
    matrixRow("DV03", S, Off), matrixRow("DV03-W", S, Off),
    matrixRow("DV04", S, Off), matrixRow("DV04-W", S, Off),
    matrixRow("DV05", S, Off), matrixRow("DV06", S, Off),
    matrixRow("DV07", F, Pipe), matrixRow("DV08", F, Pipe),
    matrixRow("DV09", S, Kel), matrixRow("DV10", S, Kel),
    matrixRow("DV11", F, Kel), matrixRow("DV12", F, Kel),
    // AGC block
    agcRow("DV13", Half), agcRow("DV13-W", Half), agcRow("DV14", Half), agcRow("DV14-W", Half),
    agcRow("DV15", Half), agcRow("DV15-W", Half), agcRow("DV16", Half), agcRow("DV16-W", Half),
    agcRow("DV17", Full), agcRow("DV17-W", Full), agcRow("DV18", Full), agcRow("DV18-W", Full),
    // Standard block
    standardRow("DV19"), standardRow("DV19S"), standardRow("DV19-W"),
    standardRow("DV20"), standardRow("DV20S"), standardRow("DV20-W"),
    standardRow("DV21"), standardRow("DV21-W"),
    standardRow("DV22"), standardRow("DV22S"), standardRow("DV22-W"),
    standardRow("DV23"), standardRow("DV23S"), standardRow("DV23-W"),
    standardRow("DV24"), standardRow("DV24-W"),
    standardRow("DV25"), standardRow("DV25S"), standardRow("DV25-W"),
    standardRow("DV26"), standardRow("DV26S"), standardRow("DV26-W"),
    standardRow("DV27"), standardRow("DV27-W"),
    standardRow("DV28"), standardRow("DV28S"), standardRow("DV28-W"),
    standardRow("DV29"), standardRow("DV29S"), standardRow("DV29-W"),
    standardRow("DV30"), standardRow("DV30-W"),
    standardRow("DV31"), standardRow("DV31S"), standardRow("DV31-W"),
    standardRow("DV32"), standardRow("DV32S"), standardRow("DV32-W"),
    standardRow("DV33"), standardRow("DV33-W"),
    standardRow("DV50"), standardRow("DV51"), standardRow("DV52"), standardRow("DV53"),
    standardRow("DV54"),
    // Fire block
    fireRow("DV34", true), fireRow("DV34-W", true),
    fireRow("DV35", false), fireRow("DV35-W", false),
    fireRow("DV36", false), fireRow("DV36-W", false),
    fireRow("DV37", false), fireRow("DV37-W", false),
    fireRow("DV38", false), fireRow("DV38-W", false),
    fireRow("DV39", false), fireRow("DV39-W", false),
};
static_assert(kRegistry.size() == 85);

constexpr ModelTraits kUnknown{};

// Each name as its bytes packed into one integer, so a lookup compares integers (a call of
// the temperature correction spent a third of its time comparing strings).
constexpr size_t kKeyBytes = sizeof(uint64_t);

constexpr uint64_t nameKey(std::string_view name) {
    uint64_t key = 0;
    for (size_t i = 0; i < name.size(); ++i) key |= uint64_t(uint8_t(name[i])) << (8 * i);
    return key;
}

constexpr auto kKeys = [] {
    std::array<uint64_t, kRegistry.size()> keys{};
    for (size_t i = 0; i < kRegistry.size(); ++i) keys[i] = nameKey(kRegistry[i].name);
    return keys;
}();
static_assert(std::all_of(kRegistry.begin(), kRegistry.end(),
                          [](const ModelTraits& row) { return row.name.size() <= kKeyBytes; }));

}  // namespace

const ModelTraits& unknownModel() { return kUnknown; }

const ModelTraits& lookupModel(const char* name) {
    if (name == nullptr || name[0] == '\0') return kUnknown;
    // Whole-string comparison: a prefix, a longer string or another case never matches. No
    // name holds a NUL, so the zero-padded keys are equal exactly when the names are; the
    // scan reads at most one byte past the longest key.
    size_t length = 0;
    while (length <= kKeyBytes && name[length] != '\0') ++length;
    if (length > kKeyBytes) return kUnknown;
    const uint64_t wanted = nameKey({name, length});
    for (size_t i = 0; i < kKeys.size(); ++i) {
        if (kKeys[i] == wanted) return kRegistry[i];
    }
    return kUnknown;
}

std::span<const ModelTraits> registryRows() { return kRegistry; }

}  // namespace kmm
