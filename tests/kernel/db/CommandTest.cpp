#include "DbTestUtil.h"
#include "db/ADOException.h"

namespace {

using namespace dbtest;
using namespace NUVADO;

struct ProcFixture : Fixture {
    ProcFixture() {
        MakeDuctTable(db);
        Sql(db, "CREATE PROCEDURE DuctsOf (pKind TEXT(10), pMin SHORT) AS "
                "SELECT Name FROM Duct WHERE Kind = pKind AND DN >= pMin ORDER BY DN");
        Sql(db, "CREATE PROCEDURE SetLen (pLen LONG) AS UPDATE Duct SET Len = pLen WHERE Kind = 'S'");
    }
};

TEST(ADOCommand, RunsStoredProceduresWithPositionalParameters) {
    ProcFixture f;
    CADOCommand query(&f.db, "DuctsOf");
    EXPECT_EQ(query.GetType(), CADOCommand::typeCmdStoredProc);
    EXPECT_EQ(query.AddParameter("pKind", adVarWChar, adParamInput, 10, CString("S")), 1);
    EXPECT_EQ(query.AddParameter("pMin", adSmallInt, adParamInput, 2, 3), 1);
    CADORecordset rs(&f.db);
    ASSERT_EQ(rs.Execute(&query), 1) << rs.GetLastErrorString();
    EXPECT_EQ(rs.GetString(",", ";"), "Spur;Side;");

    CADOCommand action(&f.db, "SetLen");
    CADOParameter length(adInteger, 0, adParamInput, "pLen");
    EXPECT_EQ(length.SetValue(12L), 1);
    EXPECT_EQ(action.AddParameter(&length), 1);
    EXPECT_EQ(action.Execute(), 1) << action.GetLastErrorString();
    EXPECT_EQ(action.GetRecordsAffected(), 3);
    EXPECT_EQ(Shell(f.path, "SELECT group_concat(Len) FROM Duct WHERE Kind = 'S'"), "12,12,12\n");

    action.SetText("NoSuchProcedure");
    EXPECT_EQ(action.GetText(), "NoSuchProcedure");
    EXPECT_EQ(action.Execute(), 0);
    EXPECT_EQ(action.GetRecordsAffected(), 0);
    std::string report = action.GetLastErrorString().str();
    EXPECT_EQ(report.rfind("CADOCommand Error\n\tCode = 80040e37\n\tCode meaning = IDispatch error #3127\n\tSource = ", 0), 0u)
        << report;
    EXPECT_NE(report.find("NoSuchProcedure"), std::string::npos);
    EXPECT_EQ(action.AddParameter(nullptr), 0);
}

TEST(ADOParameter, ValuesTakeANaturalSizeOnlyWhenNoneIsSet) {
    struct Case {
        int type;
        long size;
        std::function<int(CADOParameter&)> set;
        long expectedSize;
        VARTYPE tag;
    } const cases[] = {
        {adSmallInt, 0, [](CADOParameter& p) { return p.SetValue(70000); }, 4, VT_I2},
        {adInteger, 0, [](CADOParameter& p) { return p.SetValue(5L); }, 4, VT_I4},
        {adDouble, 0, [](CADOParameter& p) { return p.SetValue(0.5); }, 8, VT_R8},
        {adDate, 0, [](CADOParameter& p) { return p.SetValue(COleDateTime(2006, 5, 1, 13, 45, 0)); }, 8, VT_DATE},
        {adVarWChar, 0, [](CADOParameter& p) { return p.SetValue("abcd"); }, 4, VT_BSTR},
        {adVarWChar, 0, [](CADOParameter& p) { return p.SetValue(CString()); }, 0, VT_NULL},
        {adVariant, 0, [](CADOParameter& p) { return p.SetValue(_variant_t(true)); }, 16, VT_BOOL},
        {adVarWChar, 50, [](CADOParameter& p) { return p.SetValue("abcd"); }, 50, VT_BSTR},
    };
    for (const Case& c : cases) {
        CADOParameter p(c.type, c.size, adParamInput, "p");
        EXPECT_EQ(c.set(p), 1);
        EXPECT_EQ(p.GetParameter()->GetSize(), c.expectedSize) << c.type;
        EXPECT_EQ(p.GetParameter()->GetValue().vt, c.tag) << c.type;
    }
}

TEST(ADOParameter, ReadsDifferFromFieldsForDatesAndUnsignedText) {
    CADOParameter when(adDate, 0, adParamInput, "when");
    when.SetValue(COleDateTime(2006, 5, 1, 13, 45, 0));
    double d = -1;
    EXPECT_EQ(when.GetValue(d), 1);
    EXPECT_EQ(d, 0.0);  // a date gives no number here
    CString text;
    EXPECT_EQ(when.GetValue(text), 1);
    EXPECT_EQ(text, "2006-05-01 13:45:00");

    CADOParameter big(adUnsignedInt, 0, adParamInput, "big");
    big.SetValue(_variant_t(4000000000UL));
    text = "old";
    EXPECT_EQ(big.GetValue(text), 0);
    EXPECT_EQ(text, "");
    long l = 0;
    EXPECT_EQ(big.GetValue(l), 1);
    EXPECT_EQ(l, static_cast<long>(static_cast<std::int32_t>(4000000000u)));

    CADOParameter n(adInteger, 0, adParamInput, "n");
    EXPECT_EQ(n.SetValue(_variant_t(70000L)), 1);
    int i = 0;
    EXPECT_EQ(n.GetValue(i), 1);
    EXPECT_EQ(i, 4464);
    // A text that is no number: the platform's own error, which has no system text.
    EXPECT_EQ(n.SetValue("many"), 0);
    EXPECT_EQ(n.GetLastError(), 0x800A0D5Cu);
    EXPECT_EQ(n.GetLastErrorString().Find("CADOParameter Error\n\tCode = 800a0d5c\n\tCode meaning = Unknown error 0x800A0D5C\n"), 0)
        << n.GetLastErrorString();
}

TEST(ADOException, ThrownOnTheFreeStoreWithItsClass) {
    EXPECT_EQ(CADOException::GetError(0), 0);
    EXPECT_EQ(CADOException::GetError(5), 1);
    try {
        AfxThrowADOException(42, "lost connection");
        FAIL() << "nothing thrown";
    } catch (CADOException* e) {
        EXPECT_EQ(e->m_lErrorCode, 42);
        EXPECT_EQ(e->m_strErrorString, "lost connection");
        EXPECT_STREQ(e->GetRuntimeClass()->m_lpszClassName, "CADOException");
        EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
        e->Delete();  // the leak checker sees it freed
    }
}

}  // namespace
