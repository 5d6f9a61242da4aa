#pragma once
// The panel's controller in an LV2 UI: it sees the plug-in only through its control ports.
// The user's changes become port writes (in the port's units, through PortUnits), gestures are
// bracketed with the host's touch feature where it offers one, and the host's port events set
// the values the panel shows. Every call comes on the UI thread.

#include <cstdint>

#include <lv2/ui/ui.h>

#include "editor/EditorController.h"
#include "lv2/PortMap.h"
#include "parameters/ParameterTable.h"

class GuiEditorBase;

class PortController : public EditorController {
public:
    // touch may be null (the host offers none); write may be null (nothing is sent).
    PortController(PluginVariant variant, LV2UI_Write_Function write, LV2UI_Controller host,
                   const LV2UI_Touch* touch);

    float parameterValue(int32_t index) override;
    void setParameterByUser(int32_t index, float value) override;
    void beginGesture(int32_t index) override;
    void endGesture(int32_t index) override;
    void parameterText(int32_t index, char* text) override;
    // Nothing to do: the host drives the UI through its idle calls and no control holds the
    // mouse inside one on X11.
    void serviceHost() override {}

    // The panel to tell of every value set, the user's own included (a host need not send a
    // control input's value back, so its display would keep the old value); may be null.
    void setPanel(GuiEditorBase* editor) { panel = editor; }

    // A port's value from the host. Answers the parameter index it set, or -1 when the event
    // is not one a control port takes (an audio or unknown port, a buffer that is not one
    // float, a non-finite value), which changes nothing.
    int32_t portEvent(uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);

private:
    int32_t portOf(int32_t index) const;

    PluginVariant variant;
    LV2UI_Write_Function write;
    LV2UI_Controller host;
    const LV2UI_Touch* touch;
    GuiEditorBase* panel = nullptr;
    float values[kParameterCount];  // normalised, as the panel's controls hold them
    // The port value last written for each slot: the host's echo of it keeps the control's
    // finer normalised value (an order knob between two whole orders stays where it is).
    float written[kParameterSlots];
    bool hasWritten[kParameterSlots];
};
