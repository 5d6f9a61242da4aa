#pragma once
// The vocoder's parameters, keyed by index: name, unit label, default, the mapping from the
// host's normalised value to the value shown to the host and handed to the engine, and the
// control on the panel with its text and its place. Parameter indices are a permanent interface
// (host automation, stored presets, control tags). The effect, the editor and the artwork
// (resources/artwork/layout.py reads the panel places from ParameterTable.cpp) use this one
// table.

#include <cstdint>

// Host indices. Index 19 is a hole: the host sees 21 parameters, 19 carries nothing.
enum ParameterIndex : int32_t {
    kVocodedVolume = 0,
    kErrorVolume = 1,
    kModulatorVolume = 2,
    kCarrierVolume = 3,
    kWhitenedCarrierVolume = 4,
    kMainVolume = 5,
    kPreEmphasis = 6,
    kPredictionOrder = 7,
    kPredictionLearn = 8,
    kPredictionForget = 9,
    kPredictionSmooth = 10,
    kEnvelopeAttack = 11,
    kEnvelopeRelease = 12,
    kEnvelopeAmount = 13,
    kWhiten = 14,
    kWhiteningOrder = 15,
    kWhiteningLearn = 16,
    kWhiteningForget = 17,
    kWhiteningSmooth = 18,
    kUnusedParameter = 19,
    kFilterAmount = 20,
};

const int32_t kParameterCount = 21;  // what the host is told, the hole included
const int32_t kParameterSlots = 20;  // indices that carry a value: 0 to 18 and 20

// How a normalised value x becomes the value shown for the parameter.
enum class ParameterMapping {
    decibels,  // 120 x - 96
    tanh3,     // tanh(3 x)
    order,     // floor(200 x) + 1, an integer
    linear,    // scale * x
    onOff,     // 1 when x >= 0.5, else 0 (a NaN gives 0)
};

// The control that shows a parameter on the panel.
enum class ControlKind {
    knob,         // a film-strip knob with a value display below or beside it
    onOffSwitch,  // a two-state button
};

// How the panel's value display writes a normalised value x: the number, a space, the unit.
// The panel's texts predate the host's and round differently (some products are in float), so
// they have their own formats.
enum class PanelText {
    decibels,        // 120 x - 96 in float, one decimal, unit " dB"
    plain,           // x, three decimals
    taps,            // floor(200 x in float) + 1, no decimals
    half,            // 0.5 x, three decimals
    tenThousandths,  // x, two decimals, unit "e-4"
    smoothing,       // 0.7 x, one decimal
    attack,          // 20 x in float, one decimal, unit "ms"
    release,         // 500 x in float, one decimal, unit "ms"
    percent,         // 100 x in float, one decimal, unit "%"
    none,            // no display
};

// A place on the panel in pixels: left and top inclusive, right and bottom exclusive.
struct PanelBox {
    int32_t left, top, right, bottom;
};

struct ParameterInfo {
    int32_t index;
    const char* name;
    const char* label;
    ParameterMapping mapping;
    double scale;  // for linear mappings
    float defaultValue;
    ControlKind control;
    PanelText text;
    PanelBox controlBox;
    PanelBox displayBox;  // all 0 without a display
};

// The entry of an index, or null for index 19 and indices outside 0 to 20.
const ParameterInfo* findParameter(int32_t index);
// The entry stored in a slot (0 to 19), in index order.
const ParameterInfo& slotInfo(int32_t slot);
// The storage slot (0 to 19) of an index that carries a value, or -1.
int32_t parameterSlot(int32_t index);
// The index stored in a slot (0 to 19).
int32_t slotParameter(int32_t slot);
// The value shown for x, in double precision on the float x.
double parameterDisplayValue(const ParameterInfo& info, float x);
// floor(200 x) truncated to 32 bits, plus 1; defined for every x (a NaN or a value outside
// the 32-bit range truncates to the lowest integer, as the x86 conversion does).
int32_t orderFromValue(float x);
// The panel's text for x; out holds at least 64 characters (the widest float fits).
void formatPanelText(PanelText text, float x, char* out);
