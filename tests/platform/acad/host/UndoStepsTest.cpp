// Undo steps follow the command loop: each command run in a document is one step of its
// drawing (commands it runs are inside it), UNDO and U leave none, and a document's drawing
// opens showing what it holds.
#include <gtest/gtest.h>

#include "HostFixture.h"
#include "acad/AcApDocument.h"
#include "acad/AcDb.h"
#include "acad/BuiltinCommands.h"
#include "acad/AcEdCommandStack.h"
#include "acad/CommandProcessor.h"
#include "acad/HostLisp.h"
#include "acad/Display.h"
#include "acad/UndoLog.h"

namespace {

AcDbDatabase* Db() { return acDocManager->curDocument()->database(); }

int CountEntities(AcDbDatabase* db) {
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return -1;
    int n = 0;
    for (AcDbObjectId id : ms->entityIds()) {
        AcDbEntity* e = nullptr;
        if (acdbOpenObject(e, id, AcDb::kForRead) == Acad::eOk) {
            ++n;
            e->close();
        }
    }
    ms->close();
    return n;
}

int AddLine() {
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, Db()->modelSpaceId(), AcDb::kForWrite) != Acad::eOk) return RTERROR;
    auto* l = new AcDbLine({0, 0, 0}, {10, 5, 0});
    ms->appendAcDbEntity(l);
    l->close();
    ms->close();
    return RTNORM;
}

class UndoSteps : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        using NUVAcad::RegisterBuiltinCommand;
        RegisterBuiltinCommand({"TLINE", 0, [] { return AddLine(); }, ""});
        RegisterBuiltinCommand({"TTWO", 0, [] { return acedCommand(RTSTR, "TLINE", RTSTR, "TLINE", 0) == RTNORM ? RTNORM : RTERROR; }, ""});
        RegisterBuiltinCommand({"TZOOM", 0, [] { return NUVAcad::displayOf(Db()).zoomScale(2) == Acad::eOk ? RTNORM : RTERROR; }, ""});
    }
    void TearDown() override {
        for (const char* n : {"TLINE", "TTWO", "TZOOM"}) NUVAcad::UnregisterBuiltinCommand(n);
        HostTest::TearDown();
    }
};

TEST_F(UndoSteps, EachCommandIsOneStepWithTheCommandsItRuns) {
    NewDoc();
    AcDbDatabase* db = Db();
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TLINE"));
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TTWO"));
    EXPECT_EQ(3, CountEntities(db));
    NUVAcad::UndoLog& log = NUVAcad::undoLogOf(db);
    EXPECT_EQ(2, log.numSteps());
    EXPECT_EQ(0, log.commandDepth());
    int undone = 0;
    std::vector<std::string> names;
    ASSERT_EQ(Acad::eOk, log.undo(1, &undone, &names));
    EXPECT_EQ(std::vector<std::string>{"TTWO"}, names);
    EXPECT_EQ(1, CountEntities(db));
    names.clear();
    ASSERT_EQ(Acad::eOk, log.undo(1, &undone, &names));
    EXPECT_EQ(std::vector<std::string>{"TLINE"}, names);
    EXPECT_EQ(0, CountEntities(db));
}

void TwoLinesByCommand() {
    acedCommand(RTSTR, "TLINE", 0);
    acedCommand(RTSTR, "TLINE", 0);
}

TEST_F(UndoSteps, ARegisteredCommandIsOneStepWithTheCommandsItRuns) {
    NewDoc();
    AcDbDatabase* db = Db();
    ASSERT_EQ(Acad::eOk, acedRegCmds->addCommand("UNDOTEST", "TMOD", "TMOD", ACRX_CMD_MODAL, TwoLinesByCommand));
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TMOD"));
    acedRegCmds->removeGroup("UNDOTEST");
    EXPECT_EQ(2, CountEntities(db));
    EXPECT_EQ(1, NUVAcad::undoLogOf(db).numSteps());
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("U"));
    EXPECT_EQ(0, CountEntities(db));
}

TEST_F(UndoSteps, AnAutoLispCommandFunctionIsOneStepAndEachCommandItCallsIsOne) {
    NewDoc();
    AcDbDatabase* db = Db();
    ASSERT_EQ(RTNORM, NUVAcad::LispCommandLine("(defun c:ttwice () (command \"TLINE\") (command \"TLINE\") (princ))"));
    EXPECT_EQ(0, NUVAcad::undoLogOf(db).numSteps()) << "defining a function changes no drawing";
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TTWICE"));
    EXPECT_EQ(2, CountEntities(db));
    EXPECT_EQ(1, NUVAcad::undoLogOf(db).numSteps());
    // Called from an expression, each command it runs is a step of its own.
    ASSERT_EQ(RTNORM, NUVAcad::LispCommandLine("(c:ttwice)"));
    EXPECT_EQ(4, CountEntities(db));
    EXPECT_EQ(3, NUVAcad::undoLogOf(db).numSteps());
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("U"));
    EXPECT_EQ(3, CountEntities(db));
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("U"));
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("U"));
    EXPECT_EQ(0, CountEntities(db)) << "the command function's two lines go in one step";
}

TEST_F(UndoSteps, UndoLeavesNoStepOfItsOwn) {
    NewDoc();
    AcDbDatabase* db = Db();
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TLINE"));
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TLINE"));
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TLINE"));
    input.enter();  // the default: one operation
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("_.UNDO"));
    EXPECT_EQ(2, CountEntities(db));
    EXPECT_EQ(2, NUVAcad::undoLogOf(db).numSteps());
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("U"));
    EXPECT_EQ(1, CountEntities(db));
    EXPECT_EQ(1, NUVAcad::undoLogOf(db).numSteps());
    input.text("Mark");
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("UNDO"));
    EXPECT_EQ(1, NUVAcad::undoLogOf(db).numSteps()) << "a mark is no step";
    input.integer(5);
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("UNDO"));
    EXPECT_EQ(0, CountEntities(db));
    EXPECT_EQ(0, NUVAcad::undoLogOf(db).numSteps());
}

TEST_F(UndoSteps, AZoomCommandIsUndoneToTheViewBefore) {
    NewDoc();
    NUVAcad::Display& d = NUVAcad::displayOf(Db());
    double before = d.viewSize();
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TZOOM"));
    EXPECT_DOUBLE_EQ(before / 2, d.viewSize());
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("U"));
    EXPECT_DOUBLE_EQ(before, d.viewSize());
}

TEST_F(UndoSteps, EachDocumentKeepsItsOwnSteps) {
    NewDoc();
    AcDbDatabase* first = Db();
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TLINE"));
    NewDoc();
    AcDbDatabase* second = Db();
    ASSERT_NE(first, second);
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TLINE"));
    ASSERT_EQ(RTNORM, NUVAcad::RunCommand("TLINE"));
    EXPECT_EQ(1, NUVAcad::undoLogOf(first).numSteps());
    EXPECT_EQ(2, NUVAcad::undoLogOf(second).numSteps());
}

TEST_F(UndoSteps, ANewDocumentShowsItsLimitsWhole) {
    NewDoc();
    const NUVAcad::DisplayView& v = NUVAcad::displayOf(Db()).view();
    // 420 x 297 in a 1024 x 768 area: the width decides, 420 * 768 / 1024 = 315 high.
    EXPECT_DOUBLE_EQ(210, v.center.x);
    EXPECT_DOUBLE_EQ(148.5, v.center.y);
    EXPECT_DOUBLE_EQ(315, v.height);
    EXPECT_EQ(0u, NUVAcad::displayOf(Db()).previousViews());
}

}  // namespace
