// The LV2 UI over the test double's windows: what the panel writes to the ports, how it
// brackets gestures, how the host's port events move its controls, and what it does with
// port events that are none of a control port's.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "lv2/PortMap.h"
#include "lv2/PortUnits.h"
#include "lv2/ui/PanelUi.h"
#include "platform_double/PlatformDouble.h"
#include "toolkit/FilmStripKnob.h"
#include "toolkit/Frame.h"
#include "toolkit/ToggleButton.h"
#include "toolkit/ValueDisplay.h"

using namespace platform;

namespace {

struct Write {
    uint32_t port;
    uint32_t size;
    uint32_t format;
    float value;
};

struct Touch {
    uint32_t port;
    bool grabbed;
};

struct Host {
    std::vector<Write> writes;
    std::vector<Touch> touches;
    std::vector<std::pair<int, int>> sizes;
};

void recordWrite(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
                 const void* buffer) {
    float value;
    std::memcpy(&value, buffer, sizeof value);
    static_cast<Host*>(controller)->writes.push_back({port, size, format, value});
}

void recordTouch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    static_cast<Host*>(handle)->touches.push_back({port, grabbed});
}

int recordResize(LV2UI_Feature_Handle handle, int width, int height) {
    static_cast<Host*>(handle)->sizes.emplace_back(width, height);
    return 0;
}

// A parameter by its name in the table.
const ParameterInfo& named(const char* name) {
    for (int32_t slot = 0; slot < kParameterSlots; ++slot)
        if (std::strcmp(slotInfo(slot).name, name) == 0) return slotInfo(slot);
    ADD_FAILURE() << "no parameter " << name;
    return slotInfo(0);
}

const ParameterInfo* firstOfKind(ControlKind kind, PortUnit unit) {
    for (int32_t slot = 0; slot < kParameterSlots; ++slot)
        if (slotInfo(slot).control == kind && portRange(slotInfo(slot)).unit == unit)
            return &slotInfo(slot);
    return nullptr;
}

uint32_t portOf(PluginVariant variant, const ParameterInfo& info) {
    return static_cast<uint32_t>(controlPortIndex(variant, parameterSlot(info.index)));
}

struct LvUi : ::testing::Test {
    void SetUp() override {
        followed = testdouble::setDragsFollowMessages(true);
        testdouble::releaseAllKeys();
        parent = testdouble::createHostWindow(100, 100, 400, 450);
        touch = {&host, recordTouch};
        resize = {&host, recordResize};
    }
    void TearDown() override {
        ui.reset();
        if (parent) testdouble::destroyHostWindow(parent);
        testdouble::releaseAllKeys();
        testdouble::setDragsFollowMessages(followed);
    }
    std::unique_ptr<PanelUi> openUi(const char* uri, bool withTouch = true) {
        const LV2_Feature parentFeature = {LV2_UI__parent, parent};
        const LV2_Feature touchFeature = {LV2_UI__touch, &touch};
        const LV2_Feature resizeFeature = {LV2_UI__resize, &resize};
        const LV2_Feature* features[] = {&parentFeature, &resizeFeature,
                                         withTouch ? &touchFeature : nullptr, nullptr};
        return PanelUi::open(uri, recordWrite, &host, features);
    }
    void event(uint32_t port, float value) { ui->portEvent(port, sizeof value, 0, &value); }
    float knobValue(const ParameterInfo& info) {
        FilmStripKnob* knob = ui->editor().getKnob(info.index);
        return knob ? knob->getValue() : -1.0f;
    }

    bool followed = false;
    WindowHandle parent = nullptr;
    Host host;
    LV2UI_Touch touch{};
    LV2UI_Resize resize{};
    std::unique_ptr<PanelUi> ui;
};

}  // namespace

TEST_F(LvUi, OpensEmbeddedInTheParentTellsItsSizeAndClosesWhenItsWindowGoes) {
    ui = openUi(pluginUri(PluginVariant::full));
    ASSERT_TRUE(ui);
    const std::vector<WindowHandle> children = testdouble::childWindows(parent);
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(ui->widget(), reinterpret_cast<uintptr_t>(children[0]));
    ASSERT_EQ(host.sizes.size(), 1u);
    EXPECT_EQ(host.sizes[0], std::make_pair(368, 412));
    EXPECT_EQ(ui->idle(), 0);

    // The host destroys its window under the panel: the next idle asks to be closed.
    testdouble::destroyHostWindow(parent);
    parent = nullptr;
    EXPECT_NE(ui->idle(), 0);

    // The stereo plug-in shares the UI; no parent, or a plug-in of someone else's: no UI.
    parent = testdouble::createHostWindow(0, 0, 400, 450);
    EXPECT_TRUE(openUi(pluginUri(PluginVariant::mix)));
    EXPECT_FALSE(openUi("urn:someone:else"));
    EXPECT_FALSE(openUi(nullptr));
    EXPECT_FALSE(PanelUi::open(pluginUri(PluginVariant::full), recordWrite, &host, nullptr));
    EXPECT_TRUE(host.writes.empty());
}

TEST_F(LvUi, TheUsersChangesArePortWritesInThePortsUnits) {
    ui = openUi(pluginUri(PluginVariant::mix));
    ASSERT_TRUE(ui);
    const ParameterInfo& voco = named("Voco-Vol");
    FilmStripKnob* knob = ui->editor().getKnob(voco.index);
    ASSERT_TRUE(knob);
    knob->setValue(0.75f);
    ui->editor().valueChanged(nullptr, knob);
    ASSERT_EQ(host.writes.size(), 1u);
    EXPECT_EQ(host.writes[0].port, portOf(PluginVariant::mix, voco));
    EXPECT_EQ(host.writes[0].size, sizeof(float));
    EXPECT_EQ(host.writes[0].format, 0u);
    EXPECT_EQ(host.writes[0].value, normalisedToPortValue(voco, 0.75f));
    EXPECT_EQ(ui->controller().parameterValue(voco.index), 0.75f);
    // The display follows without the host sending the value back.
    ASSERT_TRUE(ui->editor().getDisplay(voco.index));
    EXPECT_EQ(ui->editor().getDisplay(voco.index)->getValue(), 0.75f);

    // An order is written as a whole number of taps; the knob keeps its own place.
    const ParameterInfo* order = firstOfKind(ControlKind::knob, PortUnit::taps);
    ASSERT_TRUE(order);
    ui->controller().setParameterByUser(order->index, 0.1234f);
    ASSERT_EQ(host.writes.size(), 2u);
    EXPECT_EQ(host.writes[1].value, static_cast<float>(orderFromValue(0.1234f)));
    char text[64] = "";
    ui->controller().parameterText(order->index, text);
    char expected[64] = "";
    formatPanelText(order->text, 0.1234f, expected);
    EXPECT_STREQ(text, expected);

    // Out of range is the nearest end; not a number is no change and no write.
    ui->controller().setParameterByUser(voco.index, 7.0f);
    EXPECT_EQ(host.writes.back().value, portRange(voco).maximum);
    ui->controller().setParameterByUser(voco.index, std::numeric_limits<float>::quiet_NaN());
    ui->controller().setParameterByUser(19, 0.5f);
    ui->controller().setParameterByUser(-1, 0.5f);
    EXPECT_EQ(host.writes.size(), 3u);
    EXPECT_EQ(ui->controller().parameterValue(voco.index), 1.0f);
}

TEST_F(LvUi, ADragIsBracketedWithTouchAndWritesAsItGoes) {
    ui = openUi(pluginUri(PluginVariant::full));
    ASSERT_TRUE(ui);
    const ParameterInfo* knobInfo = firstOfKind(ControlKind::knob, PortUnit::decibels);
    ASSERT_TRUE(knobInfo);
    const int32_t x = (knobInfo->controlBox.left + knobInfo->controlBox.right) / 2;
    const int32_t y = (knobInfo->controlBox.top + knobInfo->controlBox.bottom) / 2;
    const WindowHandle window = ui->editor().getFrame()->getWindow();
    const uint32_t port = portOf(PluginVariant::full, *knobInfo);
    const float before = knobValue(*knobInfo);

    testdouble::setKeyDown(kVkLButton, true);
    testdouble::sendMessage(window, kMessageLeftButtonDown, 0, testdouble::pointParam(x, y));
    ASSERT_EQ(host.touches.size(), 1u);
    EXPECT_EQ(host.touches[0].port, port);
    EXPECT_TRUE(host.touches[0].grabbed);
    testdouble::sendMessage(window, kMessageMouseMove, 0, testdouble::pointParam(x, y - 40));
    testdouble::setKeyDown(kVkLButton, false);
    testdouble::sendMessage(window, kMessageLeftButtonUp, 0, testdouble::pointParam(x, y - 40));
    ASSERT_EQ(host.touches.size(), 2u);
    EXPECT_EQ(host.touches[1].port, port);
    EXPECT_FALSE(host.touches[1].grabbed);

    ASSERT_FALSE(host.writes.empty());
    for (const Write& w : host.writes) EXPECT_EQ(w.port, port);
    EXPECT_GT(knobValue(*knobInfo), before);
    EXPECT_EQ(host.writes.back().value, normalisedToPortValue(*knobInfo, knobValue(*knobInfo)));

    // A host without touch: the same drag writes, and brackets nothing.
    ui.reset();
    host = Host();
    ui = openUi(pluginUri(PluginVariant::full), false);
    ASSERT_TRUE(ui);
    ui->editor().beginEdit(knobInfo->index);
    ui->controller().setParameterByUser(knobInfo->index, 0.5f);
    ui->editor().endEdit(knobInfo->index);
    EXPECT_TRUE(host.touches.empty());
    EXPECT_EQ(host.writes.size(), 1u);
}

TEST_F(LvUi, PortEventsMoveTheKnobTheDisplayAndTheSwitch) {
    ui = openUi(pluginUri(PluginVariant::full));
    ASSERT_TRUE(ui);
    const ParameterInfo& voco = named("Voco-Vol");
    event(portOf(PluginVariant::full, voco), -12.0f);
    const float x = portValueToNormalised(voco, -12.0f);
    EXPECT_EQ(knobValue(voco), x);
    ASSERT_TRUE(ui->editor().getDisplay(voco.index));
    EXPECT_EQ(ui->editor().getDisplay(voco.index)->getValue(), x);

    const ParameterInfo* toggle = firstOfKind(ControlKind::onOffSwitch, PortUnit::toggle);
    ASSERT_TRUE(toggle);
    event(portOf(PluginVariant::full, *toggle), 1.0f);
    ASSERT_TRUE(ui->editor().getSwitch());
    EXPECT_EQ(ui->editor().getSwitch()->getValue(), 1.0f);

    // Out of range is the port's nearest end.
    event(portOf(PluginVariant::full, voco), 1000.0f);
    EXPECT_EQ(knobValue(voco), 1.0f);

    // The host's echo of the panel's own write leaves the knob where the user put it (an
    // order between two whole orders); another value moves it.
    const ParameterInfo* order = firstOfKind(ControlKind::knob, PortUnit::taps);
    ASSERT_TRUE(order);
    ui->controller().setParameterByUser(order->index, 0.1234f);
    event(portOf(PluginVariant::full, *order), host.writes.back().value);
    EXPECT_EQ(knobValue(*order), 0.1234f);
    event(portOf(PluginVariant::full, *order), 101.0f);
    EXPECT_EQ(knobValue(*order), portValueToNormalised(*order, 101.0f));
    EXPECT_EQ(orderFromValue(knobValue(*order)), 101);
    // Port events are the host's: nothing goes back to it.
    EXPECT_EQ(host.writes.size(), 1u);
}

TEST_F(LvUi, PortEventsThatAreNoControlPortsValueChangeNothing) {
    ui = openUi(pluginUri(PluginVariant::mix));
    ASSERT_TRUE(ui);
    const ParameterInfo& voco = named("Voco-Vol");
    const uint32_t port = portOf(PluginVariant::mix, voco);
    event(port, 0.0f);
    const float shown = knobValue(voco);
    PortController& ports = ui->controller();

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const double wide = -30.0;
    const float value = -30.0f;
    EXPECT_EQ(ports.portEvent(port, sizeof nan, 0, &nan), -1);
    EXPECT_EQ(ports.portEvent(port, sizeof inf, 0, &inf), -1);
    const float minusInf = -inf;
    EXPECT_EQ(ports.portEvent(port, sizeof minusInf, 0, &minusInf), -1);
    EXPECT_EQ(ports.portEvent(port, sizeof wide, 0, &wide), -1);      // a double
    EXPECT_EQ(ports.portEvent(port, 2, 0, &value), -1);                // short
    EXPECT_EQ(ports.portEvent(port, sizeof value, 7, &value), -1);     // an atom or event
    EXPECT_EQ(ports.portEvent(port, sizeof value, 0, nullptr), -1);
    EXPECT_EQ(ports.portEvent(0, sizeof value, 0, &value), -1);       // carrier input
    EXPECT_EQ(ports.portEvent(3, sizeof value, 0, &value), -1);       // mix output
    // Beyond the stereo plug-in's ports (the full plug-in's last control port).
    EXPECT_EQ(ports.portEvent(static_cast<uint32_t>(portCount(PluginVariant::full) - 1),
                              sizeof value, 0, &value),
              -1);
    EXPECT_EQ(ports.portEvent(0xFFFFFFFFu, sizeof value, 0, &value), -1);
    ui->portEvent(port, sizeof nan, 0, &nan);
    ui->portEvent(port, sizeof value, 0, nullptr);
    EXPECT_EQ(knobValue(voco), shown);
    EXPECT_EQ(ports.parameterValue(voco.index), shown);

    // The same port then still takes a good value.
    EXPECT_EQ(ports.portEvent(port, sizeof value, 0, &value), voco.index);
    EXPECT_EQ(ports.parameterValue(voco.index), portValueToNormalised(voco, -30.0f));
}
