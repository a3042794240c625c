// Record sets large enough to span many cell blocks and text chunks: texts and dates kept as the
// engine's bytes until asked for, and the blocks of closed record sets handed to later ones.
#include "AdoTestUtil.h"

#include <cstdio>
#include <string_view>

#include "com/OleDateTime.h"
#include "win/Encoding.h"

namespace {

using namespace adotest;

constexpr int kRows = 5000;

// What row r holds, worked out here rather than read back through the layer.
// Row names every 97th row are Chinese; read as narrow text they come back in GBK.
std::string NameOf(int r) { return (r % 97 == 0 ? "\xB7\xE7\xB9\xDC " : "Duct ") + std::to_string(r); }
enum class MadeKind { Null, Date, Text };
MadeKind MadeOf(int r) { return r % 4 == 0 ? MadeKind::Null : r % 4 == 2 ? MadeKind::Text : MadeKind::Date; }
std::string MadeText(int r) {
    char b[32];
    std::snprintf(b, sizeof b, "2006-%02d-%02d 13:45:%02d", r % 12 + 1, r % 28 + 1, r % 60);
    return b;
}

class LargeRead : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.Touch("large.mdb");
        ADO_TRY(conn = Connect(path); Exec(conn, "CREATE TABLE Big (ID COUNTER, Name TEXT(40), Made DATETIME, Note MEMO)");
                Exec(conn, "CREATE TABLE Narrow (V SHORT)"));
        conn = nullptr;  // the shell fills the file on its own
        // Non-date text goes into the date column on purpose: it must read back as text.
        int status = -1;
        Shell(path,
              "WITH RECURSIVE n(r) AS (SELECT 1 UNION ALL SELECT r + 1 FROM n WHERE r < " + std::to_string(kRows) +
                  ") INSERT INTO Big (ID, Name, Made, Note) SELECT r, CASE WHEN r % 97 = 0 THEN "
                  "char(39118, 31649) || ' ' || r ELSE 'Duct ' || r END, CASE r % 4 WHEN 0 THEN NULL WHEN 2 THEN "
                  "'soon ' || r ELSE printf('2006-%02d-%02d 13:45:%02d', r % 12 + 1, r % 28 + 1, r % 60) END, "
                  "CASE WHEN r % 5 = 0 THEN '' ELSE NULL END FROM n; "
                  "WITH RECURSIVE n(r) AS (SELECT 1 UNION ALL SELECT r + 1 FROM n WHERE r < 12000) "
                  "INSERT INTO Narrow (V) SELECT CASE WHEN r % 3 = 0 THEN NULL ELSE r % 1000 END FROM n;",
              &status);
        ASSERT_EQ(status, 0);
        ADO_TRY(conn = Connect(path));
    }
    // Checks the current row against row r, through the fields and through the collection.
    void ExpectRow(const _RecordsetPtr& rs, int r) {
        ASSERT_EQ(Long(rs, "ID"), r);
        EXPECT_EQ(Text(rs, "Name"), NameOf(r));
        _variant_t name = rs->GetCollect(_variant_t(1L));
        ASSERT_EQ(name.vt, VT_BSTR);
        EXPECT_EQ(std::string(static_cast<const char*>(_bstr_t(name))), NameOf(r)) << "collection and field agree";
        _variant_t made = Val(rs, "Made");
        switch (MadeOf(r)) {
        case MadeKind::Null: EXPECT_EQ(made.vt, VT_NULL) << r; break;
        case MadeKind::Text: EXPECT_EQ(Text(rs, "Made"), "soon " + std::to_string(r)); break;
        case MadeKind::Date:
            ASSERT_EQ(made.vt, VT_DATE) << r;
            EXPECT_EQ(std::string(COleDateTime(made.date).Format().GetString()), MadeText(r));
            EXPECT_EQ(rs->GetCollect("made").vt, VT_DATE);
        }
        EXPECT_EQ(Text(rs, "Note"), r % 5 == 0 ? "" : "<null>");
    }
    TempDir dir;
    std::string path;
    _ConnectionPtr conn;
};

TEST_F(LargeRead, EveryRowReadsBackAsStoredAndAgainAfterReopening) {
    ADO_TRY({
        for (int pass = 0; pass < 2; ++pass) {  // the second pass runs on the first one's blocks
            _RecordsetPtr rs = OpenRs(conn, "select ID, Name, Made, Note from Big order by ID");
            ASSERT_EQ(rs->GetRecordCount(), kRows);
            int r = 1;
            for (; !rs->GetEndOfFile(); rs->MoveNext(), ++r) ExpectRow(rs, r);
            EXPECT_EQ(r, kRows + 1);
            rs->MovePrevious();
            ExpectRow(rs, kRows);  // read a second time
            rs->Close();
            // Blocks laid out for four columns, now holding one: nulls stay null.
            _RecordsetPtr narrow = OpenRs(conn, "select V from Narrow");
            ASSERT_EQ(narrow->GetRecordCount(), 12000);
            for (int k = 1; !narrow->GetEndOfFile(); narrow->MoveNext(), ++k) {
                _variant_t v = Val(narrow, "V");
                if (k % 3 == 0) ASSERT_EQ(v.vt, VT_NULL) << k;
                else ASSERT_EQ(static_cast<long>(v), k % 1000) << k;
            }
        }
    });
}

TEST_F(LargeRead, SortFilterFindCloneAndSaveSeeTheStoredValues) {
    ADO_TRY({
        _RecordsetPtr rs = OpenRs(conn, "select ID, Name, Made, Note from Big");
        rs->PutSort("ID DESC");
        rs->MoveFirst();
        ExpectRow(rs, kRows);
        rs->PutSort("Name");
        rs->MoveFirst();
        ExpectRow(rs, 1);
        rs->PutSort("");
        rs->PutFilter("Name = 'Duct 4242'");
        ASSERT_EQ(rs->GetRecordCount(), 1);
        ExpectRow(rs, 4242);
        rs->PutFilter(_variant_t(static_cast<long>(adFilterNone)));
        rs->MoveFirst();
        rs->Find("Made = #2006-08-16 13:45:43#", 0, adSearchForward);
        ASSERT_FALSE(rs->GetEndOfFile());
        ExpectRow(rs, 43);  // the first row with that date (then every 420th)
        _RecordsetPtr copy = rs->Clone(adLockUnspecified);
        copy->MoveFirst();
        copy->Move(96);
        ExpectRow(copy, 97);  // a Chinese name
        rs->Close();
        // Saved and read back (without the date column's texts, which a saved file cannot type).
        rs = OpenRs(conn, "select ID, Name, Made, Note from Big where ID % 4 <> 2");
        std::string xml = dir.File("big.xml");
        rs->Save(xml.c_str(), adPersistXML);
        rs->Close();
        _RecordsetPtr back;
        back.CreateInstance(CLSID_Recordset);
        back->Open(xml.c_str(), "Provider=MSPersist;", adOpenStatic, adLockOptimistic, adCmdFile);
        ASSERT_EQ(back->GetRecordCount(), kRows / 4 * 3);
        for (; !back->GetEndOfFile(); back->MoveNext()) ExpectRow(back, Long(back, "ID"));
    });
}

// PeekCollect hands out the same value GetCollect copies: texts as the engine's UTF-8 bytes,
// everything else as the value itself.
void ExpectPeekMatchesCollect(const _RecordsetPtr& rs, long columns, const std::string& where) {
    for (long c = 0; c < columns; ++c) {
        CollectView view;
        rs->PeekCollect(c, view);
        _variant_t copy = rs->GetCollect(_variant_t(c));
        if (!view.value) {
            ASSERT_EQ(copy.vt, VT_BSTR) << where << " column " << c;
            EXPECT_EQ(NUVWin::Utf8ToGbk(std::string_view(view.utf8, view.bytes)), static_cast<const char*>(_bstr_t(copy)))
                << where << " column " << c;
        } else {
            EXPECT_TRUE(copy == _variant_t(*view.value)) << where << " column " << c;
        }
    }
}

// Texts too long for the shared text store, columns without a declared type (typed from what
// they hold) and a pass that reads every cell both ways.
TEST_F(LargeRead, LongTextsAndExpressionColumnsReadBothWays) {
    ADO_TRY({
        const std::string longText(70000, 'w');
        Exec(conn, "CREATE TABLE Memo (ID COUNTER, Body MEMO)");
        Exec(conn, "INSERT INTO Memo (Body) VALUES ('" + longText + "')");
        Exec(conn, "INSERT INTO Memo (Body) VALUES ('short')");
        _RecordsetPtr memo = OpenRs(conn, "select Body, Body || '!' as Shout, length(Body) as Size from Memo order by ID");
        EXPECT_TRUE(Text(memo, "Body") == longText);  // (not printed whole when it fails)
        EXPECT_TRUE(Text(memo, "Shout") == longText + "!");
        EXPECT_EQ(Long(memo, "Size"), 70000);
        ExpectPeekMatchesCollect(memo, 3, "long text");
        memo->PutSort("Body");  // sorting reads the texts in place of the values
        memo->MoveFirst();
        EXPECT_EQ(Text(memo, "Body"), "short");
        ExpectPeekMatchesCollect(memo, 3, "short text");

        _RecordsetPtr rs = OpenRs(conn, "select ID, Name, Made, Note, Name || '' as Copy, ID * 0.5 as Half from Big");
        EXPECT_EQ(rs->GetFields()->GetItem("Copy")->GetType(), adVarWChar);
        EXPECT_EQ(rs->GetFields()->GetItem("Half")->GetType(), adDouble);
        for (int r = 1; !rs->GetEndOfFile(); rs->MoveNext(), ++r) {
            ExpectPeekMatchesCollect(rs, 6, "row " + std::to_string(r));
            EXPECT_EQ(Text(rs, "Copy"), NameOf(r));
            if (HasFailure()) break;
        }
    });
}

// Writing through a stored cell: the new value replaces it and the key still finds the row. A
// new row starts all null, also in cells a closed record set used before.
TEST_F(LargeRead, UpdatesReplaceStoredTextsAndDates) {
    ADO_TRY({
        OpenRs(conn, "select ID, Name, Made, Note from Big")->Close();
        _RecordsetPtr rs = OpenRs(conn, "select ID, Name, Made, Note from Big where ID between 10 and 12", adOpenKeyset);
        rs->AddNew();
        rs->PutCollect("Name", _variant_t("Added"));
        EXPECT_EQ(Val(rs, "Made").vt, VT_NULL);
        EXPECT_EQ(Val(rs, "Note").vt, VT_NULL);
        rs->CancelUpdate();
        rs->MoveFirst();
        rs->PutCollect("Name", _variant_t("Renamed"));
        rs->PutCollect("Made", _variant_t(COleDateTime(2010, 2, 3, 4, 5, 6).m_dt, VT_DATE));
        rs->Update();
        rs->Requery(-1);
        EXPECT_EQ(Text(rs, "Name"), "Renamed");
        EXPECT_EQ(std::string(COleDateTime(Val(rs, "Made").date).Format().GetString()), "2010-02-03 04:05:06");
        rs->MoveNext();
        ExpectRow(rs, 11);
        int status = -1;
        EXPECT_EQ(Shell(path, "SELECT Name, Made FROM Big WHERE ID = 10", &status), "Renamed|2010-02-03 04:05:06\n");
    });
}

}  // namespace
