// Groups: find, make, fill, remove; the groups of an object by name part (any case, double-byte
// aware); clearing them. ezdxf reads the groups and their members back.
#include <algorithm>

#include "DrawFixture.h"
#include "draw/Groups.h"

class GroupsTest : public DrawTest {
protected:
    AcDbObjectId Line(double y) { return AddToModel(new AcDbLine({0, y, 0}, {10, y, 0})); }
    std::string Handle(AcDbObjectId id) {
        char buf[32];
        id.handle().getIntoAsciiBuffer(buf);
        return buf;
    }
    AcDbObjectId MakeGroup(const char* name, std::initializer_list<AcDbObjectId> members) {
        AcDbObjectIdArray ids;
        for (AcDbObjectId id : members) ids.append(id);
        AcDbObjectId gid;
        EXPECT_TRUE(NUV::CreateGroup(ids, name, true, gid)) << name;
        return gid;
    }
};

TEST_F(GroupsTest, HasCreateAndRemoveByName) {
    AcDbObjectId id;
    EXPECT_EQ(NUV::HasGroup(nullptr, id), 0);
    EXPECT_EQ(NUV::HasGroup("PIPES", id), 0);
    EXPECT_EQ(NUV::RemoveGroup("PIPES"), 1) << "nothing to remove counts as removed";

    int existed = 5;
    AcDbGroup* g = NUV::CreateGroup("PIPES", existed);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(existed, 0);
    EXPECT_TRUE(g->isWriteEnabled());
    EXPECT_TRUE(g->isSelectable());
    EXPECT_STREQ(g->description(), "");
    AcDbObjectId gid = g->objectId();
    g->close();

    EXPECT_EQ(NUV::HasGroup("pipes", id), 1);
    EXPECT_EQ(id, gid);
    AcDbGroup* again = NUV::CreateGroup("PIPES", existed, &db);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(existed, 1);
    EXPECT_EQ(again->objectId(), gid);
    again->close();

    AcDbGroup* anon1 = NUV::CreateGroup(nullptr, existed);
    ASSERT_NE(anon1, nullptr);
    EXPECT_EQ(existed, 0);
    EXPECT_TRUE(anon1->isAnonymous());
    anon1->close();

    EXPECT_EQ(NUV::RemoveGroup("PIPES"), 1);
    EXPECT_EQ(NUV::HasGroup("PIPES", id), 0);

    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    existed = 9;
    EXPECT_EQ(NUV::CreateGroup("X", existed), nullptr);
    EXPECT_EQ(NUV::HasGroup("X", id), 0);
    EXPECT_EQ(NUV::HasGroup("X", id, &db), 0) << "an explicit drawing is still searched";
    acdbHostApplicationServices()->setWorkingDatabase(&db);
}

TEST_F(GroupsTest, MembersInOrderExistingGroupKeepsItsOwn) {
    AcDbObjectId a = Line(0), b = Line(1), c = Line(2);
    AcDbObjectIdArray first;
    first.append(b);
    first.append(a);
    AcDbObjectId gid;
    ASSERT_TRUE(NUV::CreateGroup(first, "SUPPLY", false, gid));
    AcDbObjectIdArray second;
    second.append(a);  // already a member: refused, the rest go in
    second.append(c);
    AcDbObjectId gid2;
    ASSERT_TRUE(NUV::CreateGroup(second, "SUPPLY", true, gid2));
    EXPECT_EQ(gid2, gid);

    AcDbGroup* g = nullptr;
    ASSERT_EQ(acdbOpenObject(g, gid, AcDb::kForRead), Acad::eOk);
    AcDbObjectIdArray members;
    g->allEntityIds(members);
    EXPECT_TRUE(g->isSelectable());
    g->close();
    ASSERT_EQ(members.length(), 3);
    EXPECT_EQ(members[0], b);
    EXPECT_EQ(members[1], a);
    EXPECT_EQ(members[2], c);

    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    std::vector<std::string> handles = {Handle(a), Handle(b), Handle(c)};
    std::sort(handles.begin(), handles.end());
    EXPECT_TRUE(Has(facts, "GROUP \"SUPPLY\" selectable=1 members=" + handles[0] + "," + handles[1] + "," + handles[2]))
        << Joined(facts);
}

TEST_F(GroupsTest, GroupOfObjectByNamePart) {
    AcDbObjectId e = Line(0), other = Line(1);
    AcDbObjectId pipe = MakeGroup("PIPE_A", {e});
    AcDbObjectId duct = MakeGroup("duct_1", {e, other});
    AcDbObjectId misc = MakeGroup("Other", {other});
    // GBK: a double-byte character whose trail byte is 'a', then X.
    AcDbObjectId dbcs = MakeGroup("\x81\x61X", {other});

    const AcDbVoidPtrArray* reactors = NUV::GetReactorsofObj(e);
    ASSERT_NE(reactors, nullptr);
    EXPECT_EQ(reactors->length(), 2);
    EXPECT_EQ(NUV::GetReactorsofObj(AcDbObjectId()), nullptr);

    EXPECT_EQ(NUV::GetGroupIdOfObj(e, ""), pipe) << "empty part: the first group";
    EXPECT_EQ(NUV::GetGroupIdOfObj(e, nullptr), pipe);
    EXPECT_EQ(NUV::GetGroupIdOfObj(e, "Duct"), duct) << "letter case ignored";
    EXPECT_EQ(NUV::GetGroupIdOfObj(e, "_"), pipe);
    EXPECT_TRUE(NUV::GetGroupIdOfObj(e, "other").isNull()) << "not a group of e";
    EXPECT_EQ(NUV::GetGroupIdOfObj(other, "oth"), misc);
    EXPECT_EQ(NUV::GetGroupIdOfObj(other, "\x81\x61"), dbcs);
    EXPECT_TRUE(NUV::GetGroupIdOfObj(other, "ax").isNull()) << "a trail byte is not a letter";
    EXPECT_TRUE(NUV::GetGroupIdOfObj(AcDbObjectId(), "").isNull());
}

TEST_F(GroupsTest, ClearGroupErasesEveryMatchingGroup) {
    AcDbObjectId e = Line(0);
    MakeGroup("NUV_DUCT1", {e});
    MakeGroup("NUV_DUCT2", {e});
    AcDbObjectId keep = MakeGroup("NUV_PIPE", {e});
    NUV::ClearGroup(e, "duct");
    AcDbObjectId id;
    EXPECT_EQ(NUV::HasGroup("NUV_DUCT1", id), 0);
    EXPECT_EQ(NUV::HasGroup("NUV_DUCT2", id), 0);
    EXPECT_EQ(NUV::HasGroup("NUV_PIPE", id), 1);
    EXPECT_EQ(NUV::GetGroupIdOfObj(e, ""), keep);
    NUV::ClearGroup(e, "");
    EXPECT_TRUE(NUV::GetGroupIdOfObj(e, "").isNull());
    EXPECT_EQ(NUV::HasGroup("NUV_PIPE", id), 0);

    // A group that cannot be erased (held open by someone else) stops the loop.
    AcDbObjectId stuck = MakeGroup("STUCK", {e});
    AcDbObject* held = nullptr;
    ASSERT_EQ(acdbOpenObject(held, stuck, AcDb::kForRead), Acad::eOk);
    NUV::ClearGroup(e, "");
    EXPECT_EQ(NUV::HasGroup("STUCK", id), 1);
    held->close();

    auto facts = PeerFacts();
    EXPECT_TRUE(Has(facts, "ERRORS 0")) << Joined(facts);
    EXPECT_EQ(Only(facts, "GROUP").size(), 1u) << Joined(facts);
}
