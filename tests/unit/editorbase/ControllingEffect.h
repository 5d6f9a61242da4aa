#pragma once
// A one-parameter effect that answers its editor in-process, as the vocoder effect does, for
// tests of the editor base and the frame that need the edit brackets and the host's idle.

#include "editor/EditorController.h"
#include "host/EffectExtended.h"

class ControllingEffect : public EffectExtended, public EditorController {
public:
    explicit ControllingEffect(audioMasterCallback host) : EffectExtended(host, 1, 1) {}
    void process(float**, float**, int32_t) override {}
    float parameterValue(int32_t index) override { return getParameter(index); }
    void setParameterByUser(int32_t index, float value) override {
        setParameterAutomated(index, value);
    }
    void beginGesture(int32_t index) override { beginEdit(index); }
    void endGesture(int32_t index) override { endEdit(index); }
    void parameterText(int32_t, char*) override {}
    void serviceHost() override { hostIdle(); }
};
