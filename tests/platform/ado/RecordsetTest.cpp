#include "AdoTestUtil.h"

#include <cstring>

#include "com/OleDateTime.h"

namespace {

using namespace adotest;

class Duct : public ::testing::Test {
protected:
    void SetUp() override {
        try {
            Fill();
        } catch (const _com_error& e) {
            const char* d = e.Description();
            FAIL() << std::hex << e.Error() << " " << (d ? d : "");
        }
    }
    void Fill() {
        conn = Connect(dir.Touch("duct.mdb"));
        Exec(conn, "CREATE TABLE Duct (ID COUNTER, Name TEXT(20), Width SHORT, Area DOUBLE, Made DATETIME, Price CURRENCY, "
                   "Insulated YESNO, Note MEMO, Pic LONGBINARY)");
        const char* rows[] = {
            "('Supply', 400, 0.2, #2006-05-01#, 12.5, True, 'main')",
            "('Return', 300, 0.09, #2006-06-15 08:30:00#, 8, False, NULL)",
            "('Exhaust', 250, 0.0625, NULL, 3.25, True, 'roof')",
            "('supply branch', 200, 0.04, #2005-12-31#, NULL, False, NULL)",
            "('Fresh air', 500, 0.25, #2007-01-01#, 20, True, 'O''Brien')",
        };
        for (const char* r : rows) Exec(conn, std::string("INSERT INTO Duct (Name, Width, Area, Made, Price, Insulated, Note) VALUES ") + r);
    }
    std::string Ids(const _RecordsetPtr& rs) {
        std::string s;
        if (rs->GetRecordCount() == 0) return s;
        rs->MoveFirst();
        for (; !rs->GetEndOfFile(); rs->MoveNext()) s += std::to_string(Long(rs, "ID")) + " ";
        return s;
    }
    TempDir dir;
    _ConnectionPtr conn;
};

TEST_F(Duct, FieldsReportDesktopTypesSizesAndAttributes) {
    _RecordsetPtr rs = OpenRs(conn, "select * from Duct");
    struct Case {
        const char* name;
        DataTypeEnum type;
        long size;
        long mustHave;
        VARTYPE vt;
    };
    const Case cases[] = {
        {"ID", adInteger, 4, adFldFixed | adFldKeyColumn, VT_I4},
        {"Name", adVarWChar, 20, adFldIsNullable, VT_BSTR},
        {"Width", adSmallInt, 2, adFldFixed, VT_I2},
        {"Area", adDouble, 8, adFldFixed, VT_R8},
        {"Made", adDate, 8, adFldFixed, VT_DATE},
        {"Price", adCurrency, 8, adFldFixed, VT_CY},
        {"Insulated", adBoolean, 2, adFldFixed, VT_BOOL},
        {"Note", adLongVarWChar, 536870910, adFldLong, VT_BSTR},
        {"Pic", adLongVarBinary, 1073741823, adFldLong, VT_NULL},
    };
    FieldsPtr f = rs->GetFields();
    ASSERT_EQ(f->GetCount(), 9);
    for (const auto& c : cases) {
        FieldPtr fld = f->GetItem(c.name);
        EXPECT_EQ(fld->GetType(), c.type) << c.name;
        EXPECT_EQ(fld->GetDefinedSize(), c.size) << c.name;
        EXPECT_EQ(fld->GetAttributes() & c.mustHave, c.mustHave) << c.name;
        EXPECT_EQ(fld->GetValue().vt, c.vt) << c.name;
    }
    EXPECT_EQ(f->GetItem(0L)->GetName(), _bstr_t("ID"));
    EXPECT_EQ(f->GetItem("width")->GetName(), _bstr_t("Width")) << "names match without regard to case";
    EXPECT_EQ(f->GetItem("Name")->GetActualSize(), 12) << "six UTF-16 characters";
    EXPECT_EQ(ErrorOf([&] { f->GetItem("Height"); }), adErrItemNotFound);
    EXPECT_EQ(ErrorOf([&] { f->GetItem(9L); }), adErrItemNotFound);
    EXPECT_EQ(Val(rs, "Price").cyVal.int64, 125000);
    EXPECT_EQ(COleDateTime(Val(rs, "Made").date).Format(), CString("2006-05-01 00:00:00"));
}

TEST_F(Duct, ForwardOnlyCountsMinusOneStaticCountsRows) {
    _RecordsetPtr fwd = OpenRs(conn, "select * from Duct", adOpenForwardOnly, adLockReadOnly);
    EXPECT_EQ(fwd->GetRecordCount(), -1);
    EXPECT_EQ(ErrorOf([&] { fwd->MovePrevious(); }), adErrFeatureNotAvailable);
    int walked = 0;
    for (fwd->MoveFirst(); !fwd->GetEndOfFile(); fwd->MoveNext()) ++walked;
    EXPECT_EQ(walked, 5);
    EXPECT_EQ(ErrorOf([&] { fwd->MoveNext(); }), adErrNoCurrentRecord);
    _RecordsetPtr st = OpenRs(conn, "select * from Duct where ID > 100");
    EXPECT_EQ(st->GetRecordCount(), 0);
    EXPECT_TRUE(st->GetEndOfFile() && st->GetBOF());
    EXPECT_EQ(ErrorOf([&] { Val(st, "ID"); }), adErrNoCurrentRecord);
}

TEST_F(Duct, EditsWriteThroughByKeyAndNewIdsReadBack) { ADO_TRY({
    _RecordsetPtr rs = OpenRs(conn, "select ID, Name, Width from Duct order by ID");
    rs->MoveLast();
    rs->AddNew();
    rs->GetFields()->GetItem("Name")->PutValue("Kitchen");
    EXPECT_EQ(rs->GetEditMode(), adEditAdd);
    rs->Update();
    EXPECT_EQ(Long(rs, "ID"), 6) << "self-numbered ID visible after Update";
    EXPECT_EQ(Val(rs, "Width").vt, VT_NULL);
    rs->MoveFirst();
    EXPECT_EQ(ErrorOf([&] { rs->GetFields()->GetItem("Width")->PutValue(70000L); }), DB_E_ERRORSOCCURRED)
        << "70000 does not fit a SHORT";
    rs->GetFields()->GetItem("Width")->PutValue(short(450));
    rs->GetFields()->GetItem("Name")->PutValue("Supply main");
    rs->Update();
    rs->MoveNext();
    rs->Delete(adAffectCurrent);
    EXPECT_EQ(ErrorOf([&] { Val(rs, "ID"); }), adErrNoCurrentRecord) << "a deleted record is not current";
    rs->MoveNext();
    EXPECT_EQ(Long(rs, "ID"), 3) << "moving on from a deleted record reaches the one after it";
    rs->AddNew();
    rs->GetFields()->GetItem("Name")->PutValue("never");
    rs->CancelUpdate();

    _RecordsetPtr check = OpenRs(conn, "select ID, Name, Width from Duct order by ID", adOpenForwardOnly, adLockReadOnly);
    std::string all;
    for (; !check->GetEndOfFile(); check->MoveNext()) all += std::to_string(Long(check, "ID")) + "=" + Text(check, "Name") + " ";
    EXPECT_EQ(all, "1=Supply main 3=Exhaust 4=supply branch 5=Fresh air 6=Kitchen ");
    check = OpenRs(conn, "select Width from Duct where ID = 1");
    EXPECT_EQ(Long(check, "Width"), 450);
    })
}

TEST_F(Duct, TablesWithoutKeysAndUniqueIndexesUpdateSafely) {
    Exec(conn, "CREATE TABLE Seq (ID LONG, Label TEXT(10))");
    Exec(conn, "CREATE UNIQUE INDEX SeqID ON Seq (ID)");
    Exec(conn, "INSERT INTO Seq VALUES (1, 'a'); INSERT INTO Seq VALUES (2, 'b'); INSERT INTO Seq VALUES (3, 'c')");
    _RecordsetPtr rs = OpenRs(conn, "select ID from Seq where ID=2");
    rs->GetFields()->GetItem("ID")->PutValue(3L);
    std::string d;
    EXPECT_EQ(ErrorOf([&] { rs->Update(); }, &d), DB_E_INTEGRITYVIOLATION) << "the engine guards the unique index";
    EXPECT_NE(d.find("Seq.ID"), std::string::npos) << d;
    rs->CancelUpdate();
    rs->GetFields()->GetItem("ID")->PutValue(4L);
    rs->Update();
    _RecordsetPtr check = OpenRs(conn, "select Label from Seq where ID=4");
    EXPECT_EQ(Text(check, "Label"), "b") << "the row was found by its values, not by position";
    _RecordsetPtr mx = OpenRs(conn, "select max(ID) from Seq");
    EXPECT_EQ(Long(mx, "ID"), 4) << "the maximum answers to the column's name";
    _RecordsetPtr ro = OpenRs(conn, "select count(*) as N from Seq");
    EXPECT_EQ(Long(ro, "N"), 3);
    EXPECT_EQ(ro->GetFields()->GetItem("N")->GetType(), adInteger);
    EXPECT_EQ(ErrorOf([&] { ro->GetFields()->GetItem("N")->PutValue(1L); }), adErrFeatureNotAvailable);
}

struct CriteriaCase {
    const char* criteria;
    const char* ids;
};

TEST_F(Duct, FilterTakesTheCriteriaLanguage) {
    const CriteriaCase cases[] = {
        {"Width > 300", "1 5 "},
        {"Name = 'supply'", "1 "},
        {"Name LIKE 'supply*'", "1 4 "},
        {"Name LIKE '%r%'", "2 4 5 "},
        {"Name NOT LIKE 's%'", "2 3 5 "},
        {"Made < #2006-06-01#", "1 4 "},
        {"Made >= #6/15/2006#", "2 5 "},
        {"Price IS NULL OR Made IS NULL", "3 4 "},
        {"Insulated = True AND (Width < 300 OR Area >= 0.25)", "3 5 "},
        {"NOT (Width <> 400)", "1 "},
        {"Note = 'O''Brien'", "5 "},
        {"[Area] = 0.0625", "3 "},
        {"Price > 10", "1 5 "},
        {"", "1 2 3 4 5 "},
    };
    _RecordsetPtr rs = OpenRs(conn, "select * from Duct order by ID");
    for (const auto& c : cases) {
        rs->PutFilter(c.criteria);
        EXPECT_EQ(Ids(rs), c.ids) << c.criteria;
    }
    rs->PutFilter(_variant_t(static_cast<long>(adFilterNone)));
    EXPECT_EQ(rs->GetRecordCount(), 5);
    const char* bad[] = {"Width >", "Width = 'x", "(Width = 1", "Width ~ 3", "Made = #notadate#"};
    for (const char* b : bad) EXPECT_EQ(ErrorOf([&] { rs->PutFilter(b); }), adErrInvalidArgument) << b;
    EXPECT_EQ(ErrorOf([&] { rs->PutFilter("Height = 1"); }), adErrItemNotFound);
}

TEST_F(Duct, FindMovesForwardAndBackwardAndStopsAtTheEnds) {
    _RecordsetPtr rs = OpenRs(conn, "select * from Duct order by ID");
    rs->Find("Insulated = True", 0, adSearchForward);
    EXPECT_EQ(Long(rs, "ID"), 1) << "the current record counts when skip is 0";
    _variant_t found = rs->GetBookmark();
    rs->Find("Insulated = True", 1, adSearchForward, found);
    EXPECT_EQ(Long(rs, "ID"), 3);
    rs->Find("Insulated = True", 1, adSearchForward);
    EXPECT_EQ(Long(rs, "ID"), 5);
    rs->Find("Insulated = True", 1, adSearchForward);
    EXPECT_TRUE(rs->GetEndOfFile());
    rs->MoveLast();
    rs->Find("Width < 300", 0, adSearchBackward);
    EXPECT_EQ(Long(rs, "ID"), 4);
    rs->Find("Name = 'Supply'", 1, adSearchBackward);
    EXPECT_EQ(Long(rs, "ID"), 1);
    rs->Find("Name = 'Supply'", 1, adSearchBackward);
    EXPECT_TRUE(rs->GetBOF());
    rs->Find("Name = 'Supply'", 0, adSearchBackward);
    EXPECT_TRUE(rs->GetBOF()) << "nothing lies before BOF";
    rs->Find("Name = 'Supply'", 0, adSearchForward);
    EXPECT_EQ(Long(rs, "ID"), 1) << "from BOF a forward search starts at the first record";
    rs->MoveLast();
    rs->MoveNext();
    rs->Find("Width = 300", 0, adSearchBackward);
    EXPECT_EQ(Long(rs, "ID"), 2) << "from EOF a backward search starts at the last record";
}

TEST_F(Duct, SortBookmarksPagingAndPositions) {
    _RecordsetPtr rs = OpenRs(conn, "select * from Duct");
    rs->PutSort("Insulated, Width");  // True is -1, so it sorts first
    EXPECT_EQ(Ids(rs), "3 1 5 4 2 ");
    rs->PutAbsolutePosition(2);
    _variant_t mark = rs->GetBookmark();
    EXPECT_EQ(Long(rs, "ID"), 1);
    rs->PutSort("");
    rs->MoveFirst();
    rs->PutBookmark(mark);
    EXPECT_EQ(Long(rs, "ID"), 1) << "a bookmark survives a new sort order";
    EXPECT_EQ(rs->GetAbsolutePosition(), 1);
    rs->PutPageSize(2);
    EXPECT_EQ(rs->GetPageCount(), 3);
    rs->PutAbsolutePage(3);
    EXPECT_EQ(Long(rs, "ID"), 5);
    EXPECT_EQ(rs->GetAbsolutePage(), 3);
    rs->MoveNext();
    EXPECT_EQ(rs->GetAbsolutePage(), adPosEOF);
    EXPECT_EQ(rs->GetAbsolutePosition(), adPosEOF);
    EXPECT_EQ(ErrorOf([&] { rs->PutAbsolutePage(4); }), adErrInvalidArgument);
    rs->PutFilter("ID <> 1");
    EXPECT_EQ(ErrorOf([&] { rs->PutBookmark(mark); }), adErrInvalidArgument) << "the bookmarked row is filtered out";
}

TEST_F(Duct, RequeryAndClone) {
    _RecordsetPtr rs = OpenRs(conn, "select ID, Name from Duct where Width >= 300 order by ID");
    _RecordsetPtr copy = rs->Clone(adLockUnspecified);
    copy->MoveLast();
    EXPECT_EQ(Long(rs, "ID"), 1) << "a clone moves on its own";
    copy->GetFields()->GetItem("Name")->PutValue("Fresh");
    copy->Update();
    rs->MoveLast();
    EXPECT_EQ(Text(rs, "Name"), "Fresh") << "clones share their rows";
    Exec(conn, "UPDATE Duct SET Width = 100 WHERE ID = 2");
    EXPECT_EQ(rs->GetRecordCount(), 3);
    rs->Requery(-1);
    EXPECT_EQ(rs->GetRecordCount(), 2);
    EXPECT_EQ(Long(rs, "ID"), 1);
}

TEST_F(Duct, GetStringJoinsTheRemainingRows) {
    _RecordsetPtr rs = OpenRs(conn, "select ID, Name, Price from Duct where ID <= 4 order by ID");
    rs->MoveNext();
    _bstr_t s = rs->GetString(adClipString, 2, "|", "\n", "-");
    EXPECT_STREQ(static_cast<const char*>(s), "2|Return|8\n3|Exhaust|3.25\n");
    EXPECT_EQ(Long(rs, "ID"), 4);
    s = rs->GetString(adClipString, -1, _bstr_t(), _bstr_t(), _bstr_t(""));
    EXPECT_STREQ(static_cast<const char*>(s), "4\tsupply branch\t\r");
    EXPECT_TRUE(rs->GetEndOfFile());
}

TEST_F(Duct, ChunksMoveLongBinaryInPieces) {
    std::vector<unsigned char> blob(250);
    for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<unsigned char>(i * 7);
    _RecordsetPtr rs = OpenRs(conn, "select ID, Pic, Note from Duct where ID = 2");
    FieldPtr pic = rs->GetFields()->GetItem("Pic");
    pic->AppendChunk(_variant_t::FromBytes(blob.data(), 100));
    pic->AppendChunk(_variant_t::FromBytes(blob.data() + 100, 150));
    rs->GetFields()->GetItem("Note")->AppendChunk(_variant_t::FromBytes("memo ", 5));  // bytes: GBK text
    rs->GetFields()->GetItem("Note")->AppendChunk("text");
    rs->Update();
    EXPECT_EQ(ErrorOf([&] { rs->GetFields()->GetItem("ID")->AppendChunk(_variant_t::FromBytes("x", 1)); }), adErrFeatureNotAvailable);
    _RecordsetPtr back = OpenRs(conn, "select Pic, Note from Duct where ID = 2");
    FieldPtr f = back->GetFields()->GetItem("Pic");
    ASSERT_EQ(f->GetActualSize(), 250);
    std::vector<unsigned char> got;
    for (;;) {
        _variant_t piece = f->GetChunk(100);
        if (piece.vt == VT_NULL) break;
        std::vector<std::uint8_t> b = piece.ToBytes();
        EXPECT_LE(b.size(), 100u);
        got.insert(got.end(), b.begin(), b.end());
    }
    EXPECT_EQ(got, blob);
    // Reading another field ends the piecewise read; its size does not.
    back->MoveFirst();
    EXPECT_EQ(f->GetChunk(100).ToBytes().front(), blob[0]);
    EXPECT_EQ(back->GetFields()->GetItem("Note")->GetActualSize(), 18);  // bytes of wide text
    EXPECT_EQ(f->GetChunk(100).ToBytes().front(), blob[100]);
    EXPECT_EQ(Text(back, "Note"), "memo text");
    EXPECT_EQ(f->GetChunk(100).ToBytes().front(), blob[0]) << "starts again after another field was read";
    EXPECT_EQ(f->GetChunk(100).ToBytes().front(), blob[100]);
    int status;
    EXPECT_EQ(Shell(dir.File("duct.mdb"), "SELECT length(Pic), typeof(Pic) FROM Duct WHERE ID = 2", &status), "250|blob\n");
}

TEST_F(Duct, DesktopSqlDialectRuns) { ADO_TRY({
    struct Case {
        const char* sql;
        const char* result;
    };
    const Case cases[] = {
        {"select top 2 Name from Duct order by Width desc", "Fresh air|Supply|"},
        {"select Name & '-' & Width as X from Duct where ID = 1", "Supply-400|"},
        {"select count(*) as X from Duct where Insulated = True", "3|"},
        {"select UCase(Left(Name, 3)) as X from Duct where Made = #2006-05-01#", "SUP|"},
        {"select IIf(Width > 300, 'big', 'small') as X from Duct where ID in (1, 3) order by ID", "big|small|"},
        {"select Nz(Note, '?') as X from Duct where ID = 2", "?|"},
    };
    for (const auto& c : cases) {
        _RecordsetPtr rs = OpenRs(conn, c.sql);
        std::string got;
        for (; !rs->GetEndOfFile(); rs->MoveNext())
            got += static_cast<const char*>(static_cast<_bstr_t>(rs->GetFields()->GetItem(0L)->GetValue())) + std::string("|");
        EXPECT_EQ(got, c.result) << c.sql;
    }
    })
}

struct Row : CADORecordBinding {
    BEGIN_ADO_BINDING(Row)
    ADO_FIXED_LENGTH_ENTRY2(1, adInteger, id, false)
    ADO_VARIABLE_LENGTH_ENTRY2(2, adVarChar, name, sizeof(name), nameStatus, true)
    ADO_FIXED_LENGTH_ENTRY(3, adDouble, area, areaStatus, true)
    END_ADO_BINDING()
    std::int32_t id = 0;
    char name[8] = {};
    std::uint32_t nameStatus = 0;
    double area = 0;
    std::uint32_t areaStatus = 0;
};

TEST_F(Duct, RecordBindingFollowsTheCursor) {
    _RecordsetPtr rs = OpenRs(conn, "select ID, Name, Area from Duct order by ID");
    IADORecordBindingPtr bind(rs);
    Row row;
    bind->BindToRecordset(&row);
    EXPECT_EQ(row.id, 1);
    EXPECT_STREQ(row.name, "Supply");
    rs->MoveNext();
    EXPECT_EQ(row.id, 2);
    EXPECT_DOUBLE_EQ(row.area, 0.09);
    rs->MoveNext();
    rs->MoveNext();
    EXPECT_STREQ(row.name, "supply ") << "cut to the buffer";
    EXPECT_EQ(row.nameStatus, static_cast<std::uint32_t>(adFldTruncated));
    Row add;
    std::strcpy(add.name, "Spare");
    add.area = 1.5;
    bind->AddNew(&add);
    bind->Update(&add);
    EXPECT_EQ(row.id, 6) << "the binding shows the stored row";
    _RecordsetPtr check = OpenRs(conn, "select Area from Duct where Name = 'Spare'");
    EXPECT_DOUBLE_EQ(static_cast<double>(Val(check, "Area")), 1.5);
}

}  // namespace
