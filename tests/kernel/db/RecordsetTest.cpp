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
    rs.MoveLast();
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF() && rs.IsEof());
    rs.MoveFirst();
    rs.MovePrevious();
    EXPECT_TRUE(rs.IsBOF() && rs.IsBof());
    EXPECT_EQ(rs.SetBookmark(), 0);  // nothing saved yet
    rs.SetPageSize(2);
    EXPECT_EQ(rs.GetPageCount(), 3);
    rs.SetAbsolutePage(2);
    EXPECT_EQ(rs.GetAbsolutePosition(), 3);
    rs.GetBookmark();
    rs.SetAbsolutePosition(5);
    EXPECT_EQ(rs.GetAbsolutePage(), 3);
    EXPECT_EQ(rs.SetBookmark(), 1);
    EXPECT_EQ(NameAt(rs), "Spur");
    EXPECT_THROW(rs.SetAbsolutePosition(9), _com_error);  // navigation errors reach the caller
}

// Page counts round up: rows that fill their pages exactly make no extra page, one more row does.
// The page size is 10 until it is set.
TEST(ADORecordset, PageCountsAtExactMultiplesOfThePageSize) {
    DuctFixture f;
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select * from Duct order by ID"));  // 5 rows
    EXPECT_EQ(rs.GetPageSize(), 10);
    EXPECT_EQ(rs.GetPageCount(), 1);
    const struct {
        long size, pages;
    } rows[] = {{1, 5}, {2, 3}, {4, 2}, {5, 1}, {6, 1}};
    for (const auto& r : rows) {
        rs.SetPageSize(r.size);
        EXPECT_EQ(rs.GetPageSize(), r.size);
        EXPECT_EQ(rs.GetPageCount(), r.pages) << "page size " << r.size;
    }
    rs.SetPageSize(5);
    rs.SetAbsolutePage(1);
    EXPECT_EQ(rs.GetAbsolutePosition(), 1);
    EXPECT_THROW(rs.SetAbsolutePage(2), _com_error);  // no second page of an exact fit

    for (int i = 0; i < 5; ++i) Sql(f.db, "INSERT INTO Duct (Kind, Name, DN) VALUES ('S', 'More', 9)");
    CADORecordset ten(&f.db);
    ASSERT_TRUE(ten.Open("select * from Duct order by ID"));
    EXPECT_EQ(ten.GetPageCount(), 1);  // 10 rows, default size 10
    ten.SetPageSize(5);
    EXPECT_EQ(ten.GetPageCount(), 2);
    ten.SetAbsolutePage(2);
    EXPECT_EQ(ten.GetAbsolutePosition(), 6);
    Sql(f.db, "INSERT INTO Duct (Kind, Name, DN) VALUES ('S', 'Eleventh', 9)");
    ASSERT_TRUE(ten.Requery());
    EXPECT_EQ(ten.GetPageCount(), 3);  // 11 rows in pages of 5
}

// A text field compared with a number: a text that reads as a number compares as one, any other
// text compares as text with the number's digits.
TEST(ADORecordset, TextFieldsComparedWithNumbers) {
    DuctFixture f;
    for (const char* name : {"12", "7", "3", "5"}) {
        Sql(f.db, (std::string("INSERT INTO Duct (Kind, Name, DN) VALUES ('N', '") + name + "', 1)").c_str());
    }
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select * from Duct where Kind = 'N' or Name = 'Supply' order by ID"));
    auto names = [&] {
        std::string all;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) all += NameAt(rs) + " ";
        return all;
    };
    const struct {
        const char* filter;
        const char* names;
    } rows[] = {
        {"Name > 5", "Supply 12 7 "},  // 12 > 5 as numbers; "Supply" > "5" as texts
        {"Name < 5", "3 "},
        {"Name = 5", "5 "},
        {"Name >= 7", "Supply 12 7 "},
        {"Name <> 12", "Supply 7 3 5 "},
    };
    for (const auto& r : rows) {
        ASSERT_EQ(rs.SetFilter(r.filter), 1) << r.filter << ": " << rs.GetLastErrorString();
        EXPECT_EQ(names(), r.names) << r.filter;
    }
    ASSERT_EQ(rs.SetFilter(""), 1);
    EXPECT_EQ(rs.FindFirst("Name > 10"), 1);
    EXPECT_EQ(NameAt(rs), "Supply");
    EXPECT_EQ(rs.FindNext(), 1);
    EXPECT_EQ(NameAt(rs), "12");
    EXPECT_EQ(rs.FindNext(), 0);
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
    EXPECT_EQ(rs.Find("DN = 5", 0), 0);  // no such direction: the next search goes forward
    EXPECT_EQ(rs.FindNext(), 1);            // from the record found last
    EXPECT_EQ(NameAt(rs), "Side");
    EXPECT_THROW(rs.Find("DN = = 2"), _com_error);  // Find lets platform errors through

    EXPECT_EQ(rs.SetFilter("Kind = 'S' AND Name LIKE '%p%'"), 1);
    EXPECT_EQ(rs.GetRecordCount(), 2u);
    EXPECT_EQ(rs.SetSort("Name DESC"), 1);
    rs.MoveFirst();
    EXPECT_EQ(NameAt(rs), "Supply");
    EXPECT_EQ(rs.SetFilter("Nothing = 1"), 0);
    EXPECT_EQ(rs.GetLastErrorString().Find("Query = select * from Duct order by ID\nCADORecordset Error\n"), 0);
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
    ASSERT_TRUE(rs.Open("select ID, Name, Note from Duct order by ID"));
    // Unknown fields give neutral values and record nothing.
    EXPECT_TRUE(rs.GetFieldName(9) == "" && rs.GetField("Nope") == nullptr && rs.GetFieldType("Nope") == 0);
    EXPECT_TRUE(rs.GetFieldDefineSize(9) == -1 && rs.GetFieldAttributes("Nope") == -1 && rs.GetFieldActualSize(9) == -1);
    EXPECT_EQ(rs.GetLastError(), 0u);
    CADOFieldInfo info;
    EXPECT_EQ(rs.GetFieldInfo("Name", &info), 1);
    EXPECT_STREQ(info.m_strName, "Name");
    EXPECT_TRUE(info.m_nType == NUVADO::adVarWChar && info.m_lDefinedSize == 50 && info.m_lSize == 12);  // UTF-16
    rs.MoveLast();
    rs.MoveNext();
    EXPECT_EQ(rs.GetFieldInfo(2, &info), 1);
    EXPECT_TRUE(info.m_lSize == 0 && (info.m_lAttributes & NUVADO::adFldLong));  // at the end: no size
    ASSERT_TRUE(rs.Open("select * from Wide"));
    EXPECT_EQ(rs.GetFieldInfo(0, &info), 1);
    EXPECT_STREQ(info.m_strName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012");
}

TEST(ADORecordset, ExportsText) {
    DuctFixture f;
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select ID, Name, Flow from Duct where ID <= 3 order by ID"));
    EXPECT_EQ(rs.GetString(), "1\tSupply\t0.1\r2\tReturn\t\r3\tSpur\t2\r");
    rs.MoveFirst();
    EXPECT_EQ(rs.GetString(";", "|", "NULL", 2), "1;Supply;0.1|2;Return;|");

}

}  // namespace
