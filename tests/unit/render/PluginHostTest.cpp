#ifndef _WIN32

#include <gtest/gtest.h>

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

#endif
