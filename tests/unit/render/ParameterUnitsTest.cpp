#ifndef _WIN32

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RenderTestSupport.h"

using namespace rendertest;

// Values in the parameter's own units land on the normalised value whose display shows them.
TEST(RenderParameterUnits, ValuesWithTheirLabelsAreConvertedThroughTheDisplays) {
    RunResult listing = runRenderer({"--list-params", "--set", "Env-Att=5ms", "--set",
                                     "Pred-Order=101taps", "--set", "Voco-Vol=-6 dB", "--set",
                                     "Whiten=on", "--set", "Filt-Amt=37%", "--set",
                                     "White-Order=0.25"});
    ASSERT_EQ(listing.status, 0) << listing.err;
    for (const char* line :
         {"   11  Env-Att          5.000000   ms           0.250000",
          "    7  Pred-Order       101.0000   taps         0.500000",
          "    0  Voco-Vol         -6.00000   dB           0.750000",
          "   14  Whiten           1.000000   on/off", "   20  Filt-Amt         37.00000   %",
          "   15  White-Order      51.00000   taps         0.250000"}) {
        EXPECT_NE(listing.out.find(line), std::string::npos) << line << "\n" << listing.out;
    }
    RunResult off = runRenderer({"--list-params", "--set", "Whiten=on", "--set", "Whiten=OFF"});
    ASSERT_EQ(off.status, 0) << off.err;
    EXPECT_NE(off.out.find("   14  Whiten           0.000000   on/off       0.000000"),
              std::string::npos)
        << off.out;
}

TEST(RenderParameterUnits, AValueOutsideTheRangeOrInAnotherUnitIsABadCommandLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Env-Att=25ms", "value '25ms' for Env-Att is outside its range 0 to 20 ms"},
        {"Env-Att=-1ms", "outside its range 0 to 20 ms"},
        {"Env-Att=5s", "value '5s' for Env-Att is in s, but the parameter is in ms"},
        {"Pred-Order=lots", "value 'lots' for Pred-Order is not a number"},
        {"Voco-Vol=3", "value 3 for Voco-Vol is outside 0 to 1"},
        {"Whiten=maybe", "is not a number"},
    };
    for (const auto& c : cases) {
        RunResult run = runRenderer({"--list-params", "--set", c.first});
        EXPECT_EQ(run.status, 2) << c.first;
        EXPECT_NE(run.err.find(c.second), std::string::npos) << run.err;
    }
}

#endif
