// Tests the shared wording: the checker's plain numbers and the plan's printed French from the same formatters.
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "tools/common/wording.h"

namespace {

TEST(Wording, VolumesAndPercentagesInBothStyles) {
    const std::string nb = kNoBreak;
    const std::tuple<Volume, std::string, std::string> volumes[] = {
        {0, "0", "0"},
        {999, "999", "999"},
        {12000, "12000", "12" + nb + "000"},
        {Volume(1) << 100, "1267650600228229401496703205376",
         "1" + nb + "267" + nb + "650" + nb + "600" + nb + "228" + nb + "229" + nb + "401" + nb +
             "496" + nb + "703" + nb + "205" + nb + "376"},
    };
    for (const auto& [volume, plain, printed] : volumes) {
        EXPECT_EQ(plain, volumeText(volume)) << "plain, expected " << plain;
        EXPECT_EQ(printed, volumeText(volume, kNoBreak)) << "printed, expected " << printed;
    }
    const std::tuple<double, std::string, std::string> percents[] = {
        {100, "100", "100"},    {40.5, "40.5", "40,5"}, {74.99, "74.99", "74,99"},
        {0.01, "0.01", "0,01"}, {0, "0", "0"},
    };
    for (const auto& [percent, plain, printed] : percents) {
        EXPECT_EQ(plain, percentText(percent)) << percent;
        EXPECT_EQ(printed, percentText(percent, ',')) << percent;
    }
}

}  // namespace
