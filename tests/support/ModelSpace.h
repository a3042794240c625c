// Shared by the tests that build drawings by hand: an entity appended to a drawing's model space.
#pragma once

#include <gtest/gtest.h>

#include "acad/AcDb.h"

namespace NUVTest {

// Appends `e` to the model space of `db` and closes it; the new id. A refusal fails the test.
inline AcDbObjectId AppendToModelSpace(AcDbDatabase& db, AcDbEntity* e) {
    AcDbBlockTableRecord* ms = nullptr;
    EXPECT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(ms->appendAcDbEntity(id, e), Acad::eOk);
    e->close();
    ms->close();
    return id;
}

}  // namespace NUVTest
