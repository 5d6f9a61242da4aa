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
    std::fill(carrier, carrier + wanted, 0.0f);
    std::fill(modulator, modulator + wanted, 0.0f);
    if (modulatorFile == nullptr) {
        // A file may hold fewer frames than its header promised: the rest stays silent.
        if (!carrierDone && carrierFile->readStereo(carrier, modulator, wanted) < wanted) {
            carrierDone = true;
        }
        position += wanted;
        return wanted;
    }
    if (!carrierDone && carrierFile->readMono(carrier, wanted) < wanted) carrierDone = true;
    if (!modulatorDone && modulatorFile->readMono(modulator, wanted) < wanted) modulatorDone = true;
    position += wanted;
    return wanted;
}
