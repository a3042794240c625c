#include "DrawingFixture.h"
#include "DrawingRecords.h"

namespace {

using CurrentDrawing = DrawingTest;

TEST_F(CurrentDrawing, IsTheWorkingDrawing) {
    EXPECT_EQ(ZQ::GetCurDWGPtr(), &db_);
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    EXPECT_EQ(ZQ::GetCurDWGPtr(), nullptr);
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    AcDbObjectId id;
    EXPECT_EQ(ZQ::Append(line, id), Acad::eNoDatabase);
    EXPECT_TRUE(id.isNull());
    delete line;  // still the caller's
}

TEST_F(CurrentDrawing, AppendLeavesTheEntityOpenForWriteInModelSpace) {
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
    AcDbObjectId id;
    ASSERT_EQ(ZQ::Append(line, id), Acad::eOk);
    EXPECT_FALSE(id.isNull());
    EXPECT_TRUE(line->isWriteEnabled());
    EXPECT_EQ(db_.numOpenObjects(), 1);  // the entity, and nothing else
    EXPECT_EQ(line->ownerId(), db_.modelSpaceId());
    EXPECT_EQ(line->objectId(), id);
    // The caller goes on changing it.
    EXPECT_EQ(line->setColorIndex(3), Acad::eOk);
    line->close();

    EXPECT_EQ(ZQ::Append(line), Acad::eAlreadyInDb);
    EXPECT_EQ(ZQ::Append(nullptr), Acad::eNullEntityPointer);

    // Model space held open for write by someone else: the entity stays the caller's.
    AcDbBlockTableRecord* model = nullptr;
    ASSERT_EQ(acdbOpenObject(model, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    auto* other = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 1, 0));
    AcDbObjectId otherId;
    EXPECT_NE(ZQ::Append(other, otherId), Acad::eOk);
    EXPECT_FALSE(other->isDatabaseResident());
    EXPECT_TRUE(otherId.isNull());
    model->close();
    delete other;
}

TEST_F(CurrentDrawing, EraseOneAndMany) {
    AcDbObjectId a = AddLine({0, 0, 0}, {1, 0, 0});
    AcDbObjectId b = AddLine({0, 0, 0}, {2, 0, 0});
    AcDbObjectId c = AddLine({0, 0, 0}, {3, 0, 0});
    EXPECT_TRUE(ZQ::Erase(a));
    EXPECT_TRUE(a.isErased());
    EXPECT_FALSE(ZQ::Erase(a));  // already gone
    EXPECT_FALSE(ZQ::Erase(AcDbObjectId()));

    AcDbObjectIdArray ids;
    ids.append(a);
    ids.append(b);
    ids.append(AcDbObjectId());
    ids.append(c);
    EXPECT_EQ(ZQ::Erase(ids), 2);  // b and c; a was erased before
    EXPECT_TRUE(b.isErased());
    EXPECT_TRUE(c.isErased());

    // An object open for write elsewhere cannot be erased now.
    AcDbObjectId d = AddLine({0, 0, 0}, {4, 0, 0});
    AcDbEntity* held = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(held, d, AcDb::kForWrite), Acad::eOk);
    EXPECT_FALSE(ZQ::Erase(d));
    held->close();
    EXPECT_FALSE(d.isErased());
}

TEST_F(CurrentDrawing, AnErasedGroupLeavesItsMembersReactorLists) {
    AcDbObjectId a = AddLine({0, 0, 0}, {1, 0, 0});
    AcDbObjectId b = AddLine({0, 0, 0}, {2, 0, 0});
    AcDbDictionary* groups = nullptr;
    ASSERT_EQ(db_.getGroupDictionary(groups, AcDb::kForWrite), Acad::eOk);
    auto* group = new AcDbGroup("duct run");
    AcDbObjectId groupId;
    ASSERT_EQ(groups->setAt("RUN1", group, groupId), Acad::eOk);
    groups->close();
    ASSERT_EQ(group->append(a), Acad::eOk);
    ASSERT_EQ(group->append(b), Acad::eOk);
    group->close();

    auto reactorsOf = [](AcDbObjectId id) {
        AcDbEntity* e = nullptr;
        EXPECT_EQ(acdbOpenAcDbEntity(e, id, AcDb::kForRead), Acad::eOk);
        std::vector<AcDbObjectId> r = e->persistentReactorIds();
        e->close();
        return r;
    };
    ASSERT_EQ(reactorsOf(a), std::vector<AcDbObjectId>{groupId});

    ASSERT_TRUE(ZQ::Erase(groupId));
    EXPECT_TRUE(reactorsOf(a).empty());
    EXPECT_TRUE(reactorsOf(b).empty());
    // The file says the same: no entity points back at a group.
    std::string report = DrawingRecords::Report(db_, dir_.File("g.dxf"), "reactors");
    EXPECT_EQ(report.find("GROUP"), std::string::npos) << report;
    EXPECT_NE(report.find("ERRORS 0\n"), std::string::npos) << report;
}

}  // namespace
