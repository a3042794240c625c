// Each test gets its own registry files and a scratch folder, so values written by one test are
// never read by another, and the registry files can be read back as text.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TempDir.h"

class ZQTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = std::getenv("NUV_REGISTRY_DIR") ? std::getenv("NUV_REGISTRY_DIR") : "";
        ::setenv("NUV_REGISTRY_DIR", registry_.path().c_str(), 1);
    }
    void TearDown() override { ::setenv("NUV_REGISTRY_DIR", saved_.c_str(), 1); }

    std::string UserHive() const { return ReadAll(registry_.File("user.reg")); }
    std::string MachineHive() const { return ReadAll(registry_.File("machine.reg")); }
    void WriteMachineHive(const std::string& text) const { registry_.Touch("machine.reg", text); }

    TempDir registry_;
    TempDir dir_;

private:
    std::string saved_;
};
