#include "DbTestUtil.h"

namespace {

using namespace dbtest;

std::string NameAt(CADORecordset& rs) {
    CString name;
    rs.GetFieldValue("Name", name);
    return name.str();
}

struct DuctFixture : Fixture {
    DuctFixture() { MakeDuctTable(db); }
};

TEST(ADORecordset, OpensQueriesTablesAndProceduresByOption) {
    DuctFixture f;
    Sql(f.db, "CREATE PROCEDURE BigOnes AS SELECT Name FROM Duct WHERE DN >= 4");
    struct Case {
        const char* text;
        int option;
        int opened;
        std::uint32_t rows;
    } const cases[] = {
        {" \t SELECT Name FROM Duct WHERE DN > 2", 0, 1, 3},  // blanks before an upper-case SELECT
        {"select Name from Duct", 1, 1, 5},
        {"Duct", 2, 1, 5},
        {"Duct", 0, 1, 5},  // a bare table name is read whole
        {"select * from Nowhere", 0, 0, 0},
        {"Duct", 7, 0, 0},  // no such option: nothing recorded
    };
    for (const Case& c : cases) {
        CADORecordset rs(&f.db);
        EXPECT_EQ(rs.Open(c.text, c.option), c.opened) << c.text;
        if (c.opened) {
            EXPECT_TRUE(rs.IsOpen());
            EXPECT_EQ(rs.GetRecordCount(), c.rows) << c.text;
            EXPECT_EQ(rs.GetQuery(), CString(c.text).TrimLeft());
        } else {
            EXPECT_EQ(rs.GetLastError() != 0, c.option == 0) << c.text;
        }
    }
    CADORecordset proc(&f.db);
    EXPECT_EQ(proc.Open("BigOnes", CADORecordset::openStoredProc), 1) << proc.GetLastErrorString();
    EXPECT_EQ(proc.GetRecordCount(), 2u);
}

TEST(ADORecordset, CountsByWalkingWhenTheProviderCannotTell) {
    DuctFixture f;
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select Name from Duct order by ID desc"));
    std::string xml = f.dir.File("d.xml"), empty = f.dir.File("e.xml");
    ASSERT_TRUE(rs.SaveAsXML(xml.c_str())) << rs.GetLastErrorString();
    ASSERT_TRUE(rs.Open("select Name from Duct where ID < 0"));
    ASSERT_TRUE(rs.SaveAsXML(empty.c_str()));

    CADORecordset file;  // read from a file: forward only, the provider reports -1
    ASSERT_TRUE(file.OpenXML(xml.c_str())) << file.GetLastErrorString();
    EXPECT_EQ(file.GetRecordset()->GetRecordCount(), -1);
    file.MoveNext();
    file.MoveNext();
    EXPECT_EQ(file.GetRecordCount(), 5u);
    EXPECT_EQ(NameAt(file), "Side");  // back on the first record
    ASSERT_TRUE(file.OpenXML(empty.c_str()));
    EXPECT_EQ(file.GetRecordCount(), 0u);
    EXPECT_TRUE(file.IsEOF());

    // The database form walks a platform record set the same way.
    f.db.GetActiveConnection()->PutCursorLocation(NUVADO::adUseServer);
    NUVADO::_RecordsetPtr forward = f.db.GetActiveConnection()->Execute("SELECT ID FROM Duct", nullptr, NUVADO::adCmdText);
    EXPECT_EQ(forward->GetRecordCount(), -1);
    forward->MoveNext();
    EXPECT_EQ(f.db.GetRecordCount(forward), 5u);
    EXPECT_EQ(static_cast<long>(forward->GetFields()->GetItem(0L)->GetValue()), 1);
}

TEST(ADORecordset, NavigatesPagesAndBookmarks) {
    DuctFixture f;
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select * from Duct order by ID"));
    EXPECT_EQ(NameAt(rs), "Supply");
    rs.MoveLast();
    EXPECT_EQ(NameAt(rs), "Side");
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF() && rs.IsEof());
    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_TRUE(rs.IsBOF() && rs.IsBof());
    EXPECT_EQ(rs.SetBookmark(), 0);  // nothing saved yet

    rs.SetPageSize(2);
    EXPECT_EQ(rs.GetPageSize(), 2);
    EXPECT_EQ(rs.GetPageCount(), 3);
    rs.SetAbsolutePage(2);
    EXPECT_EQ(rs.GetAbsolutePosition(), 3);
    EXPECT_EQ(NameAt(rs), "Spur");
    rs.GetBookmark();
    rs.SetAbsolutePosition(5);
    EXPECT_EQ(rs.GetAbsolutePage(), 3);
    EXPECT_EQ(rs.SetBookmark(), 1);
    EXPECT_EQ(NameAt(rs), "Spur");
    EXPECT_THROW(rs.SetAbsolutePosition(9), _com_error);  // navigation errors reach the caller
}

TEST(ADORecordset, FindsForwardBackwardAndFilters) {
    DuctFixture f;
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select * from Duct order by ID"));
    EXPECT_EQ(rs.FindFirst("Kind = 's'"), 1);  // texts compare without regard to case
    EXPECT_EQ(NameAt(rs), "Supply");
    EXPECT_EQ(rs.FindNext(), 1);
    EXPECT_EQ(NameAt(rs), "Spur");
    EXPECT_EQ(rs.FindNext(), 1);
    EXPECT_EQ(NameAt(rs), "Side");
    EXPECT_EQ(rs.FindNext(), 0);
    EXPECT_TRUE(rs.IsEOF());

    rs.MoveLast();
    EXPECT_EQ(rs.Find("Name LIKE 'S*' AND DN < 5", CADORecordset::searchBackward), 1);
    EXPECT_EQ(NameAt(rs), "Spur");
    EXPECT_EQ(rs.FindNext(), 1);
    EXPECT_EQ(NameAt(rs), "Supply");
    EXPECT_EQ(rs.FindNext(), 0);
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_EQ(rs.FindFirst("Made = #2006-05-01 13:45:00# OR Flow > 1e20"), 1);
    EXPECT_EQ(rs.FindNext(), 1);
    EXPECT_EQ(NameAt(rs), "Exhaust");
    EXPECT_EQ(rs.Find("DN = 5", 0), 0);  // no such direction: the next search goes forward
    EXPECT_EQ(rs.FindNext(), 1);            // from the record found last
    EXPECT_EQ(NameAt(rs), "Side");
    EXPECT_THROW(rs.Find("DN = = 2"), _com_error);

    EXPECT_EQ(rs.SetFilter("Kind = 'S' AND Name LIKE '%p%'"), 1);
    EXPECT_EQ(rs.GetRecordCount(), 2u);
    EXPECT_EQ(rs.SetSort("Name DESC"), 1);
    rs.MoveFirst();
    EXPECT_EQ(NameAt(rs), "Supply");
    EXPECT_EQ(rs.SetFilter("Nothing = 1"), 0);
    EXPECT_NE(rs.GetLastErrorString().Find("Query = select * from Duct order by ID\nCADORecordset Error\n"), -1);
    EXPECT_EQ(rs.SetSort("Nothing"), 0);
    EXPECT_EQ(rs.SetFilter(""), 1);
    EXPECT_EQ(rs.GetRecordCount(), 5u);
}

TEST(ADORecordset, EditsWriteThroughAndFailuresAreUndone) {
    DuctFixture f;
    Sql(f.db, "CREATE UNIQUE INDEX ByName ON Duct (Name)");
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select * from Duct order by ID"));
    EXPECT_EQ(rs.Update(), 1);  // nothing pending
    EXPECT_EQ(rs.SetFieldValue("Name", CString("Early")), 0);
    EXPECT_EQ(NameAt(rs), "Supply");

    ASSERT_EQ(rs.AddNew(), 1);
    EXPECT_EQ(rs.SetFieldValue("Name", "Branch"), 1);
    EXPECT_EQ(rs.SetFieldValue("DN", 7), 1);
    EXPECT_EQ(rs.Update(), 1);
    long id = 0;
    rs.GetFieldValue("ID", id);
    EXPECT_EQ(id, 6);

    rs.MoveFirst();
    rs.Edit();
    rs.SetFieldValue("Name", "Return");  // taken by another row
    EXPECT_EQ(rs.Update(), 0);
    EXPECT_NE(rs.GetLastError(), 0u);
    EXPECT_EQ(NameAt(rs), "Supply");  // the edit was cancelled
    EXPECT_EQ(rs.SetFieldValue("Name", "Late"), 0);  // and no edit is pending any more

    rs.MoveLast();
    EXPECT_EQ(rs.Delete(), 1);
    rs.AddNew();
    rs.SetFieldValue("Name", "Dropped");
    rs.Close();  // a pending add is cancelled, not written
    EXPECT_EQ(Shell(f.path, "SELECT group_concat(Name) FROM (SELECT Name FROM Duct ORDER BY ID)"), "Supply,Return,Spur,Exhaust,Side\n");
}

TEST(ADORecordset, DescribesFields) {
    DuctFixture f;
    Sql(f.db, "CREATE TABLE Wide (ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 LONG)");
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select ID, Name, Note, Pic from Duct order by ID"));
    EXPECT_EQ(rs.GetFieldCount(), 4);
    EXPECT_EQ(rs.GetFieldName(1), "Name");
    EXPECT_EQ(rs.GetFieldName(9), "");
    EXPECT_EQ(rs.GetField("Nope"), nullptr);
    EXPECT_EQ(rs.GetFieldType("Nope"), 0);
    EXPECT_EQ(rs.GetFieldDefineSize(9), -1);
    EXPECT_EQ(rs.GetFieldAttributes("Nope"), -1);
    EXPECT_EQ(rs.GetFieldActualSize(9), -1);
    EXPECT_EQ(rs.GetLastError(), 0u);  // those are not recorded
    EXPECT_EQ(rs.GetFieldType(2), NUVADO::adLongVarWChar);
    EXPECT_EQ(rs.GetFieldDefineSize("Name"), 50);

    CADOFieldInfo info;
    EXPECT_EQ(rs.GetFieldInfo("Name", &info), 1);
    EXPECT_STREQ(info.m_strName, "Name");
    EXPECT_EQ(info.m_nType, NUVADO::adVarWChar);
    EXPECT_EQ(info.m_lDefinedSize, 50);
    EXPECT_EQ(info.m_lSize, 12);  // "Supply" in UTF-16
    EXPECT_EQ(rs.GetFieldInfo(3, &info), 1);
    EXPECT_TRUE(info.m_lAttributes & NUVADO::adFldLong);
    rs.MoveLast();
    rs.MoveNext();
    EXPECT_EQ(rs.GetFieldInfo(1, &info), 1);
    EXPECT_EQ(info.m_lSize, 0);  // at the end

    ASSERT_TRUE(rs.Open("select * from Wide"));
    EXPECT_EQ(rs.GetFieldInfo(0, &info), 1);
    EXPECT_STREQ(info.m_strName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012");
}

TEST(ADORecordset, ExportsTextClonesAndRequeries) {
    DuctFixture f;
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select ID, Name, Flow from Duct where ID <= 3 order by ID"));
    EXPECT_EQ(rs.GetString(), "1\tSupply\t0.1\r2\tReturn\t\r3\tSpur\t2\r");
    rs.MoveFirst();
    EXPECT_EQ(rs.GetString(";", "|", "NULL", 2), "1;Supply;0.1|2;Return;|");

    CADORecordset copy;
    EXPECT_EQ(rs.Clone(copy), 1);
    copy.MoveLast();
    EXPECT_EQ(NameAt(copy), "Spur");

    Sql(f.db, "INSERT INTO Duct (Name) VALUES ('Late')");
    Sql(f.db, "UPDATE Duct SET ID = 0 WHERE Name = 'Late'");
    EXPECT_EQ(rs.Requery(), 1);
    EXPECT_EQ(rs.GetRecordCount(), 4u);
    rs.MoveFirst();
    EXPECT_EQ(NameAt(rs), "Late");
}

struct DuctRow : NUVADO::CADORecordBinding {
    std::int32_t id = 0;
    char name[51] = {};
    unsigned long nameStatus = 0;
    BEGIN_ADO_BINDING(DuctRow)
    ADO_FIXED_LENGTH_ENTRY2(1, NUVADO::adInteger, id, false)
    ADO_VARIABLE_LENGTH_ENTRY2(2, NUVADO::adVarChar, name, sizeof(name), nameStatus, true)
    END_ADO_BINDING()
};

TEST(ADORecordset, BindsRecordsAndRunsCommands) {
    DuctFixture f;
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select ID, Name from Duct order by ID"));
    DuctRow row;
    EXPECT_EQ(rs.AddNew(row), 0);  // not bound yet: captured
    EXPECT_EQ(rs.GetLastError(), static_cast<std::uint32_t>(E_POINTER));
    ASSERT_EQ(rs.RecordBinding(row), 1);
    EXPECT_EQ(row.id, 1);
    EXPECT_STREQ(row.name, "Supply");
    rs.MoveNext();
    EXPECT_STREQ(row.name, "Return");
    std::strcpy(row.name, "Bound");
    EXPECT_EQ(rs.AddNew(row), 1);
    EXPECT_EQ(Shell(f.path, "SELECT ID FROM Duct WHERE Name = 'Bound'"), "6\n");

    CADOCommand command(&f.db, "SELECT Name FROM Duct WHERE DN >= 4 ORDER BY DN", CADOCommand::typeCmdText);
    EXPECT_EQ(rs.Execute(&command), 1);
    EXPECT_EQ(rs.GetRecordCount(), 2u);
    EXPECT_EQ(NameAt(rs), "Exhaust");
    command.SetText("SELECT Nope FROM Duct");
    EXPECT_EQ(rs.Execute(&command), 0);
    EXPECT_NE(rs.GetLastErrorString().Find("Nope"), -1);
}

}  // namespace
