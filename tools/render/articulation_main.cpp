// ostraquelle-articulation: how much of the modulator's articulation a vocoded file carries,
// against the carrier as a baseline. Usage: MODULATOR CARRIER OUTPUT (any libsndfile format,
// mixed to mono, one sample rate).

#include <cstdio>
#include <string>
#include <vector>

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: ostraquelle-articulation MODULATOR CARRIER OUTPUT\n");
        return 2;
    }
    std::vector<float> signals[3];
    int rates[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (!readAll(argv[i + 1], signals[i], rates[i])) return 1;
    }
    if (rates[0] != rates[1] || rates[0] != rates[2]) {
        std::fprintf(stderr,
                     "ostraquelle-articulation: the three files differ in sample rate "
                     "(%d, %d and %d Hz)\n",
                     rates[0], rates[1], rates[2]);
        return 1;
    }
    auto modulator = BandEnergy::analyse(signals[0], rates[0]);
    double carrier = BandEnergy::correlation(modulator, BandEnergy::analyse(signals[1], rates[0]));
    double output = BandEnergy::correlation(modulator, BandEnergy::analyse(signals[2], rates[0]));
    std::printf(
        "band-energy correlation with the modulator (%d bands, %.0f ms frames): "
        "vocoded output %.3f, carrier %.3f\n",
        BandEnergy::kBands, BandEnergy::kFrameSeconds * 1000.0, output, carrier);
    return 0;
}
