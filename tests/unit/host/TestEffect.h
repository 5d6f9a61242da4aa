#pragma once
// A minimal concrete effect for exercising the base classes, and a host callback that
// records what it is sent.

#include <vector>

#include "host/EffectExtended.h"

struct HostCall {
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

struct RecordingHost {
    static std::vector<HostCall> calls;
    static intptr_t answer;  // what every call answers
    static intptr_t VSTCALLBACK callback(AEffect* effect, int32_t opcode, int32_t index,
                                         intptr_t value, void* ptr, float opt) {
        calls.push_back({effect, opcode, index, value, ptr, opt});
        return answer;
    }
    static void reset(intptr_t newAnswer = 0) {
        calls.clear();
        answer = newAnswer;
    }
};

class TestEffect : public EffectExtended {
public:
    explicit TestEffect(audioMasterCallback host = nullptr, int32_t programs = 8,
                        int32_t params = 21)
        : EffectExtended(host, programs, params) {}
    ~TestEffect() override { ++destroyed; }

    void process(float**, float**, int32_t) override {}
    void setParameter(int32_t index, float value) override {
        lastIndex = index;
        lastValue = value;
    }
    void suspend() override { ++suspends; }
    void resume() override { ++resumes; }
    void close() override { ++closes; }
    void setSampleRate(float rate) override {
        ++sampleRateCalls;
        EffectExtended::setSampleRate(rate);
    }
    void setProgram(int32_t program) override {
        ++setProgramCalls;
        EffectExtended::setProgram(program);
    }
    float getVu() override { return vu; }

    using EffectBase::blockSize;
    using EffectBase::sampleRate;

    int32_t lastIndex = -1;
    float lastValue = -1.0f;
    int suspends = 0, resumes = 0, closes = 0, sampleRateCalls = 0, setProgramCalls = 0;
    float vu = 0.0f;
    static int destroyed;
};
