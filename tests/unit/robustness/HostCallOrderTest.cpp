// The call orders that real hosts were seen to use (traced in Ardour 7 and LMMS 1.2 while
// they rendered through the plug-in) must give the same audio, sample for sample, as a plain
// set-up: sample rate, program and parameters first, then resume and process.
//   LMMS: resumes before it selects the program (effSetProgram without the begin/end
//         bracket) and sets every parameter, in the text order of "param0".."param20";
//         then suspends, sets the sample rate a second time and resumes; 256-frame blocks.
//   Ardour: restores stale control values before the saved parameters, runs the plug-in on
//         live input, then suspends and resumes on its audio thread to start an export;
//         1024-frame blocks with a short last one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "host/AEffect.h"
#include "parameters/ParameterTable.h"
#include "plugin/VocoderEffect.h"

namespace {
const float kRate = 48000.0f;
const int kFrames = 24000 + 237;  // half a second and a short last block
const int kProgram = 3;
const double kPi = 3.14159265358979323846;

intptr_t VSTCALLBACK quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Settings applied after the program: whitening with other orders and envelope times, so
// both predictors and the rate-dependent follower matter.
const std::vector<std::pair<int32_t, float>> kEdits = {
    {14, 1.0f}, {15, 0.4f}, {7, 0.1f}, {11, 0.4f}, {12, 0.3f}};

// A chord-like sawtooth carrier and a modulator with a moving vowel-like resonance.
struct Signals {
    std::vector<float> carrier, modulator;
    explicit Signals(int frames, int seed = 0) : carrier(frames), modulator(frames) {
        double phaseA = 0.0, phaseB = 0.0, y1 = 0.0, y2 = 0.0;
        uint32_t noise = 12345u + static_cast<uint32_t>(seed);
        for (int i = 0; i < frames; ++i) {
            phaseA += 110.0 / kRate;
            phaseB += 164.81 / kRate;
            phaseA -= std::floor(phaseA);
            phaseB -= std::floor(phaseB);
            carrier[i] = static_cast<float>(0.3 * (phaseA - 0.5) + 0.2 * (phaseB - 0.5));
            noise = noise * 1664525u + 1013904223u;
            const double excitation = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5);
            const double f = 500.0 + 400.0 * std::sin(2.0 * kPi * 3.0 * i / kRate);
            const double r = 0.97, c = 2.0 * r * std::cos(2.0 * kPi * f / kRate);
            const double y = excitation + c * y1 - r * r * y2;
            y2 = y1;
            y1 = y;
            const double gate = (i / 4000) % 3 == 2 ? 0.0 : 1.0;  // pauses between "words"
            modulator[i] = static_cast<float>(0.05 * y * gate);
        }
    }
};

class Session {
public:
    Session() : effect(new VocoderEffect(quietHost)), record(effect->getAeffect()) {
        for (auto& channel : outputs) channel.assign(kFrames, 0.0f);
        record->dispatcher(record, effOpen, 0, 0, nullptr, 0.0f);
    }
    ~Session() { record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f); }

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, float opt = 0.0f) {
        return record->dispatcher(record, opcode, index, value, nullptr, opt);
    }
    void set(int32_t index, float value) { record->setParameter(record, index, value); }

    // Processes `signals` in blocks of `block` frames; into the outputs when `keep` is set.
    void run(const Signals& signals, int block, bool keep = true) {
        const int frames = static_cast<int>(signals.carrier.size());
        std::vector<float> scratch[8];
        for (auto& channel : scratch) channel.assign(block, 0.0f);
        for (int start = 0; start < frames; start += block) {
            const int n = std::min(block, frames - start);
            float* in[2] = {const_cast<float*>(signals.carrier.data()) + start,
                            const_cast<float*>(signals.modulator.data()) + start};
            float* out[8];
            for (int c = 0; c < 8; ++c)
                out[c] = keep ? outputs[c].data() + start : scratch[c].data();
            record->processReplacing(record, in, out, n);
        }
    }

    VocoderEffect* effect;
    AEffect* record;
    std::vector<float> outputs[8];
};

void plainSetUp(Session& s) {
    s.dispatch(effSetSampleRate, 0, 0, kRate);
    s.dispatch(effSetBlockSize, 0, 512);
    s.dispatch(effBeginSetProgram);
    s.dispatch(effSetProgram, 0, kProgram);
    s.dispatch(effEndSetProgram);
    for (const auto& edit : kEdits) s.set(edit.first, edit.second);
    s.dispatch(effMainsChanged, 0, 1);
}

// The normalised values the plain set-up ends with: the program's values plus the edits.
std::vector<float> finalValues() {
    Session s;
    plainSetUp(s);
    std::vector<float> values;
    for (int32_t index = 0; index < kParameterCount; ++index)
        values.push_back(s.record->getParameter(s.record, index));
    return values;
}

void expectSameAudio(const Session& expected, const Session& actual) {
    for (int c = 0; c < 8; ++c) {
        int differing = 0, first = -1;
        for (int i = 0; i < kFrames; ++i) {
            if (expected.outputs[c][i] != actual.outputs[c][i]) {
                if (first < 0) first = i;
                ++differing;
            }
        }
        EXPECT_EQ(differing, 0) << "output " << c << " differs from frame " << first;
    }
}

bool audible(const Session& s) {
    for (float sample : s.outputs[0])
        if (std::fabs(sample) > 1e-3f) return true;
    return false;
}
}  // namespace

TEST(HostCallOrder, LmmsOrderGivesThePlainSetUpsAudio) {
    const Signals signals(kFrames);
    Session plain;
    plainSetUp(plain);
    plain.run(signals, 512);
    ASSERT_TRUE(audible(plain));

    const std::vector<float> values = finalValues();
    Session lmms;
    lmms.dispatch(effSetBlockSize, 0, 256);
    lmms.dispatch(effSetSampleRate, 0, 0, 44100.0f);  // the rate before the project's
    lmms.dispatch(effMainsChanged, 0, 1);
    lmms.dispatch(effSetProgram, 0, kProgram);
    std::vector<std::string> keys;
    for (int32_t index = 0; index < kParameterCount; ++index)
        keys.push_back("param" + std::to_string(index));
    std::sort(keys.begin(), keys.end());  // a map of names: param0, param1, param10, ...
    for (const std::string& key : keys) {
        const int32_t index = std::stoi(key.substr(5));
        lmms.set(index, values[static_cast<size_t>(index)]);
    }
    lmms.dispatch(effMainsChanged, 0, 0);
    lmms.dispatch(effSetSampleRate, 0, 0, kRate);  // after the parameters: times follow
    lmms.dispatch(effMainsChanged, 0, 1);
    lmms.run(signals, 256);
    expectSameAudio(plain, lmms);
}

TEST(HostCallOrder, ArdourOrderGivesThePlainSetUpsAudio) {
    const Signals signals(kFrames);
    Session plain;
    plainSetUp(plain);
    plain.run(signals, 512);
    ASSERT_TRUE(audible(plain));

    const std::vector<float> values = finalValues();
    Session ardour;
    ardour.dispatch(effSetSampleRate, 0, 0, kRate);
    ardour.dispatch(effSetBlockSize, 0, 1024);
    for (int32_t index = 0; index < kParameterCount; ++index)
        (void)ardour.dispatch(effCanBeAutomated, index);
    ardour.set(7, 0.1f);  // stale control values come first ...
    ardour.set(14, 1.0f);
    ardour.dispatch(effMainsChanged, 0, 1);
    for (int32_t index = 0; index < kParameterCount; ++index)  // ... then the saved ones
        ardour.set(index, values[static_cast<size_t>(index)]);
    ardour.run(Signals(5000, 7), 1024, false);  // live input before the export starts
    ardour.dispatch(effMainsChanged, 0, 0);     // the export's suspend and resume
    ardour.dispatch(effMainsChanged, 0, 1);
    ardour.run(signals, 1024);
    expectSameAudio(plain, ardour);
}
