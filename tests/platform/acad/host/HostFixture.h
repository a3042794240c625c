// What every host test starts from: a fresh session on the virtual clock, a scripted input as
// the session's source, and the command line captured. The session is ended afterwards, so
// modules, documents and timers never leak from one test into the next.
#pragma once

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "acad/AcEd.h"
#include "acad/HostSession.h"
#include "win/Tick.h"

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        NUVWin::UseVirtualClock(1'000'000);
        NUVAcad::StartSession();
        NUVAcad::SetBaseInput(&input);
        unsetenv("PROBE_INIT_FAIL");
        unsetenv("PROBE_LOCKED");
        unsetenv("PROBE_OPEN");
    }
    void TearDown() override {
        NUVAcad::EndSession();
        NUVAcad::SetBaseInput(nullptr);
        NUVWin::UseRealClock();
    }

    static std::string Module(const std::string& file) {
        const char* dir = std::getenv("NUV_TEST_MODULES");
        return std::string(dir ? dir : ".") + "/" + file;
    }
    // A new untitled document, made active.
    static AcApDocument* NewDoc() {
        EXPECT_EQ(Acad::eOk, acDocManager->appContextNewDocument(nullptr));
        return acDocManager->mdiActiveDocument();
    }

    NUVAcad::ScriptedInput input;
    NUVAcad::OutputCapture out;
};
