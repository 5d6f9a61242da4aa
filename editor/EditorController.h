#pragma once
// What the panel needs from the plug-in it belongs to, in parameter indices and normalised
// values only: a VST 2.x effect answers it in-process, another format's UI with messages to
// its host (an LV2 UI with port writes). All calls come on the user-interface thread.

#include <cstdint>

class EditorController {
public:
    // The value an index holds now (0 for index 19 and unknown indices).
    virtual float parameterValue(int32_t index) = 0;
    // The user changed a control: set the value and tell the host as an automated change.
    virtual void setParameterByUser(int32_t index, float value) = 0;
    // A drag of a control begins and ends: the host brackets its automation recording.
    virtual void beginGesture(int32_t index) = 0;
    virtual void endGesture(int32_t index) = 0;
    // The panel's text for the index's current value, at most 63 characters; nothing is
    // written for index 19 and unknown indices.
    virtual void parameterText(int32_t index, char* text) = 0;
    // While a control holds the mouse inside one call: the host's own idle work, so that its
    // window keeps drawing.
    virtual void serviceHost() = 0;

protected:
    ~EditorController() = default;
};
