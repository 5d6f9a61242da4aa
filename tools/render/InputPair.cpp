#include "tools/render/InputPair.h"

#include <algorithm>

bool InputPair::openPair(const std::string& carrierPath, const std::string& modulatorPath,
                         std::string& error) {
    carrierFile.reset(new InputFile());
    modulatorFile.reset(new InputFile());
    if (!carrierFile->open(carrierPath, error) || !modulatorFile->open(modulatorPath, error)) {
        return false;
    }
    if (carrierFile->sampleRate() != modulatorFile->sampleRate()) {
        // Silent resampling would change what the vocoder hears; the user decides.
        error = "sample rates differ: carrier " + carrierPath + " is " +
                std::to_string(carrierFile->sampleRate()) + " Hz, modulator " + modulatorPath +
                " is " + std::to_string(modulatorFile->sampleRate()) +
                " Hz; resample one of them first";
        return false;
    }
    rate = carrierFile->sampleRate();
    length = std::max(carrierFile->frames(), modulatorFile->frames());
    return true;
}

bool InputPair::openStereo(const std::string& path, std::string& error) {
    carrierFile.reset(new InputFile());
    modulatorFile.reset();
    if (!carrierFile->open(path, error)) return false;
    if (carrierFile->channels() != 2) {
        error = "--input needs a stereo file (left carrier, right modulator), but " + path +
                " has " + std::to_string(carrierFile->channels()) + " channel(s)";
        return false;
    }
    rate = carrierFile->sampleRate();
    length = carrierFile->frames();
    return true;
}

int64_t InputPair::read(float* carrier, float* modulator, int64_t count) {
    int64_t wanted = std::min(count, length - position);
    if (wanted <= 0) return 0;
    // A file may hold fewer frames than its header promised, and one of two files may be the
    // shorter: what a file does not fill stays silent.
    if (modulatorFile == nullptr) {
        const int64_t got = carrierDone ? 0 : carrierFile->readStereo(carrier, modulator, wanted);
        if (got < wanted) {
            carrierDone = true;
            std::fill(carrier + got, carrier + wanted, 0.0f);
            std::fill(modulator + got, modulator + wanted, 0.0f);
        }
    } else {
        const int64_t gotCarrier = carrierDone ? 0 : carrierFile->readMono(carrier, wanted);
        if (gotCarrier < wanted) {
            carrierDone = true;
            std::fill(carrier + gotCarrier, carrier + wanted, 0.0f);
        }
        const int64_t gotModulator = modulatorDone ? 0 : modulatorFile->readMono(modulator, wanted);
        if (gotModulator < wanted) {
            modulatorDone = true;
            std::fill(modulator + gotModulator, modulator + wanted, 0.0f);
        }
    }
    position += wanted;
    return wanted;
}
