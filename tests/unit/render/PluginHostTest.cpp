#ifndef _WIN32

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "tools/render/ParameterAssignment.h"
#include "tools/render/PluginHost.h"

TEST(RenderPluginHost, TheCallbackAnswersLikeAnOfflineHost) {
    PluginHost host;
    std::string error;
    ASSERT_TRUE(host.load(rendertest::pluginPath(), 48000.0, 256, error)) << error;
    AEffect* effect = host.effect();
    EXPECT_EQ(PluginHost::callback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
    EXPECT_EQ(PluginHost::callback(effect, audioMasterGetSampleRate, 0, 0, nullptr, 0.0f), 48000);
    EXPECT_EQ(PluginHost::callback(effect, audioMasterGetBlockSize, 0, 0, nullptr, 0.0f), 256);
    char startStop[] = "startStopProcess";
    char events[] = "sendVstEvents";
    EXPECT_EQ(PluginHost::callback(effect, audioMasterCanDo, 0, 0, startStop, 0.0f), 1);
    EXPECT_EQ(PluginHost::callback(effect, audioMasterCanDo, 0, 0, events, 0.0f), 0);
    EXPECT_EQ(PluginHost::callback(effect, audioMasterAutomate, 3, 0, nullptr, 0.5f), 0);
    EXPECT_EQ(PluginHost::callback(effect, audioMasterGetTime, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(PluginHost::callback(effect, 9999, 0, 0, nullptr, 0.0f), 0);
    char vendor[64] = "";
    EXPECT_EQ(PluginHost::callback(effect, audioMasterGetVendorString, 0, 0, vendor, 0.0f), 1);
    EXPECT_STREQ(vendor, "Ostraquelle");

    EXPECT_EQ(host.numInputs(), 2);
    EXPECT_EQ(host.numOutputs(), 8);
    EXPECT_EQ(host.numParams(), 21);
    EXPECT_EQ(host.effectName(), "Ostraquelle");
    EXPECT_EQ(ParameterAssignment::find(host, "Pred-Order"), 7);
    EXPECT_EQ(ParameterAssignment::find(host, "w-carrier-vol"), 4);
    EXPECT_EQ(ParameterAssignment::find(host, ""), -1);  // index 19 has no name
    EXPECT_EQ(ParameterAssignment::find(host, "Pred"), -1);
    host.unload();
    host.unload();
    EXPECT_EQ(host.effect(), nullptr);
}

// The editor's libraries (XCB, FreeType and theirs) cost a millisecond to load; a render never
// shows the editor, so loading the plug-in and processing with it must not load them. Asking
// for an editor does (here it stays closed: the parent is no window, or there is no X server).
TEST(RenderPluginHost, TheEditorsLibrariesAreLoadedOnlyWhenAnEditorIsAskedFor) {
    auto loaded = [](const char* name) {
        void* handle = dlopen(name, RTLD_NOW | RTLD_NOLOAD);
        if (handle) dlclose(handle);
        return handle != nullptr;
    };
    ASSERT_FALSE(loaded("libxcb.so.1")) << "the test program itself has XCB loaded";
    PluginHost host;
    std::string error;
    ASSERT_TRUE(host.load(rendertest::pluginPath(), 44100.0, 64, error)) << error;
    host.start();
    std::vector<float> carrier(64, 0.25f), modulator(64, -0.5f);
    std::vector<std::vector<float>> out(8, std::vector<float>(64));
    float* inputs[2] = {carrier.data(), modulator.data()};
    float* outputs[8];
    for (size_t i = 0; i < out.size(); ++i) outputs[i] = out[i].data();
    host.process(inputs, outputs, 64);
    EXPECT_FALSE(loaded("libxcb.so.1"));
    EXPECT_FALSE(loaded("libfreetype.so.6"));

    AEffect* effect = host.effect();
    void* noWindow = reinterpret_cast<void*>(static_cast<uintptr_t>(0x7ffffff));
    EXPECT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, noWindow, 0.0f), 0);
    EXPECT_TRUE(loaded("libxcb.so.1"));
    host.unload();
}

#endif
