// ostraquelle-articulation: how much of the modulator's articulation a vocoded file carries,
// against the carrier as a baseline.
//   ostraquelle-articulation MODULATOR CARRIER OUTPUT
//       the band-energy correlation, the per-band articulation score and the short-time
//       objective intelligibility of the output and of the carrier
//   ostraquelle-articulation --scores MODULATOR OUTPUT
//       one line for scripts: both scores of the output, its peak and RMS level in dBFS
// Files: any libsndfile format, mixed to mono, one sample rate. A pair that cannot be measured
// (different rates, an empty or silent modulator, too little sound) is refused with exit 1.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/measure/ArticulationScore.h"
#include "tools/measure/Level.h"
#include "tools/measure/Stoi.h"
#include "tools/render/BandEnergy.h"
#include "tools/render/InputFile.h"

namespace {

bool readAll(const char* path, std::vector<float>& samples, int& rate) {
    InputFile file;
    std::string error;
    if (!file.open(path, error)) {
        std::fprintf(stderr, "ostraquelle-articulation: %s\n", error.c_str());
        return false;
    }
    rate = file.sampleRate();
    std::vector<float> block(65536);
    for (;;) {
        int64_t got = file.readMono(block.data(), static_cast<int64_t>(block.size()));
        if (got <= 0) break;
        samples.insert(samples.end(), block.begin(), block.begin() + got);
    }
    return true;
}

struct Scores {
    Measurement articulation;
    Measurement stoi;
};

// Both scores of a processed signal against the modulator; false (with the message printed)
// when either measure refuses the pair.
bool score(const std::vector<float>& modulator, const std::vector<float>& processed, int rate,
           const char* path, Scores& scores) {
    scores.articulation = ArticulationScore::measure(modulator, rate, processed, rate);
    if (scores.articulation.ok) scores.stoi = Stoi::measure(modulator, rate, processed, rate);
    const Measurement& failed = scores.articulation.ok ? scores.stoi : scores.articulation;
    if (failed.ok) return true;
    std::fprintf(stderr, "ostraquelle-articulation: cannot measure %s: %s\n", path,
                 failed.error.c_str());
    return false;
}

int usage() {
    std::fprintf(stderr,
                 "usage: ostraquelle-articulation MODULATOR CARRIER OUTPUT\n"
                 "       ostraquelle-articulation --scores MODULATOR OUTPUT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const bool brief = argc == 4 && std::strcmp(argv[1], "--scores") == 0;
    if (argc != 4) return usage();
    char** files = brief ? argv + 2 : argv + 1;
    const int count = brief ? 2 : 3;
    std::vector<float> signals[3];
    int rates[3] = {0, 0, 0};
    for (int i = 0; i < count; ++i) {
        if (!readAll(files[i], signals[i], rates[i])) return 1;
    }
    for (int i = 1; i < count; ++i) {
        if (rates[i] != rates[0]) {
            std::fprintf(stderr,
                         "ostraquelle-articulation: %s is at %d Hz but %s at %d Hz; the files "
                         "must share one sample rate\n",
                         files[i], rates[i], files[0], rates[0]);
            return 1;
        }
    }
    const int rate = rates[0];
    if (brief) {
        Scores output;
        if (!score(signals[0], signals[1], rate, files[1], output)) return 1;
        Level level = Level::of(signals[1]);
        std::printf("articulation %.4f stoi %.4f peak %.2f rms %.2f\n", output.articulation.score,
                    output.stoi.score, level.peakDb, level.rmsDb);
        return 0;
    }
    Scores carrier;
    Scores output;
    if (!score(signals[0], signals[1], rate, files[1], carrier)) return 1;
    if (!score(signals[0], signals[2], rate, files[2], output)) return 1;
    auto modulator = BandEnergy::analyse(signals[0], rate);
    double carrierBands = BandEnergy::correlation(modulator, BandEnergy::analyse(signals[1], rate));
    double outputBands = BandEnergy::correlation(modulator, BandEnergy::analyse(signals[2], rate));
    std::printf(
        "band-energy correlation with the modulator (%d bands, %.0f ms frames): "
        "vocoded output %.3f, carrier %.3f\n",
        BandEnergy::kBands, BandEnergy::kFrameSeconds * 1000.0, outputBands, carrierBands);
    std::printf(
        "per-band articulation score (%d bands from %.0f Hz to %.0f kHz, %.0f ms frames every "
        "%.0f ms, voice within %.0f dB of its peak): vocoded output %.3f, carrier %.3f\n",
        BandEnergy::kBands, ArticulationScore::kLowestHz, ArticulationScore::kHighestHz / 1000.0,
        ArticulationScore::kFrameSeconds * 1000.0, ArticulationScore::kHopSeconds * 1000.0,
        ArticulationScore::kRangeDb, output.articulation.score, carrier.articulation.score);
    std::printf(
        "short-time objective intelligibility (STOI, 0 to 1): vocoded output %.3f, carrier "
        "%.3f\n",
        output.stoi.score, carrier.stoi.score);
    return 0;
}
