// Record binding through CADORecordset: a structure that follows the cursor, rows added from it,
// and every failure answered with 0 and a recorded error instead of an escaping exception.
#include <cstring>

#include "DbTestUtil.h"

namespace {

using namespace dbtest;
using namespace NUVADO;

struct DuctRow : CADORecordBinding {
    BEGIN_ADO_BINDING(DuctRow)
    ADO_FIXED_LENGTH_ENTRY2(1, adInteger, id, false)
    ADO_VARIABLE_LENGTH_ENTRY2(2, adVarChar, name, sizeof(name), nameStatus, true)
    ADO_FIXED_LENGTH_ENTRY(3, adSmallInt, dn, dnStatus, true)
    END_ADO_BINDING()
    std::int32_t id = 0;
    char name[20] = {};
    std::uint32_t nameStatus = 0;
    std::int16_t dn = 0;
    std::uint32_t dnStatus = 0;
};

// Names field 4 of a three-field record set.
struct TooWide : CADORecordBinding {
    BEGIN_ADO_BINDING(TooWide)
    ADO_FIXED_LENGTH_ENTRY2(4, adInteger, id, false)
    END_ADO_BINDING()
    std::int32_t id = 0;
};

struct Bound : Fixture {
    CADORecordset rs{&db};
    Bound() {
        MakeDuctTable(db);
        EXPECT_TRUE(rs.Open("select ID, Name, DN from Duct order by ID"));
    }
};

TEST(RecordBinding, FollowsTheCursorAndAddsRows) {
    Bound b;
    DuctRow row;  // dies before the record set, which closes without filling it again
    ASSERT_EQ(b.rs.RecordBinding(row), 1) << b.rs.GetLastErrorString();
    EXPECT_EQ(row.id, 1);
    EXPECT_STREQ(row.name, "Supply");
    EXPECT_EQ(row.dn, -5);
    b.rs.MoveNext();
    EXPECT_EQ(row.id, 2);
    EXPECT_STREQ(row.name, "Return");

    DuctRow add;
    std::strcpy(add.name, "Branch");
    add.dn = 80;
    EXPECT_EQ(b.rs.AddNew(add), 1) << b.rs.GetLastErrorString();
    EXPECT_EQ(b.rs.GetLastError(), 0u);
    EXPECT_EQ(Shell(b.path, "SELECT ID, Name, DN FROM Duct WHERE ID = 6"), "6|Branch|80\n");
    EXPECT_EQ(row.id, 6);  // the bound structure shows the stored row
}

TEST(RecordBinding, FailuresAnswerZeroAndAreRecorded) {
    DuctRow row;
    Bound b;

    // AddNew before any binding: no binding interface to call.
    EXPECT_EQ(b.rs.AddNew(row), 0);
    EXPECT_EQ(b.rs.GetLastError(), 0x80004003u);  // E_POINTER

    TooWide wide;
    EXPECT_EQ(b.rs.RecordBinding(wide), 0);
    EXPECT_EQ(b.rs.GetLastError(), 0x800A0CC1u);  // item not found
    EXPECT_NE(b.rs.GetLastErrorString().Find("CADORecordset Error"), -1);
    // The failed binding is not held: adding through it fails as with none.
    EXPECT_EQ(b.rs.AddNew(row), 0);
    EXPECT_EQ(b.rs.GetLastError(), 0x80004003u);

    CADORecordset closed(&b.db);
    EXPECT_EQ(closed.RecordBinding(row), 0);
    EXPECT_EQ(closed.GetLastError(), 0x800A0E78u);  // object closed

    // A row the table refuses: the add is undone and reported.
    Sql(b.db, "CREATE UNIQUE INDEX ByName ON Duct (Name)");
    ASSERT_EQ(b.rs.Requery(), 1);
    ASSERT_EQ(b.rs.RecordBinding(row), 1) << b.rs.GetLastErrorString();
    DuctRow twin;
    std::strcpy(twin.name, "Supply");
    EXPECT_EQ(b.rs.AddNew(twin), 0);
    EXPECT_NE(b.rs.GetLastError(), 0u);
    EXPECT_EQ(Shell(b.path, "SELECT count(*) FROM Duct"), "5\n");
}

}  // namespace
