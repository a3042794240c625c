// A host session with the kernel loaded as nuvcad loads it (ZQCAD.arx, then NUVKernel.arx), an
// installation folder and a registry of the test's own, a scripted input and the command line
// captured. The session ends after each test, so nothing leaks into the next.
#pragma once

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "acad/AcEd.h"
#include "acad/HostLisp.h"
#include "acad/HostSession.h"
#include "win/Encoding.h"
#include "win/Tick.h"

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("NUV_REGISTRY_DIR", registry.path().c_str(), 1);
        ::setenv("NUV_INSTALL_DIR", install.path().c_str(), 1);
        install.Touch("sys/nuv.rx");
        NUVWin::UseVirtualClock(1'000'000);
        NUVAcad::StartSession();
        NUVAcad::SetBaseInput(&input);
    }
    void TearDown() override {
        NUVAcad::EndSession();
        NUVAcad::SetBaseInput(nullptr);
        NUVWin::UseRealClock();
        ::unsetenv("NUV_INSTALL_DIR");
    }

    static void LoadKernel() {
        ASSERT_EQ(RTNORM, acedArxLoad(ZQCAD_MODULE));
        ASSERT_EQ(RTNORM, acedArxLoad(KERNEL_MODULE));
    }
    static std::string TestModule(const std::string& rel) { return std::string(FRAME_TEST_MODULES) + "/" + rel; }

    // A new untitled document, made active and current.
    static AcApDocument* NewDoc() {
        EXPECT_EQ(Acad::eOk, acDocManager->appContextNewDocument(nullptr));
        return acDocManager->mdiActiveDocument();
    }
    static void Activate(AcApDocument* doc) {
        ASSERT_EQ(Acad::eOk, acDocManager->activateDocument(doc));
        NUVAcad::RunIdleTasks();
    }

    // What typing the expression (UTF-8 here, GBK to the host) at the command prompt prints.
    std::string Typed(const std::string& utf8) {
        out.take();
        NUVAcad::LispCommandLine(NUVWin::Utf8ToGbk(utf8));
        return NUVWin::GbkToUtf8(out.take());
    }
    std::string Command(const std::string& name) {
        out.take();
        NUVAcad::RunCommand(name);
        return NUVWin::GbkToUtf8(out.take());
    }

    TempDir registry, install, files;
    NUVAcad::ScriptedInput input;
    NUVAcad::OutputCapture out;
};
