// A fixture holding one instance of the built plug-in, loaded as a host loads it.
#pragma once

#include <gtest/gtest.h>

#include "support/vst_host.h"

class LoadedPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.loaded()) << host.error();
        ASSERT_NE(host.instantiate(), nullptr);
        effect = host.effect();
    }

    VstHost host{ORVAN_PLUGIN_PATH};
    AEffect* effect = nullptr;
};
