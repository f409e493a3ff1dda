// The registry against every list of the decision table, and near misses.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "registry/model_registry.h"

namespace kmm {
namespace {

std::vector<std::string> withSuffix(std::initializer_list<const char*> bases, const char* suffix) {
    std::vector<std::string> out;
    for (const char* b : bases) {
        out.emplace_back(b);
        out.emplace_back(std::string(b) + suffix);
    }
    return out;
}

const std::vector<std::string> kShortRange = {"DV01", "DV02", "DV01-W", "DV02-W", "DV03", "DV04",
                                              "DV03-W", "DV04-W", "DV09", "DV10", "DV05", "DV06"};
const std::vector<std::string> kStandard = {
    "DV19", "DV19S", "DV19-W", "DV20", "DV20S", "DV20-W", "DV21", "DV21-W", "DV22", "DV22S",
    "DV22-W", "DV23", "DV23S", "DV23-W", "DV24", "DV24-W", "DV25", "DV25S", "DV25-W", "DV26",
    "DV26S", "DV26-W", "DV27", "DV27-W", "DV28", "DV28S", "DV28-W", "DV29", "DV29S", "DV29-W",
    "DV30", "DV30-W", "DV31", "DV31S", "DV31-W", "DV32", "DV32S", "DV32-W", "DV33", "DV33-W",
    "DV50", "DV51", "DV52", "DV53", "DV54"};
const auto kFire = withSuffix({"DV34", "DV35", "DV36", "DV37", "DV38", "DV39"}, "-W");
const auto kHalfAgc = withSuffix({"DV13", "DV14", "DV15", "DV16"}, "-W");
const auto kFullAgc = withSuffix({"DV17", "DV18"}, "-W");
const std::vector<std::string> kOffsetCode = {"DV01", "DV02", "DV01-W", "DV02-W", "DV03",
                                              "DV04", "DV03-W", "DV04-W", "DV05", "DV06"};

std::set<std::string> unite(std::initializer_list<std::vector<std::string>> lists) {
    std::set<std::string> out;
    for (const auto& l : lists) out.insert(l.begin(), l.end());
    return out;
}

// Every registry row and every near miss, checked against every deciding function.
TEST(ModelRegistry, EveryColumnMatchesTheDecisionLists) {
    const auto fullRange = unite({{"DV11", "DV07", "DV08", "DV12"}, kHalfAgc, kFullAgc,
                                  kStandard, kFire});
    const auto standard = unite({kStandard});
    const auto fire = unite({kFire});
    const auto recordOffset = unite({kStandard, {"DV34", "DV34-W"}});

    std::vector<std::string> names;
    for (const auto& row : registryRows()) names.emplace_back(row.name);
    ASSERT_EQ(names.size(), 85u);
    ASSERT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 85u);
    const std::vector<std::string> nearMisses = {"dv01", "DV0", "DV011", "DV03-", "DV50-W",
                                                 "DV13S", "DV19 ", " DV19", "DV19s", "DV1",
                                                 ""};
    names.insert(names.end(), nearMisses.begin(), nearMisses.end());

    auto in = [](const auto& list, const std::string& n) {
        return std::find(list.begin(), list.end(), n) != list.end();
    };
    for (const std::string& n : names) {
        SCOPED_TRACE(n);
        const ModelTraits& t = lookupModel(n.c_str());
        EXPECT_EQ(t.correction, in(kShortRange, n)   ? CorrectionPath::ShortRange
                                : fullRange.count(n) ? CorrectionPath::FullRange
                                                     : CorrectionPath::None);
        EXPECT_EQ(t.unitEmissivity, fire.count(n) == 1);
        EXPECT_EQ(t.agc, in(kHalfAgc, n)   ? AgcVariant::HalfResolution
                         : in(kFullAgc, n) ? AgcVariant::FullResolutionSharpened
                                           : AgcVariant::None);
        EXPECT_EQ(t.imageFamily, in(kOffsetCode, n)             ? ImageFamily::OffsetCode
                                 : (n == "DV07" || n == "DV08") ? ImageFamily::Pipeline
                                                                : ImageFamily::KelvinCode);
        EXPECT_EQ(t.pyroSetup, fire.count(n)       ? PyroSetup::Fire
                               : standard.count(n) ? PyroSetup::StandardWithBaseControl
                                                   : PyroSetup::Standard);
        EXPECT_EQ(t.pyroMatrixOffset, standard.count(n) || fire.count(n));
        EXPECT_EQ(t.pyroPointOffset, fire.count(n) == 1);
        EXPECT_EQ(t.pyroY16, fire.count(n)       ? PyroY16Mode::LibraryValueEarlyReturn
                             : standard.count(n) ? PyroY16Mode::SubtractOffset
                                                 : PyroY16Mode::LibraryValue);
        EXPECT_EQ(t.pyroY16RecordOffset, recordOffset.count(n) == 1);
    }
}

TEST(ModelRegistry, NullAndUnknownNamesTakeTheNoneBranch) {
    EXPECT_EQ(&lookupModel(nullptr), &unknownModel());
    EXPECT_EQ(&lookupModel(""), &unknownModel());
    EXPECT_EQ(&lookupModel("DV03-"), &unknownModel());
    const char withTrailingNul[] = "DV19\0S";  // matching stops at the first NUL
    EXPECT_EQ(lookupModel(withTrailingNul).name, "DV19");
}

}  // namespace
}  // namespace kmm
