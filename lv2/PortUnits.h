#pragma once
// An LV2 control port carries a parameter in the units its panel display shows (dB, taps, ms,
// %, the panel's plain numbers); the core keeps the host's normalised value 0..1. This is the
// one translation between the two, used by the bundle's description and by the plug-in.

#include "parameters/ParameterTable.h"

// How a parameter's port is described to the host.
enum class PortUnit {
    none,     // a plain number
    decibels,
    taps,     // an integer order
    tenThousandths,
    milliseconds,
    percent,
    toggle,   // 0 or 1
};

struct PortRange {
    PortUnit unit;
    float minimum;  // the port values of normalised 0 and 1
    float maximum;
};

PortRange portRange(const ParameterInfo& info);

// The port value of the normalised x (0..1): the float nearest to the panel's value. It
// brings the defaults and presets back bit for bit, so that they reach the engine unchanged;
// elsewhere a float port value can be coarser than x (near -96 dB, for one), and the way back
// is then within one step of the port value.
float normalisedToPortValue(const ParameterInfo& info, float x);

// The normalised value of a port value. A value outside the port's range is taken as its
// nearest end; the caller keeps its previous value for a non-finite one (see isUsablePortValue).
float portValueToNormalised(const ParameterInfo& info, float value);

inline bool isUsablePortValue(float value) { return value - value == 0.0f; }
