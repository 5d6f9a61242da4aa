#ifndef _WIN32

// The demo's vocoded output must carry the spoken modulator's articulation: its short-time
// band energies follow the modulator's far more closely than the carrier's do.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "tools/render/BandEnergy.h"

using namespace rendertest;

namespace {

std::vector<BandEnergy::Frame> bands(const std::string& path) {
    Audio audio = readAudio(path);
    std::vector<float> mono(static_cast<size_t>(audio.frames));
    for (size_t i = 0; i < mono.size(); ++i) {
        double sum = 0.0;
        for (int c = 0; c < audio.channels; ++c) {
            sum += audio.samples[i * static_cast<size_t>(audio.channels) + static_cast<size_t>(c)];
        }
        mono[i] = static_cast<float>(sum / audio.channels);
    }
    return BandEnergy::analyse(mono, audio.sampleRate);
}

}  // namespace

TEST(RenderDemo, TheVocodedDemoCarriesTheModulatorsArticulation) {
    if (std::system("command -v sox >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox is missing";
    ScratchDirectory dir;
    const std::string modulator = sourceDirectory() + "/demo/modulator.wav";
    const std::string carrier = dir.file("carrier.wav");
    const std::string vocoded = dir.file("vocoded.wav");
    std::string recipe = "bash '" + sourceDirectory() + "/demo/make-carrier.sh' '" + modulator +
                         "' '" + carrier + "'";
    ASSERT_EQ(std::system(recipe.c_str()), 0);

    // The settings of scripts/demo.sh.
    RunResult run = runRenderer({"--carrier", carrier, "--modulator", modulator, "--set",
                                 "Whiten=1", "--set", "main Vol=0.65", "-o", vocoded});
    ASSERT_EQ(run.status, 0) << run.err;
    std::printf("%s", run.out.c_str());

    auto modulatorBands = bands(modulator);
    double output = BandEnergy::correlation(modulatorBands, bands(vocoded));
    double baseline = BandEnergy::correlation(modulatorBands, bands(carrier));
    std::printf(
        "band-energy correlation with the modulator (20 bands, 20 ms frames): "
        "vocoded output %.3f, carrier %.3f\n",
        output, baseline);
    EXPECT_GT(output, 0.5);
    EXPECT_GT(output, baseline + 0.4);
}

#endif
