// Highlighting, flushing and undo marks on the current drawing, checked on the host's display
// model and undo record.
#include "DrawingFixture.h"
#include "acad/Display.h"
#include "acad/UndoLog.h"

namespace {

using DisplayAndUndo = DrawingTest;

TEST_F(DisplayAndUndo, HighlightAndUnhighlightShowOnTheDisplay) {
    AcDbObjectId line = AddLine({0, 0, 0}, {1, 1, 0});
    NUVAcad::Display& display = NUVAcad::displayOf(&db_);
    EXPECT_FALSE(display.isHighlighted(line));
    EXPECT_EQ(Acad::eOk, ZQ::Highlight(line, AcDbFullSubentPath(), 0));
    EXPECT_TRUE(display.isHighlighted(line));
    EXPECT_EQ(Acad::eOk, ZQ::Unhighlight(line, AcDbFullSubentPath(), 0));
    EXPECT_FALSE(display.isHighlighted(line));
    EXPECT_NE(Acad::eOk, ZQ::Highlight(AcDbObjectId(), AcDbFullSubentPath(), 0)) << "a null id";

    long before = display.counters().updates;
    ZQ::FlushAcadGraphicsQueue();
    EXPECT_EQ(before + 1, display.counters().updates);
}

TEST_F(DisplayAndUndo, UndoBackTakesAwayWhatFollowedTheMark) {
    NUVAcad::undoLogOf(&db_).setEnabled(true);
    AcDbObjectId kept = AddLine({0, 0, 0}, {1, 0, 0});
    ASSERT_TRUE(ZQ::UndoM());
    AcDbObjectId a = AddLine({0, 1, 0}, {1, 1, 0});
    AcDbObjectId b = AddLine({0, 2, 0}, {1, 2, 0});
    ASSERT_TRUE(ZQ::UndoB());
    AcDbEntity* e = nullptr;
    EXPECT_EQ(Acad::eOk, acdbOpenAcDbEntity(e, kept, AcDb::kForRead));
    if (e) e->close();
    for (AcDbObjectId gone : {a, b}) {
        e = nullptr;
        EXPECT_NE(Acad::eOk, acdbOpenAcDbEntity(e, gone, AcDb::kForRead));
        if (e) e->close();
    }

    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    EXPECT_FALSE(ZQ::UndoM()) << "no current drawing";
    EXPECT_FALSE(ZQ::UndoB());
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
}

}  // namespace
