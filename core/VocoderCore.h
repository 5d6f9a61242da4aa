#pragma once
// The vocoder as every plug-in format needs it, with no format's types: the current values of
// the 20 parameter slots, the 8 programs, the mapping of each value onto the engine, and
// processing with its guards (non-finite input taken as silence, denormals flushed, non-finite
// results kept from the outputs). A format's adapter translates its host's calls into these.

#include <cstdint>

#include "core/OutputPairs.h"
#include "parameters/ParameterTable.h"
#include "vocoder/VocoderEngine.h"

class VocoderProgram;

class VocoderCore {
public:
    static const int32_t kProgramCount = 8;
    static const int32_t kInputCount = 2;  // carrier, modulator
    static const int32_t kOutputCount = kOutputChannelCount;
    // The plug-in's id, which its preset files carry: "OsQl" in memory order.
    static const int32_t kUniqueId = 0x6C51734F;
    static constexpr float kDefaultSampleRate = 44100.0f;
    // The frames checked and cleaned at a time when an input block holds a non-finite sample.
    static const int32_t kCleanFrames = 256;

    // Program 0 selected, every value at its default, the engine at kDefaultSampleRate. When
    // the program table cannot be allocated, values still work and hasPrograms() is false.
    VocoderCore();
    ~VocoderCore();
    VocoderCore(const VocoderCore&) = delete;
    VocoderCore& operator=(const VocoderCore&) = delete;

    bool hasPrograms() const { return programs != nullptr; }

    // Any thread, also while process runs (each engine setting is one scalar store): stores
    // the normalised value as current and in the current program and applies it. False, and
    // nothing changes, for index 19 and unknown indices.
    bool setValue(int32_t index, float value);
    // The value last set; 0 for index 19 and unknown indices.
    float value(int32_t index) const;
    // The value in the parameter's own unit (dB, taps, ms, %, on/off); 0 where there is none.
    double displayValue(int32_t index) const;
    // The panel's text for the current value ("-12.0 dB", "51 ", ...) into text (at least 64
    // characters); nothing is written for index 19 and unknown indices.
    void displayText(int32_t index, char* text) const;

    // The program whose values are current.
    int32_t program() const { return currentProgram; }
    // Makes a program current and re-applies its values, which clears both predictors. False
    // for programs outside 0 to 7 or without a program table.
    bool setProgram(int32_t program);
    // A program's name (at most 23 characters); null outside 0 to 7 or without a table.
    const char* programName(int32_t program) const;
    // Renames the current program, keeping at most 23 characters of a longer name.
    bool setProgramName(const char* name);
    // Copies the current program's values and name onto another program.
    bool copyProgram(int32_t destination);

    // Normally while processing is stopped; rates that are not above 0 are ignored.
    void setSampleRate(double rate);
    // Clears all adaptive state; settings stay.
    void reset();
    // Audio thread: frames of the carrier (inputs[0]) and modulator (inputs[1]) into the eight
    // outputs, overwriting them; an output pointer may be null, and may equal an input
    // pointer. Missing inputs give silence on every output that is there.
    void process(const float* const* inputs, float* const* outputs, int32_t frames);

    const VocoderEngine& engine() const { return vocoder; }

private:
    void apply(int32_t index, float value);
    void processCleaned(const float* carrier, const float* modulator, float* const* outputs,
                        int32_t frames);

    float currentValues[kParameterSlots];
    double displayValues[kParameterCount];  // entries of indices 7, 14, 15 and 19 unused
    int32_t predictionOrder;
    int32_t whiteningOrder;
    unsigned char whitening;
    int32_t currentProgram;
    VocoderProgram* programs;
    VocoderEngine vocoder;
    float cleanCarrier[kCleanFrames];
    float cleanModulator[kCleanFrames];
};
