// The registry against the decision lists, which go by model number: every row decides as
// its number's lists say (a suffixed form as its base name), and only exact names match.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "registry/model_registry.h"

namespace kmm {
namespace {

TEST(ModelRegistry, EveryRowDecidesAsItsListsSay) {
    std::set<std::string> names;
    for (const ModelTraits& row : registryRows()) {
        const std::string name(row.name);
        SCOPED_TRACE(name);
        EXPECT_TRUE(names.insert(name).second) << "listed twice";
        EXPECT_EQ(&lookupModel(name.c_str()), &row);
        const int n = std::stoi(name.substr(2, 2));
        const auto within = [n](int from, int to) { return n >= from && n <= to; };
        const bool fire = within(34, 39), standard = within(19, 33) || within(50, 54);
        EXPECT_TRUE(within(1, 39) || within(50, 54));
        EXPECT_EQ(row.correction, within(1, 6) || within(9, 10) ? CorrectionPath::ShortRange
                                                                : CorrectionPath::FullRange);
        EXPECT_EQ(row.unitEmissivity, fire);
        EXPECT_EQ(row.agc, within(13, 16)   ? AgcVariant::HalfResolution
                           : within(17, 18) ? AgcVariant::FullResolutionSharpened
                                            : AgcVariant::None);
        EXPECT_EQ(row.imageFamily, within(1, 6)   ? ImageFamily::OffsetCode
                                   : within(7, 8) ? ImageFamily::Pipeline
                                                  : ImageFamily::KelvinCode);
        EXPECT_EQ(row.pyroSetup, fire       ? PyroSetup::Fire
                                 : standard ? PyroSetup::StandardWithBaseControl
                                            : PyroSetup::Standard);
        EXPECT_EQ(row.pyroMatrixOffset, standard || fire);
        EXPECT_EQ(row.pyroPointOffset, fire);
        EXPECT_EQ(row.pyroY16, fire       ? PyroY16Mode::LibraryValueEarlyReturn
                               : standard ? PyroY16Mode::SubtractOffset
                                          : PyroY16Mode::LibraryValue);
        EXPECT_EQ(row.pyroY16RecordOffset, standard || n == 34);
    }
    // Which suffixed forms exist: -W for most, S for some of the standard list.
    EXPECT_EQ(names.size(), 85u);
    for (const char* name : {"DV01-W", "DV04-W", "DV13-W", "DV18-W", "DV19S", "DV33-W", "DV39-W"})
        EXPECT_EQ(names.count(name), 1u) << name;
    for (const char* name : {"DV05-W", "DV07-W", "DV11-W", "DV21S", "DV50-W", "DV13S", "dv01",
                             "DV0", "DV011", "DV03-", "DV19 ", " DV19", "DV19s", "DV1", "",
                             "DV19-W-W", "DV19-W-WX"})
        EXPECT_EQ(&lookupModel(name), &unknownModel()) << '"' << name << '"';
    EXPECT_EQ(&lookupModel(nullptr), &unknownModel());
    const char withTrailingNul[] = "DV19\0S";  // matching stops at the first NUL
    EXPECT_EQ(lookupModel(withTrailingNul).name, "DV19");
}

}  // namespace
}  // namespace kmm
