#include "tools/render/InputPair.h"

#include <algorithm>

bool InputPair::openPair(const std::string& carrierPath, const std::string& modulatorPath,
                         std::string& error) {
    carrier_.reset(new InputFile());
    modulator_.reset(new InputFile());
    if (!carrier_->open(carrierPath, error) || !modulator_->open(modulatorPath, error)) {
        return false;
    }
    if (carrier_->sampleRate() != modulator_->sampleRate()) {
        // Silent resampling would change what the vocoder hears; the user decides.
        error = "sample rates differ: carrier " + carrierPath + " is " +
                std::to_string(carrier_->sampleRate()) + " Hz, modulator " + modulatorPath +
                " is " + std::to_string(modulator_->sampleRate()) +
                " Hz; resample one of them first";
        return false;
    }
    sampleRate_ = carrier_->sampleRate();
    frames_ = std::max(carrier_->frames(), modulator_->frames());
    return true;
}

bool InputPair::openStereo(const std::string& path, std::string& error) {
    carrier_.reset(new InputFile());
    modulator_.reset();
    if (!carrier_->open(path, error)) return false;
    if (carrier_->channels() != 2) {
        error = "--input needs a stereo file (left carrier, right modulator), but " + path +
                " has " + std::to_string(carrier_->channels()) + " channel(s)";
        return false;
    }
    sampleRate_ = carrier_->sampleRate();
    frames_ = carrier_->frames();
    return true;
}

int64_t InputPair::read(float* carrier, float* modulator, int64_t count) {
    int64_t wanted = std::min(count, frames_ - position_);
    if (wanted <= 0) return 0;
    std::fill(carrier, carrier + wanted, 0.0f);
    std::fill(modulator, modulator + wanted, 0.0f);
    if (modulator_ == nullptr) {
        // A file may hold fewer frames than its header promised: the rest stays silent.
        if (!carrierDone_ && carrier_->readStereo(carrier, modulator, wanted) < wanted) {
            carrierDone_ = true;
        }
        position_ += wanted;
        return wanted;
    }
    if (!carrierDone_ && carrier_->readMono(carrier, wanted) < wanted) carrierDone_ = true;
    if (!modulatorDone_ && modulator_->readMono(modulator, wanted) < wanted) modulatorDone_ = true;
    position_ += wanted;
    return wanted;
}
