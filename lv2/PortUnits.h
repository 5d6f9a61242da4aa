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

// The port value of the normalised x (0..1): the float that portValueToNormalised turns back
// into x exactly wherever one does, so that presets and defaults reach the engine unchanged.
float normalisedToPortValue(const ParameterInfo& info, float x);

// The normalised value of a port value. A value outside the port's range is taken as its
// nearest end; the caller keeps its previous value for a non-finite one (see isUsablePortValue).
float portValueToNormalised(const ParameterInfo& info, float value);

inline bool isUsablePortValue(float value) { return value - value == 0.0f; }
