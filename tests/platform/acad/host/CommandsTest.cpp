// The command stack, typed command names with their prefixes, the command loop, and
// acedCommand / acedCmd feeding answers to commands.
#include <string>
#include <vector>

#include "HostFixture.h"

namespace {

using NUVAcad::Input;

std::vector<std::string> ran;

void CmdA() { ran.push_back("A"); }
void CmdB() { ran.push_back("B"); }

// Reads two answers and notes them.
void CmdAsk() {
    std::string got = "ASK";
    for (int i = 0; i < 2; ++i) {
        Input in = NUVAcad::ReadInput(NUVAcad::InputRequest{"\nAnswer: ", NUVAcad::InputRequest::Level::Prompt, false});
        got += " " + (in.is(Input::Kind::Enter) ? std::string("<>") : in.display());
        if (in.is(Input::Kind::Cancel) || in.is(Input::Kind::End)) break;
    }
    ran.push_back(got);
}

// Reports what the variables say while it runs, and tries a transparent and a plain command.
void CmdInside() {
    resbuf active, names;
    acedGetVar("CMDACTIVE", &active);
    acedGetVar("CMDNAMES", &names);
    ran.push_back("INSIDE " + std::to_string(active.resval.rint) + " " + names.resval.rstring);
    acutDelString(names.resval.rstring);
    NUVAcad::RunCommand("'TSEE");
    NUVAcad::RunCommand("'TA");
}

void CmdSee() {
    resbuf names;
    acedGetVar("CMDNAMES", &names);
    ran.push_back(std::string("SEE ") + names.resval.rstring);
    acutDelString(names.resval.rstring);
}

void CmdThrow() { throw std::runtime_error("boom"); }

class Commands : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ran.clear();
        NewDoc();
        out.take();
    }
    void TearDown() override {
        acedRegCmds->removeGroup("T1");
        acedRegCmds->removeGroup("T2");
        NUVAcad::UnregisterBuiltinCommand("TA");
        NUVAcad::UnregisterBuiltinCommand("-TB");
        HostTest::TearDown();
    }
    static void AddT1() {
        AcEdCommandStack* s = acedRegCmds;
        ASSERT_EQ(Acad::eOk, s->addCommand("T1", "TA", "TALOCAL", ACRX_CMD_MODAL, CmdA));
        ASSERT_EQ(Acad::eOk, s->addCommand("T1", "TASK", "TASK", ACRX_CMD_MODAL, CmdAsk));
        ASSERT_EQ(Acad::eOk, s->addCommand("T1", "TINSIDE", "TINSIDE", ACRX_CMD_MODAL, CmdInside));
        ASSERT_EQ(Acad::eOk, s->addCommand("T1", "TSEE", "TSEE", ACRX_CMD_TRANSPARENT, CmdSee));
        ASSERT_EQ(Acad::eOk, s->addCommand("T1", "TTHROW", "TTHROW", ACRX_CMD_MODAL, CmdThrow));
    }
};

TEST_F(Commands, DuplicateNamesAreRefusedWithinAGroupOnly) {
    AcEdCommandStack* s = acedRegCmds;
    ASSERT_EQ(Acad::eOk, s->addCommand("T1", "ONE", "UNO", 0, CmdA));
    struct Case {
        const char *group, *global, *local;
        AcRxFunctionPtr fn;
        Acad::ErrorStatus expected;
    } cases[] = {
        {"T1", "ONE", "OTHER", CmdB, Acad::eDuplicateKey},  // same global name
        {"T1", "one", "OTHER", CmdB, Acad::eDuplicateKey},  // letter case does not matter
        {"T1", "TWO", "uno", CmdB, Acad::eDuplicateKey},    // same local name
        {"T1", "TWO", "DOS", CmdB, Acad::eOk},
        {"t2", "ONE", "UNO", CmdB, Acad::eOk},              // another group may use the name
        {"T1", "", "X", CmdB, Acad::eInvalidInput},
        {"T1", "X", "", CmdB, Acad::eInvalidInput},
        {"T1", "TW O", "X", CmdB, Acad::eInvalidInput},
        {"", "X", "X", CmdB, Acad::eInvalidInput},
        {"T1", "X", "X", nullptr, Acad::eInvalidInput},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, s->addCommand(c.group, c.global, c.local, 0, c.fn)) << c.group << "/" << c.global << "/" << c.local;
}

TEST_F(Commands, LookupFindsTheTopGroupFirstByGlobalOrLocalName) {
    AcEdCommandStack* s = acedRegCmds;
    s->addCommand("T1", "SAME", "PAREIL", 0, CmdA);
    s->addCommand("T2", "SAME", "GLEICH", 0, CmdB);
    EXPECT_EQ(CmdB, s->lookupGlobalCmd("same")->functionAddr()) << "the group added last wins";
    EXPECT_EQ(CmdA, s->lookupLocalCmd("pareil")->functionAddr());
    EXPECT_EQ(nullptr, s->lookupGlobalCmd("PAREIL")) << "a local name is not a global one";
    ASSERT_EQ(Acad::eOk, s->popGroupToTop("T1"));
    EXPECT_EQ(CmdA, s->lookupGlobalCmd("SAME")->functionAddr());
    EXPECT_STREQ("T1", s->lookupGlobalCmd("SAME")->groupName());

    std::vector<std::string> order;
    AcEdCommandIterator* it = s->iterator();
    for (; !it->done(); it->next())
        if (std::string(it->commandGroup()) == "T1" || std::string(it->commandGroup()) == "T2")
            order.push_back(std::string(it->commandGroup()) + ":" + it->command()->localName());
    delete it;
    EXPECT_EQ((std::vector<std::string>{"T1:PAREIL", "T2:GLEICH"}), order);

    EXPECT_EQ(Acad::eOk, s->removeCmd("T1", "SAME"));
    EXPECT_EQ(Acad::eKeyNotFound, s->removeCmd("T1", "SAME"));
    EXPECT_EQ(CmdB, s->lookupGlobalCmd("SAME")->functionAddr());
    EXPECT_EQ(Acad::eOk, s->removeGroup("T2"));
    EXPECT_EQ(Acad::eKeyNotFound, s->removeGroup("T2"));
    EXPECT_EQ(nullptr, s->lookupGlobalCmd("SAME"));
}

TEST_F(Commands, TypedNamesWithTheHostsPrefixes) {
    AddT1();
    NUVAcad::RegisterBuiltinCommand({"TA", 0, [] { ran.push_back("builtin TA"); return RTNORM; }, ""});
    NUVAcad::RegisterBuiltinCommand({"-TB", 0, [] { ran.push_back("builtin -TB"); return RTNORM; }, ""});
    struct Case {
        const char* typed;
        const char* runs;  // "" for unknown
    } cases[] = {
        {"TA", "A"},          {"ta", "A"},           {"TALOCAL", "A"},    {"_TA", "A"},
        {"_TALOCAL", ""},     // "_" asks for the global name
        {".TA", "builtin TA"}, {"._TA", "builtin TA"}, {"_.ta", "builtin TA"},
        {"-TB", "builtin -TB"}, {"TB", ""},           {"-TA", "A"},        // "-" dropped when only the plain name exists
        {"NOSUCH", ""},
    };
    for (const Case& c : cases) {
        ran.clear();
        int status = NUVAcad::RunCommand(c.typed);
        if (*c.runs) {
            EXPECT_EQ(RTNORM, status) << c.typed;
            EXPECT_EQ(std::vector<std::string>{c.runs}, ran) << c.typed;
        } else {
            EXPECT_EQ(RTERROR, status) << c.typed;
            EXPECT_TRUE(ran.empty()) << c.typed;
            EXPECT_NE(std::string::npos, out.take().find("Unknown command")) << c.typed;
        }
    }
}

TEST_F(Commands, CommandLoopRunsTypedCommandsAndEnterRepeatsTheLast) {
    AddT1();
    input.text("TA").enter().text("TASK").text("x").point(1, 2);
    EXPECT_EQ(0, NUVAcad::RunCommandLoop());
    EXPECT_EQ((std::vector<std::string>{"A", "A", "ASK x 1,2,0"}), ran);
}

TEST_F(Commands, CancelledCommandReportsRtcan) {
    AddT1();
    input.text("x").cancel();
    EXPECT_EQ(RTCAN, NUVAcad::RunCommand("TASK"));
    EXPECT_EQ(std::vector<std::string>{"ASK x *Cancel*"}, ran);
}

TEST_F(Commands, AcedCommandFeedsItsArgumentsAsAnswers) {
    AddT1();
    resbuf off;
    off.restype = RTSHORT;
    off.resval.rint = 0;
    acedSetVar("CMDECHO", &off);
    ads_point p = {3, 4, 5};
    EXPECT_EQ(RTNORM, acedCommand(RTSTR, "TASK", RT3DPOINT, p, RTREAL, 2.5, 0));
    EXPECT_EQ(RTNORM, acedCommand(RTSTR, "TASK", RTSHORT, 7, RTSTR, "", 0));
    EXPECT_EQ(RTNORM, acedCommand(RTSTR, "TASK", RTPOINT, p, RTLONG, 100000L, 0));
    EXPECT_EQ(RTNORM, acedCommand(RTSTR, "TA", RTSTR, "TA", 0));
    EXPECT_EQ((std::vector<std::string>{"ASK 3,4,5 2.5", "ASK 7 <>", "ASK 3,4,0 100000", "A", "A"}), ran);
    EXPECT_EQ("", out.take()) << "CMDECHO 0 echoes nothing";
}

TEST_F(Commands, AcedCommandEchoesWithCmdecho) {
    AddT1();
    EXPECT_EQ(RTNORM, acedCommand(RTSTR, "TASK", RTSTR, "a", RTSTR, "b", 0));
    EXPECT_EQ("\nCommand: TASK\n\nAnswer: a\n\nAnswer: b\n", out.take());
}

TEST_F(Commands, CommandGivenTooFewAnswersGoesOnWithTheUsers) {
    AddT1();
    input.text("from-user");
    EXPECT_EQ(RTNORM, acedCommand(RTSTR, "TASK", RTSTR, "given", 0));
    EXPECT_EQ(std::vector<std::string>{"ASK given from-user"}, ran);
    ran.clear();
    input.text("paused");
    EXPECT_EQ(RTNORM, acedCommand(RTSTR, "TASK", RTSTR, "\\", RTSTR, "after", 0));
    EXPECT_EQ(std::vector<std::string>{"ASK paused after"}, ran);
    ran.clear();
    // Nothing left anywhere: the command is cancelled.
    EXPECT_EQ(RTCAN, acedCommand(RTSTR, "TASK", 0));
    EXPECT_EQ(std::vector<std::string>{"ASK *Cancel*"}, ran);
}

TEST_F(Commands, AcedCommandRefusesBadArgumentsAndUnknownCommands) {
    AddT1();
    EXPECT_EQ(RTERROR, acedCommand(RTSTR, "TA", 9999, 0));
    EXPECT_TRUE(ran.empty()) << "nothing runs when an argument code is bad";
    EXPECT_EQ(RTERROR, acedCommand(RTSTR, "NOSUCH", 0));
    EXPECT_EQ(RTNORM, acedCommand(0));
}

TEST_F(Commands, AcedCmdTakesAChain) {
    AddT1();
    resbuf* chain = acutBuildList(RTSTR, "TASK", RTSHORT, 12, RTSTR, "z", 0);
    EXPECT_EQ(RTNORM, acedCmd(chain));
    acutRelRb(chain);
    EXPECT_EQ(std::vector<std::string>{"ASK 12 z"}, ran);
    resbuf* bad = acutBuildList(RTSTR, "TA", RTLB, RTLE, 0);
    EXPECT_EQ(RTERROR, acedCmd(bad));
    acutRelRb(bad);
}

TEST_F(Commands, TransparentCommandsRunInsideOthersAndOthersAreRefused) {
    AddT1();
    EXPECT_EQ(RTNORM, NUVAcad::RunCommand("TINSIDE"));
    EXPECT_EQ((std::vector<std::string>{"INSIDE 1 TINSIDE", "SEE TINSIDE'TSEE"}), ran);
    EXPECT_NE(std::string::npos, out.take().find("** TA cannot be used inside another command **"));
    EXPECT_EQ(0, NUVAcad::CommandDepth());
}

TEST_F(Commands, ModuleCommandsRunNestedAndRemoveThemselves) {
    ASSERT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str()));
    out.take();
    EXPECT_EQ(RTNORM, NUVAcad::RunCommand("PROBENESTED"));
    EXPECT_EQ("\nCommand: PROBEHELLO\n[probe] hello in Drawing1.dwg\n[probe] nested 5100\n", out.take());
    EXPECT_EQ(RTNORM, NUVAcad::RunCommand("PROBEREMOVE"));
    EXPECT_EQ("[probe] group removed\n", out.take());
    EXPECT_EQ(nullptr, acedRegCmds->lookupGlobalCmd("PROBEHELLO"));
}

TEST_F(Commands, SameCommandInTwoModulesRunsTheLastLoaded) {
    ASSERT_EQ(RTNORM, acedArxLoad(Module("probe.arx").c_str()));
    ASSERT_EQ(RTNORM, acedArxLoad(Module("probe2.arx").c_str()));
    out.take();
    NUVAcad::RunCommand("SHARED");
    EXPECT_EQ("[probe2] shared\n", out.take());
    ASSERT_EQ(RTNORM, acedArxUnload("probe2"));
    out.take();
    NUVAcad::RunCommand("SHARED");
    EXPECT_EQ("[probe] shared\n", out.take());
}

TEST_F(Commands, ExceptionEscapingACommandIsReportedNotFatal) {
    AddT1();
    EXPECT_EQ(RTERROR, NUVAcad::RunCommand("TTHROW"));
    EXPECT_NE(std::string::npos, out.take().find("TTHROW failed"));
    EXPECT_EQ(0, NUVAcad::CommandDepth());
    EXPECT_TRUE(acDocManager->isApplicationContext());
}

}  // namespace
