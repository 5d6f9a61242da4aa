// A careless or hostile host: random opcodes with absurd arguments, parameter values that are
// not numbers, blocks of odd sizes with missing buffers and non-finite samples, all
// interleaved. The effect must survive it, and once the host behaves again the audio must be
// clean without a restart.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "host/AEffect.h"
#include "parameters/ParameterTable.h"
#include "plugin/VocoderEffect.h"

namespace {
const int kMaxFrames = 512;

intptr_t VSTCALLBACK quietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

class AbusiveHost {
public:
    explicit AbusiveHost(uint32_t seed) : random(seed) {
        for (auto& channel : inputs) channel.assign(kMaxFrames, 0.0f);
        for (auto& channel : outputs) channel.assign(kMaxFrames, 0.0f);
    }

    float absurdFloat() {
        static const float values[] = {0.0f,
                                       0.5f,
                                       1.0f,
                                       -1.0f,
                                       2.0f,
                                       1e30f,
                                       -1e30f,
                                       std::numeric_limits<float>::quiet_NaN(),
                                       std::numeric_limits<float>::infinity(),
                                       -std::numeric_limits<float>::infinity(),
                                       std::numeric_limits<float>::denorm_min(),
                                       3.4e38f};
        if (random() % 3 == 0) return std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
        return values[random() % (sizeof values / sizeof values[0])];
    }

    int32_t absurdInt() {
        static const int32_t values[] = {0, 1, 7, 8, 19, 20, 21, -1, -1000, INT32_MAX, INT32_MIN};
        return values[random() % (sizeof values / sizeof values[0])];
    }

    void dispatch(AEffect* record) {
        int32_t opcode = static_cast<int32_t>(random() % 90) - 5;
        if (opcode == effClose || opcode == effEditOpen) opcode = effIdentify;  // kept for the end
        std::memset(text, 'x', sizeof text);
        text[sizeof text - 1] = '\0';
        void* ptr = (random() % 4 == 0) ? nullptr : static_cast<void*>(text);
        intptr_t value = absurdInt();
        // Opcodes that write through their value argument get a real address or none.
        if (opcode == effGetSpeakerArrangement) {
            value = (random() % 2) ? reinterpret_cast<intptr_t>(&arrangement) : 0;
            ptr = (random() % 2) ? static_cast<void*>(&arrangement) : nullptr;
        } else if (opcode == effSetSpeakerArrangement) {
            value = 0;
        }
        record->dispatcher(record, opcode, absurdInt(), value, ptr, absurdFloat());
        ++operations;
    }

    void process(AEffect* record) {
        static const int32_t sizes[] = {-5, 0, 1, 7, 64, 333, kMaxFrames};
        const int32_t frames = sizes[random() % (sizeof sizes / sizeof sizes[0])];
        for (auto& channel : inputs)
            for (float& sample : channel) sample = (random() % 50 == 0) ? absurdFloat() : noise();
        float* in[2];
        float* out[8];
        for (int c = 0; c < 2; ++c) in[c] = (random() % 20 == 0) ? nullptr : inputs[c].data();
        for (int c = 0; c < 8; ++c) out[c] = (random() % 10 == 0) ? nullptr : outputs[c].data();
        if (random() % 2)
            record->processReplacing(record, in, out, frames);
        else
            record->process(record, in, out, frames);
        ++operations;
    }

    float noise() { return std::uniform_real_distribution<float>(-0.5f, 0.5f)(random); }

    // A clean block of noise into complete buffers; true when every output sample is finite.
    bool cleanBlockIsFinite(AEffect* record) {
        for (auto& channel : inputs)
            for (float& sample : channel) sample = noise();
        float* in[2] = {inputs[0].data(), inputs[1].data()};
        float* out[8];
        for (int c = 0; c < 8; ++c) out[c] = outputs[c].data();
        record->processReplacing(record, in, out, kMaxFrames);
        for (auto& channel : outputs)
            for (float sample : channel)
                if (!std::isfinite(sample)) return false;
        return true;
    }

    std::mt19937 random;
    std::vector<float> inputs[2];
    std::vector<float> outputs[8];
    char text[1024];
    VstSpeakerArrangement* arrangement = nullptr;
    long operations = 0;
};

void restoreDefaults(AEffect* record) {
    for (int32_t index = 0; index < kParameterCount; ++index)
        if (const ParameterInfo* info = findParameter(index))
            record->setParameter(record, index, info->defaultValue);
    record->dispatcher(record, effSetSampleRate, 0, 0, nullptr, 44100.0f);
}
}  // namespace

TEST(HostAbuse, RandomOpcodesValuesAndBlocksLeaveNoPoisonedState) {
    long survived = 0;
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        auto* effect = new VocoderEffect(quietHost);
        AEffect* record = effect->getAeffect();
        AbusiveHost host(seed);
        for (int step = 0; step < 4000; ++step) {
            switch (host.random() % 4) {
                case 0: host.dispatch(record); break;
                case 1:
                    record->setParameter(record, host.absurdInt() % 25, host.absurdFloat());
                    ++host.operations;
                    break;
                case 2:
                    (void)record->getParameter(record, host.absurdInt());
                    ++host.operations;
                    break;
                default: host.process(record); break;
            }
        }
        // The host behaves again: sane settings, no restart. The first block may still carry
        // what the abuse left; the next one must be clean.
        restoreDefaults(record);
        host.cleanBlockIsFinite(record);
        EXPECT_TRUE(host.cleanBlockIsFinite(record)) << "seed " << seed;
        // And after a suspend and resume as well.
        record->dispatcher(record, effMainsChanged, 0, 0, nullptr, 0.0f);
        record->dispatcher(record, effMainsChanged, 0, 1, nullptr, 0.0f);
        EXPECT_TRUE(host.cleanBlockIsFinite(record)) << "seed " << seed;
        EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
        survived += host.operations;
    }
    std::printf("host abuse: %ld operations survived\n", survived);
}
