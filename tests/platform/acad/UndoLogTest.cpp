// Undo recording: created, erased and changed objects come back exactly (same id and handle),
// steps are commands, groups and changes made outside commands, marks are gone back to, and a
// failed command leaves the drawing as it was.
#include <gtest/gtest.h>

#include <cstring>

#include "EditorFixture.h"
#include "TempDir.h"
#include "acad/Display.h"
#include "acad/UndoLog.h"

using NUVAcad::undoLogOf;
using NUVAcad::UndoLog;

namespace {

struct UndoTest : EditorFixture {
    UndoLog& log() { return undoLogOf(&db); }

    int color(AcDbObjectId id) {
        AcDbEntity* e = nullptr;
        if (acdbOpenObject(e, id, AcDb::kForRead, true) != Acad::eOk) return -100;
        int c = e->colorIndex();
        e->close();
        return c;
    }
    void setColor(AcDbObjectId id, int c) {
        AcDbEntity* e = nullptr;
        ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForWrite), Acad::eOk);
        ASSERT_EQ(e->setColorIndex(c), Acad::eOk);
        e->close();
    }
    void erase(AcDbObjectId id) {
        AcDbObject* o = nullptr;
        ASSERT_EQ(acdbOpenObject(o, id, AcDb::kForWrite), Acad::eOk);
        ASSERT_EQ(o->erase(), Acad::eOk);
        o->close();
    }
    // Entities of model space that are not erased.
    int liveEntities() {
        AcDbBlockTableRecord* btr = nullptr;
        EXPECT_EQ(acdbOpenObject(btr, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
        int n = 0;
        for (AcDbObjectId id : btr->entityIds())
            if (id.isValid() && !id.isErased()) ++n;
        btr->close();
        return n;
    }
    bool layerExists(const char* name) {
        AcDbLayerTable* t = nullptr;
        EXPECT_EQ(db.getLayerTable(t, AcDb::kForRead), Acad::eOk);
        bool has = t->has(name);
        t->close();
        return has;
    }
    int undo(int n) {
        int done = -1;
        EXPECT_EQ(log().undo(n, &done), Acad::eOk);
        return done;
    }
};

TEST_F(UndoTest, UndoneCreationIsGoneAndItsHandleNamesNothing) {
    long before = db.approxNumObjects();
    log().beginCommand("LINE");
    AcDbObjectId id = addLine({0, 0, 0}, {10, 0, 0});
    log().endCommand();
    AcDbHandle h = id.handle();
    ASSERT_EQ(liveEntities(), 1);

    EXPECT_EQ(undo(1), 1);
    EXPECT_EQ(liveEntities(), 0);
    EXPECT_FALSE(id.isValid());
    AcDbObject* o = nullptr;
    EXPECT_EQ(acdbOpenObject(o, id, AcDb::kForRead, true), Acad::eWasErased);
    ads_name n;
    EXPECT_EQ(acdbHandEnt(h.asString().c_str(), n), RTERROR);
    EXPECT_EQ(db.approxNumObjects(), before);
    // The model space no longer lists it: the saved drawing has no LINE.
    std::string dxf;
    ASSERT_EQ(db.writeDxf(dxf), Acad::eOk);
    EXPECT_EQ(dxf.find("\nLINE\n"), std::string::npos);
}

TEST_F(UndoTest, UndoneEraseAndChangeComeBackUnderTheSameIdAndHandle) {
    AcDbObjectId a = addLine({0, 0, 0}, {10, 0, 0}, 1);
    AcDbObjectId b = addLine({0, 5, 0}, {10, 5, 0}, 2);
    AcDbHandle ha = a.handle(), hb = b.handle();

    log().beginCommand("ERASE");
    erase(a);
    log().endCommand();
    log().beginCommand("CHPROP");
    setColor(b, 5);
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, b, AcDb::kForWrite), Acad::eOk);
    line->setEndPoint({20, 7, 0});
    line->close();
    log().endCommand();

    EXPECT_EQ(undo(1), 1);
    EXPECT_EQ(color(b), 2);
    ASSERT_EQ(acdbOpenObject(line, b, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(line->endPoint(), AcGePoint3d(10, 5, 0));
    EXPECT_EQ(line->handle(), hb);
    EXPECT_EQ(line->ownerId(), db.modelSpaceId());
    line->close();
    EXPECT_TRUE(a.isErased());

    EXPECT_EQ(undo(1), 1);
    EXPECT_FALSE(a.isErased());
    EXPECT_EQ(a.handle(), ha);
    EXPECT_EQ(color(a), 1);
    ads_name n;
    ASSERT_EQ(acdbHandEnt(ha.asString().c_str(), n), RTNORM);
    AcDbObjectId back;
    ASSERT_EQ(acdbGetObjectId(back, n), Acad::eOk);
    EXPECT_EQ(back, a);
}

TEST_F(UndoTest, EachCommandIsOneStepAndTheCountStopsAtTheStart) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0}, 1);
    log().beginCommand("A");
    setColor(id, 2);
    log().endCommand();
    log().beginCommand("B");
    setColor(id, 3);
    setColor(id, 4);  // a second change in one step is part of the same step
    log().endCommand();
    log().beginCommand("C");
    setColor(id, 5);
    log().endCommand();
    EXPECT_EQ(log().numSteps(), 4);  // the line made outside commands is a step too

    std::vector<std::string> names;
    int done = 0;
    ASSERT_EQ(log().undo(2, &done, &names), Acad::eOk);
    EXPECT_EQ(done, 2);
    EXPECT_EQ(names, (std::vector<std::string>{"C", "B"}));
    EXPECT_EQ(color(id), 2);
    EXPECT_EQ(log().numSteps(), 2);
    EXPECT_EQ(undo(10), 2);
    EXPECT_FALSE(id.isValid());
    EXPECT_EQ(undo(1), 0);
}

TEST_F(UndoTest, ChangesOutsideCommandsAreOneStep) {
    AcDbObjectId a = addLine({0, 0, 0}, {1, 0, 0});
    AcDbObjectId b = addLine({0, 1, 0}, {1, 1, 0});
    log().beginCommand("X");
    setColor(a, 3);
    log().endCommand();
    AcDbObjectId c = addLine({0, 2, 0}, {1, 2, 0});
    setColor(b, 6);
    EXPECT_EQ(undo(1), 1);
    EXPECT_FALSE(c.isValid());
    EXPECT_EQ(color(b), 256);
    EXPECT_EQ(color(a), 3);
    EXPECT_EQ(undo(1), 1);
    EXPECT_EQ(color(a), 256);
    EXPECT_EQ(undo(1), 1);
    EXPECT_FALSE(a.isValid());
    EXPECT_FALSE(b.isValid());
}

TEST_F(UndoTest, BackGoesToTheLatestMarkAndRemovesIt) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0}, 1);
    log().mark();
    log().beginCommand("A");
    setColor(id, 2);
    log().endCommand();
    log().mark();
    log().beginCommand("B");
    setColor(id, 3);
    log().endCommand();
    log().beginCommand("C");
    setColor(id, 4);
    log().endCommand();

    std::vector<std::string> names;
    ASSERT_EQ(log().back(&names), Acad::eOk);
    EXPECT_EQ(color(id), 2);
    EXPECT_EQ(names, (std::vector<std::string>{"C", "B"}));
    EXPECT_TRUE(log().hasMark());
    ASSERT_EQ(log().back(), Acad::eOk);
    EXPECT_EQ(color(id), 1);
    EXPECT_FALSE(log().hasMark());
    // Without a mark, Back undoes everything there is.
    ASSERT_EQ(log().back(), Acad::eOk);
    EXPECT_FALSE(id.isValid());
    EXPECT_EQ(log().numSteps(), 0);
}

TEST_F(UndoTest, AGroupIsUndoneAsOneStep) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0}, 1);
    log().beginGroup();
    log().beginCommand("A");
    setColor(id, 2);
    log().endCommand();
    log().beginCommand("B");
    setColor(id, 3);
    log().endCommand();
    EXPECT_TRUE(log().endGroup());
    EXPECT_FALSE(log().endGroup());
    log().beginCommand("C");
    setColor(id, 4);
    log().endCommand();

    std::vector<std::string> names;
    int done = 0;
    ASSERT_EQ(log().undo(1, &done, &names), Acad::eOk);
    EXPECT_EQ(color(id), 3);
    ASSERT_EQ(log().undo(1, &done, &names), Acad::eOk);
    EXPECT_EQ(color(id), 1);
    EXPECT_EQ(names, (std::vector<std::string>{"C", "GROUP"}));
}

TEST_F(UndoTest, BeginWhileAGroupIsOpenEndsItFirst) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0}, 1);
    log().beginGroup();
    setColor(id, 2);
    log().beginGroup();  // ends the first group
    setColor(id, 3);
    log().endGroup();
    EXPECT_FALSE(log().inGroup());
    EXPECT_EQ(undo(1), 1);
    EXPECT_EQ(color(id), 2);
    EXPECT_EQ(undo(1), 1);
    EXPECT_EQ(color(id), 1);
}

TEST_F(UndoTest, UndoClosesAnOpenGroupAndUndoesItWhole) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0}, 1);
    log().beginGroup();
    setColor(id, 2);
    log().beginCommand("A");
    setColor(id, 3);
    log().endCommand();
    EXPECT_EQ(log().numSteps(), 2);
    EXPECT_EQ(undo(1), 1);
    EXPECT_FALSE(log().inGroup());
    EXPECT_EQ(color(id), 1);
}

// A command that marks, lets another command erase, and goes back to the mark gets its objects
// back and stays one step.
TEST_F(UndoTest, MarkAndBackInsideACommand) {
    AcDbObjectId kept = addLine({0, 0, 0}, {1, 0, 0});
    log().beginCommand("MAKEBLOCK");
    AcDbObjectId made = addLine({0, 1, 0}, {1, 1, 0});
    log().mark();
    log().beginCommand("WBLOCK");
    erase(kept);
    erase(made);
    log().endCommand();
    ASSERT_EQ(log().back(), Acad::eOk);
    EXPECT_FALSE(kept.isErased());
    EXPECT_FALSE(made.isErased());
    EXPECT_EQ(log().commandDepth(), 1);
    log().endCommand();
    EXPECT_EQ(undo(1), 1);
    EXPECT_FALSE(made.isValid());
    EXPECT_TRUE(kept.isValid());
    EXPECT_FALSE(kept.isErased());
}

TEST_F(UndoTest, AFailedCommandLeavesTheDrawingAsItWas) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0}, 1);
    int steps = log().numSteps();
    log().beginCommand("BROKEN");
    setColor(id, 4);
    AcDbObjectId made = addLine({5, 5, 0}, {6, 6, 0});
    addLayer("HALF");
    log().endCommand(false);
    EXPECT_EQ(color(id), 1);
    EXPECT_FALSE(made.isValid());
    EXPECT_FALSE(layerExists("HALF"));
    EXPECT_EQ(log().numSteps(), steps);
    EXPECT_EQ(liveEntities(), 1);
}

TEST_F(UndoTest, SymbolTableRecordsAndRenamesAreUndone) {
    AcDbObjectId layer = addLayer("DUCT", 3);
    log().beginCommand("RENAME");
    AcDbLayerTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, layer, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(rec->setName("PIPE"), Acad::eOk);
    rec->close();
    log().endCommand();
    ASSERT_TRUE(layerExists("PIPE"));
    ASSERT_FALSE(layerExists("DUCT"));

    EXPECT_EQ(undo(1), 1);
    EXPECT_TRUE(layerExists("DUCT"));
    EXPECT_FALSE(layerExists("PIPE"));
    EXPECT_EQ(undo(1), 1);
    EXPECT_FALSE(layerExists("DUCT"));
    // The table can take the name again.
    addLayer("DUCT");
    EXPECT_TRUE(layerExists("DUCT"));
}

TEST_F(UndoTest, PolylineVerticesFollowTheirPolyline) {
    AcGePoint3dArray pts;
    pts.append({0, 0, 0});
    pts.append({10, 0, 0});
    pts.append({10, 10, 0});
    AcDbObjectId id = append(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts));
    std::vector<AcDbObjectId> verts;
    {
        AcDb2dPolyline* pl = nullptr;
        ASSERT_EQ(acdbOpenObject(pl, id, AcDb::kForRead), Acad::eOk);
        verts.assign(pl->subentList()->ids().begin(), pl->subentList()->ids().end());
        pl->close();
    }
    ASSERT_EQ(verts.size(), 3u);

    log().beginCommand("CHPROP");
    setColor(id, 1);  // the vertices take the colour without being opened
    log().endCommand();
    ASSERT_EQ(color(verts[1]), 1);
    log().beginCommand("ERASE");
    erase(id);
    log().endCommand();
    ASSERT_TRUE(verts[2].isErased());

    // The polyline still lists its own vertices, in order.
    auto vertexIds = [&] {
        std::vector<AcDbObjectId> ids;
        AcDb2dPolyline* pl = nullptr;
        EXPECT_EQ(acdbOpenObject(pl, id, AcDb::kForRead), Acad::eOk);
        if (!pl) return ids;
        std::unique_ptr<AcDbObjectIterator> it(pl->vertexIterator());
        for (it->start(); !it->done(); it->step()) ids.push_back(it->objectId());
        pl->close();
        return ids;
    };
    EXPECT_EQ(undo(1), 1);
    for (AcDbObjectId v : verts) EXPECT_FALSE(v.isErased());
    EXPECT_EQ(vertexIds(), verts);
    EXPECT_EQ(undo(1), 1);
    for (AcDbObjectId v : verts) EXPECT_EQ(color(v), 256);
    EXPECT_EQ(vertexIds(), verts);
    EXPECT_EQ(undo(1), 1);
    for (AcDbObjectId v : verts) EXPECT_FALSE(v.isValid());
}

TEST_F(UndoTest, GroupMembershipLinksAreUndone) {
    AcDbObjectId a = addLine({0, 0, 0}, {1, 0, 0});
    log().beginCommand("GROUP");
    AcDbDictionary* groups = nullptr;
    ASSERT_EQ(db.getGroupDictionary(groups, AcDb::kForWrite), Acad::eOk);
    auto* g = new AcDbGroup("ducts");
    AcDbObjectId gid;
    ASSERT_EQ(groups->setAt("G1", g, gid), Acad::eOk);
    ASSERT_EQ(g->append(a), Acad::eOk);
    g->close();
    groups->close();
    log().endCommand();
    AcDbObject* o = nullptr;
    ASSERT_EQ(acdbOpenObject(o, a, AcDb::kForRead), Acad::eOk);
    ASSERT_TRUE(o->hasPersistentReactor(gid));
    o->close();

    EXPECT_EQ(undo(1), 1);
    ASSERT_EQ(acdbOpenObject(o, a, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(o->persistentReactorIds().empty());
    o->close();
    ASSERT_EQ(db.getGroupDictionary(groups, AcDb::kForRead), Acad::eOk);
    EXPECT_FALSE(groups->has("G1"));
    groups->close();
}

TEST_F(UndoTest, NothingIsUndoneWhileAnObjectIsOpen) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0}, 1);
    log().beginCommand("A");
    setColor(id, 2);
    log().endCommand();
    AcDbEntity* e = nullptr;
    ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
    int done = -1;
    EXPECT_EQ(log().undo(1, &done), Acad::eWasOpenForWrite);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(log().back(), Acad::eWasOpenForWrite);
    EXPECT_EQ(e->colorIndex(), 2);
    e->close();
    EXPECT_EQ(undo(1), 1);
    EXPECT_EQ(color(id), 1);
}

TEST_F(UndoTest, ControlNoneForgetsAndStopsRecording) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0}, 1);
    log().setEnabled(false);
    EXPECT_EQ(log().numSteps(), 0);
    setColor(id, 2);
    EXPECT_EQ(undo(1), 0);
    EXPECT_EQ(color(id), 2);
    log().setEnabled(true);
    setColor(id, 3);
    EXPECT_EQ(undo(1), 1);
    EXPECT_EQ(color(id), 2);
}

TEST_F(UndoTest, DrawingsWithoutADocumentAndReadDrawingsStartWithNothingToUndo) {
    AcDbDatabase side(true, true);
    EXPECT_FALSE(side.undoRecording());
    AcDbObjectId id = append(new AcDbLine({0, 0, 0}, {1, 1, 0}), &side);
    EXPECT_EQ(undoLogOf(&side).numSteps(), 0);
    EXPECT_TRUE(id.isValid());

    addLine({0, 0, 0}, {1, 0, 0});
    std::string dxf;
    ASSERT_EQ(db.writeDxf(dxf), Acad::eOk);
    ASSERT_EQ(db.readDxf(dxf), Acad::eOk);
    EXPECT_EQ(undoLogOf(&db).numSteps(), 0);
    EXPECT_EQ(liveEntities(), 1);

    db.disableUndoRecording(true);
    addLine({0, 0, 0}, {2, 0, 0});
    EXPECT_EQ(undoLogOf(&db).numSteps(), 0);
    db.disableUndoRecording(false);
}

TEST_F(UndoTest, UndoingAZoomBringsTheViewBack) {
    NUVAcad::Display& d = NUVAcad::displayOf(&db);
    NUVAcad::DisplayView before = d.view();
    log().beginCommand("ZOOM");
    ASSERT_EQ(d.zoomWindow({0, 0, 0}, {40, 30, 0}), Acad::eOk);
    log().endCommand();
    ASSERT_FALSE(d.view() == before);
    EXPECT_EQ(undo(1), 1);
    EXPECT_TRUE(d.view() == before);
}

// ---- Redo ----

TEST_F(UndoTest, RedoMakesAgainWhatTheLastUndoTookBackUnderTheSameIds) {
    log().beginCommand("LINE");
    AcDbObjectId id = addLine({0, 0, 0}, {10, 0, 0}, 1);
    log().endCommand();
    AcDbHandle h = id.handle();
    log().beginCommand("CHPROP");
    setColor(id, 5);
    log().endCommand();
    EXPECT_FALSE(log().canRedo()) << "nothing undone yet";
    EXPECT_EQ(undo(2), 2);
    ASSERT_FALSE(id.isValid());

    std::vector<std::string> names;
    ASSERT_EQ(log().redo(&names), Acad::eOk);
    EXPECT_EQ(names, (std::vector<std::string>{"LINE", "CHPROP"})) << "oldest first";
    ASSERT_TRUE(id.isValid());
    EXPECT_EQ(id.handle(), h);
    EXPECT_EQ(color(id), 5);
    EXPECT_EQ(liveEntities(), 1);
    EXPECT_EQ(log().numSteps(), 2) << "each redone step is a step again";
    EXPECT_EQ(log().redo(), Acad::eNotApplicable) << "a redo is made once";

    // U after REDO takes the steps back one at a time, and REDO brings that one back.
    EXPECT_EQ(undo(1), 1);
    EXPECT_EQ(color(id), 1);
    ASSERT_EQ(log().redo(), Acad::eOk);
    EXPECT_EQ(color(id), 5);
    EXPECT_EQ(undo(2), 2);
    EXPECT_FALSE(id.isValid());
    EXPECT_EQ(liveEntities(), 0);
}

TEST_F(UndoTest, AnythingDoneAfterTheUndoForgetsTheRedo) {
    AcDbObjectId id = addLine({0, 0, 0}, {1, 0, 0}, 1);
    auto command = [&](int c) {
        log().beginCommand("CHPROP");
        setColor(id, c);
        log().endCommand();
    };
    command(2);
    EXPECT_EQ(undo(1), 1);
    command(3);
    EXPECT_EQ(log().redo(), Acad::eNotApplicable) << "a command";
    EXPECT_EQ(color(id), 3);
    EXPECT_EQ(undo(1), 1);
    log().mark();
    EXPECT_EQ(log().redo(), Acad::eNotApplicable) << "a mark";
    command(4);
    EXPECT_EQ(undo(1), 1);
    setColor(id, 6);
    EXPECT_EQ(log().redo(), Acad::eNotApplicable) << "a change outside commands";
    EXPECT_EQ(undo(1), 1);
    log().beginCommand("REDRAW");
    log().endCommand();
    EXPECT_EQ(log().redo(), Acad::eNotApplicable) << "a command that changed nothing";
    EXPECT_EQ(color(id), 1);
}

TEST_F(UndoTest, RedoOfABackToAMarkAndOfAStepWithNestedCommands) {
    AcDbObjectId a = addLine({0, 0, 0}, {1, 0, 0}, 1);
    log().mark();
    log().beginCommand("OUTER");
    log().beginCommand("LINE");
    AcDbObjectId b = addLine({0, 5, 0}, {1, 5, 0}, 1);
    log().endCommand();
    log().beginCommand("CHPROP");
    setColor(b, 3);
    setColor(a, 3);
    log().endCommand();
    log().beginCommand("CHPROP");
    setColor(b, 4);  // the same object changed again in a later command of the same step
    log().endCommand();
    log().endCommand();
    log().beginCommand("ERASE");
    erase(a);
    log().endCommand();

    ASSERT_EQ(log().back(), Acad::eOk);
    EXPECT_FALSE(b.isValid());
    EXPECT_EQ(color(a), 1);
    EXPECT_FALSE(a.isErased());
    std::vector<std::string> names;
    ASSERT_EQ(log().redo(&names), Acad::eOk);
    EXPECT_EQ(names, (std::vector<std::string>{"OUTER", "ERASE"}));
    EXPECT_EQ(color(b), 4);
    EXPECT_TRUE(a.isErased());
    EXPECT_EQ(log().numSteps(), 3) << "the line drawn first, OUTER and ERASE";
    EXPECT_EQ(undo(1), 1);
    EXPECT_FALSE(a.isErased());
    EXPECT_EQ(color(a), 3);
    EXPECT_EQ(undo(1), 1);
    EXPECT_FALSE(b.isValid());
    EXPECT_EQ(color(a), 1);
}

TEST_F(UndoTest, RedoingAZoomShowsTheZoomedViewAgain) {
    NUVAcad::Display& d = NUVAcad::displayOf(&db);
    NUVAcad::DisplayView before = d.view();
    log().beginCommand("ZOOM");
    ASSERT_EQ(d.zoomWindow({0, 0, 0}, {40, 30, 0}), Acad::eOk);
    log().endCommand();
    NUVAcad::DisplayView zoomed = d.view();
    EXPECT_EQ(undo(1), 1);
    ASSERT_TRUE(d.view() == before);
    ASSERT_EQ(log().redo(), Acad::eOk);
    EXPECT_TRUE(d.view() == zoomed);
    EXPECT_EQ(d.previousViews(), 1u) << "the view before the zoom is the previous one again";
    EXPECT_EQ(undo(1), 1);
    EXPECT_TRUE(d.view() == before);
}

// What is left after undoing is a drawing the independent reader accepts, with the objects the
// undo brought back.
TEST_F(UndoTest, TheDrawingAfterUndoPassesTheIndependentAudit) {
    AcDbObjectId a = addLine({0, 0, 0}, {10, 0, 0});
    addLayer("DUCT", 3);
    log().beginCommand("MIXED");
    erase(a);
    addCircle({5, 5, 0}, 2);
    addLayer("PIPE");
    log().endCommand();
    EXPECT_EQ(undo(1), 1);

    TempDir dir;
    std::string path = dir.File("undone.dxf");
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk);
    std::string report = RunProgram("/usr/bin/python3 " + SourceFile("tests/platform/acad/dxf_peer.py") + " audit '" + path + "'");
    EXPECT_NE(report.find("ERRORS 0"), std::string::npos) << report;
    EXPECT_NE(report.find("E LINE"), std::string::npos) << report;
    EXPECT_EQ(report.find("E CIRCLE"), std::string::npos) << report;
    EXPECT_NE(report.find("L \"DUCT\""), std::string::npos) << report;
    EXPECT_EQ(report.find("L \"PIPE\""), std::string::npos) << report;
}

}  // namespace
