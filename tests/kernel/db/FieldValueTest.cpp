#include <cmath>
#include <string>
#include <type_traits>

#include "DbTestUtil.h"
#include "db/DbInternal.h"

namespace {

using namespace dbtest;

// Row 1 of the duct table holds a value in every field; row 2 leaves most of them null.
struct Rows : Fixture {
    CADORecordset rs{&db};
    Rows() {
        MakeDuctTable(db);
        EXPECT_TRUE(rs.Open("select * from Duct order by ID"));
    }
    void Null() { rs.MoveNext(); }
};

TEST(FieldValue, NumbersConvertByTag) {
    Rows r;
    struct Case {
        const char* field;
        double asDouble;
        long asLong;
        int asInt;
    } const cases[] = {
        {"DN", -5, -5, -5},              // 2-byte integer
        {"Len", 70000, 70000, 4464},     // 4-byte: int keeps the low 16 bits
        {"Code", 200, 200, 200},         // 1-byte unsigned
        {"Ratio", 1.5, 2, 2},            // 4-byte float, widened; integers round
        {"Flow", 0.1, 0, 0},             // 8-byte float
        {"Amount", -123.45, -123, -123}, // decimal: sign, low 32 bits of the magnitude, scale
        {"Made", 38838.572916666664, 38839, 38839 - 65536},  // a date is its day number
    };
    for (const Case& c : cases) {
        double d = -1;
        long l = -1;
        int i = -1;
        EXPECT_EQ(r.rs.GetFieldValue(c.field, d), 1) << c.field;
        EXPECT_NEAR(d, c.asDouble, 1e-9) << c.field;
        EXPECT_EQ(r.rs.GetFieldValue(c.field, l), 1) << c.field;
        EXPECT_EQ(l, c.asLong) << c.field;
        EXPECT_EQ(r.rs.GetFieldValue(c.field, i), 1) << c.field;
        EXPECT_EQ(i, c.asInt) << c.field;
    }
    r.Null();
    double d = -1;
    long l = -1;
    int i = -1;
    bool b = true;
    EXPECT_TRUE(r.rs.GetFieldValue("Flow", d) && r.rs.GetFieldValue("Len", l) && r.rs.GetFieldValue("Code", i) &&
                r.rs.GetFieldValue("Ok", b));
    EXPECT_EQ(d, 0.0);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(i, 0);
    EXPECT_FALSE(b);
}

TEST(FieldValue, TypedReadsRefuseOtherTagsAndKeepTheOutput) {
    Rows r;
    bool b = false;
    EXPECT_EQ(r.rs.GetFieldValue("Ok", b), 1);
    EXPECT_TRUE(b);
    b = false;
    EXPECT_EQ(r.rs.GetFieldValue("DN", b), 0);
    EXPECT_FALSE(b);

    COleDateTime t;
    EXPECT_EQ(r.rs.GetFieldValue("Made", t), 1);
    EXPECT_EQ(t.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(t.GetHour() * 100 + t.GetMinute(), 1345);
    COleDateTime kept(2001, 2, 3, 4, 5, 6);
    EXPECT_EQ(r.rs.GetFieldValue("Name", kept), 0);
    EXPECT_EQ(kept.GetYear(), 2001);

    COleCurrency money;
    EXPECT_EQ(r.rs.GetFieldValue("Price", money), 1);
    EXPECT_EQ(money.m_cur.int64, 123456);
    COleCurrency keptMoney(7, 0);
    EXPECT_EQ(r.rs.GetFieldValue("Flow", keptMoney), 0);
    EXPECT_EQ(keptMoney.m_cur.int64, 70000);

    _variant_t v;
    EXPECT_EQ(r.rs.GetFieldValue("DN", v), 1);
    EXPECT_EQ(v.vt, VT_I2);
    EXPECT_EQ(r.rs.GetFieldValue("Nope", v), 0);  // a missing field is a captured platform error
    EXPECT_EQ(r.rs.GetLastError(), 0x800A0CC1u);

    r.Null();
    EXPECT_TRUE(r.rs.GetFieldValue("Made", t) && r.rs.GetFieldValue("Price", money));
    EXPECT_EQ(t.GetStatus(), COleDateTime::null);
    EXPECT_TRUE(money.GetStatus() == COleCurrency::null && money.m_cur.int64 == 0);
    EXPECT_TRUE(r.rs.IsFieldNull("Price") && r.rs.IsFieldEmpty(8));
    EXPECT_FALSE(r.rs.IsFieldNull("Name") || r.rs.IsFieldNull("Nope"));
}

TEST(FieldValue, TextForms) {
    Rows r;
    struct Case {
        const char* field;
        const char* format;
        const char* text;
        int result;
    } const cases[] = {
        {"DN", "", "-5", 1},
        {"Code", "", "200", 1},
        {"Len", "", "70000", 1},
        {"Ratio", "", "1.5", 1},                      // 10 significant digits
        {"Flow", "", "0.10000000000000000555", 1},    // 20 significant digits
        {"Amount", "", "-123.45000000000000284", 1},  // the decimal's double, 20 digits
        {"Made", "", "2006-05-01 13:45:00", 1},
        {"Made", "%d/%m/%Y", "01/05/2006", 1},
        {"Name", "", "Supply", 1},
        {"Note", "", "memo text", 1},
        {"Price", "", "", 0},  // currency has no text form here
        {"Ok", "", "", 0},
    };
    for (const Case& c : cases) {
        CString text = "old";
        EXPECT_EQ(r.rs.GetFieldValue(c.field, text, c.format), c.result) << c.field;
        EXPECT_EQ(text, c.text) << c.field;
    }
    r.rs.MoveNext();
    CString text = "old";
    EXPECT_EQ(r.rs.GetFieldValue(9, text), 1);  // Made, null: empty text, and a successful read
    EXPECT_EQ(text, "");
    text = "old";
    EXPECT_EQ(r.rs.GetFieldValue("Note", text), 1);
    EXPECT_EQ(text, "");
    r.rs.MoveNext();
    r.rs.GetFieldValue("Flow", text);
    EXPECT_EQ(text, "2.");  // a whole number keeps its point
    r.rs.MoveNext();
    r.rs.GetFieldValue("Flow", text);
    EXPECT_EQ(text, "1.0000000000000000906e+025");
}

// The runtime's general format: fixed while the decimal exponent after rounding is at least -1
// and below the digit count. The digit strings were computed once with Python's '%.*e' % (n-1, v)
// (single-precision values widened through struct.pack('f')) and laid out by hand.
TEST(FieldValue, GeneralFormatTable) {
    const struct {
        double value;
        int digits;
        const char* text;
    } cases[] = {
        {0.0, 20, "0."},
        {0.05, 20, "5.0000000000000002776e-002"},    // exponent -2: below 0.1 is exponent form
        {-0.05, 20, "-5.0000000000000002776e-002"},
        {0.0999, 20, "9.9900000000000002687e-002"},
        {0.1, 20, "0.10000000000000000555"},          // exponent -1: the lowest fixed one
        {0.0015, 20, "1.5000000000000000312e-003"},
        {1e-5, 20, "1.0000000000000000818e-005"},
        {1e-4, 10, "1.e-004"},                        // %g would print 0.0001
        {0.099999999999, 10, "0.1"},                  // rounds up into fixed range
        {0.0999999999, 10, "9.99999999e-002"},
        {static_cast<double>(0.05f), 10, "5.000000075e-002"},  // a single-precision field
        {static_cast<double>(0.25f), 10, "0.25"},
        {123.456, 20, "123.45600000000000307"},
        {1234567890.0, 10, "1234567890."},            // exponent 9 = digits - 1: still fixed
        {9999999999.5, 10, "1.e+010"},                // rounds to exponent 10
        {12345678901.0, 10, "1.23456789e+010"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NUVDb::GeneralFormat(c.value, c.digits), c.text) << c.text;
    }
}

// What a user reading stored values sees: double, single and decimal fields below 0.1.
TEST(FieldValue, SmallValuesReadInExponentForm) {
    Fixture f;
    Sql(f.db, "CREATE TABLE K (ID COUNTER, D DOUBLE, S SINGLE, N NUMERIC(10,2))");
    Sql(f.db, "INSERT INTO K (D, S, N) VALUES (0.05, 0.05, 0.05)");
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select D, S, N from K"));
    const struct {
        const char* field;
        const char* text;
    } cases[] = {
        {"D", "5.0000000000000002776e-002"},
        {"S", "5.000000075e-002"},
        {"N", "5.0000000000000002776e-002"},  // 5 / 10^2
    };
    for (const auto& c : cases) {
        CString text;
        EXPECT_EQ(rs.GetFieldValue(c.field, text), 1) << c.field;
        EXPECT_EQ(text, c.text) << c.field;
    }
}

TEST(FieldValue, TagsNoFieldCarries) {

    VARIANT machine;
    VariantInit(&machine);
    machine.vt = VT_INT;
    machine.intVal = 70000;
    int i = 0;
    CString text;
    EXPECT_EQ(NUVDb::ToInt(machine, i), 1);
    EXPECT_EQ(i, 70000);  // the machine int is taken whole
    EXPECT_EQ(NUVDb::ToText(machine, text, ""), 1);
    EXPECT_EQ(text, "70000");
    DECIMAL dec{};
    dec.Lo64 = 0x100003039u;  // bits above the low 32 are ignored: 12345
    dec.Hi32 = 7;
    dec.scale = 2;
    dec.sign = DECIMAL_NEG;
    EXPECT_DOUBLE_EQ(NUVDb::DecimalValue(dec), -123.45);
}

TEST(FieldValue, WritesWrapEachTypeAndNeedAPendingEdit) {
    Rows r;
    Sql(r.db, "CREATE TABLE W (ID COUNTER, S SHORT, L LONG, D DOUBLE, T DATETIME, B YESNO, C CURRENCY, X TEXT(20), V LONG)");
    CADORecordset w(&r.db);
    ASSERT_TRUE(w.Open("select * from W"));
    EXPECT_EQ(w.SetFieldEmpty("X"), 0);  // neither AddNew nor Edit
    ASSERT_EQ(w.AddNew(), 1);
    EXPECT_EQ(w.SetFieldValue("S", 70000), 1);  // only the low 16 bits are stored
    EXPECT_EQ(w.SetFieldValue("L", 70000L), 1);
    EXPECT_EQ(w.SetFieldValue("D", 0.25), 1);
    EXPECT_EQ(w.SetFieldValue("T", COleDateTime(2006, 5, 1, 13, 45, 0)), 1);
    EXPECT_EQ(w.SetFieldValue("B", true), 1);
    EXPECT_EQ(w.SetFieldValue("C", COleCurrency(12, 3400)), 1);
    EXPECT_EQ(w.SetFieldValue("X", CString("")), 1);  // an empty text is null
    EXPECT_EQ(w.SetFieldValue("V", 4000000000UL), 0);  // 4-byte unsigned: too big for a LONG
    EXPECT_EQ(w.SetFieldValue(8, 123UL), 1);
    EXPECT_EQ(w.SetFieldValue("Nope", 1), 0);
    ASSERT_EQ(w.Update(), 1) << w.GetLastErrorString();
    EXPECT_EQ(Shell(r.path, "SELECT S, L, D, T, B, C, quote(X), V FROM W"), "4464|70000|0.25|2006-05-01 13:45:00|1|12.34|NULL|123\n");

    w.Edit();
    EXPECT_EQ(w.SetFieldValue("X", "abc"), 1);
    EXPECT_EQ(w.SetFieldValue("S", _variant_t(7L)), 1);
    EXPECT_EQ(w.SetFieldEmpty("L"), 1);
    ASSERT_EQ(w.Update(), 1) << w.GetLastErrorString();
    EXPECT_EQ(Shell(r.path, "SELECT S, quote(L), X FROM W"), "7|NULL|abc\n");
}

// Reads by ordinal take the value where it lies; they must answer exactly as reads by name do,
// for every field, target type and row (nulls included), and see a pending edit.
template <class T>
void ExpectSameRead(CADORecordset& rs, int index, const char* name, const char* row) {
    T byIndex{}, byName{};
    int a = rs.GetFieldValue(index, byIndex), b = rs.GetFieldValue(name, byName);
    EXPECT_EQ(a, b) << name << " " << row;
    if constexpr (std::is_same_v<T, COleDateTime>) {
        EXPECT_TRUE(byIndex.GetStatus() == byName.GetStatus() && byIndex.m_dt == byName.m_dt) << name << " " << row;
    } else if constexpr (std::is_same_v<T, COleCurrency>) {
        EXPECT_TRUE(byIndex.GetStatus() == byName.GetStatus() && byIndex.m_cur.int64 == byName.m_cur.int64) << name;
    } else if constexpr (std::is_same_v<T, _variant_t>) {
        EXPECT_EQ(byIndex.vt, byName.vt) << name << " " << row;
        EXPECT_TRUE(byIndex == byName) << name << " " << row;
    } else {
        EXPECT_EQ(byIndex, byName) << name << " " << row;
    }
}

void ExpectSameReads(CADORecordset& rs, const char* row) {
    for (int i = 0; i < rs.GetFieldCount(); ++i) {
        CString name = rs.GetFieldName(i);
        const char* n = name.GetString();
        _variant_t read, platform = rs.GetField(i)->GetValue();  // the field object's own copy
        EXPECT_EQ(rs.GetFieldValue(i, read), 1);
        EXPECT_TRUE(read == platform) << n << " " << row;
        ExpectSameRead<double>(rs, i, n, row);
        ExpectSameRead<long>(rs, i, n, row);
        ExpectSameRead<int>(rs, i, n, row);
        ExpectSameRead<bool>(rs, i, n, row);
        ExpectSameRead<COleDateTime>(rs, i, n, row);
        ExpectSameRead<COleCurrency>(rs, i, n, row);
        ExpectSameRead<CString>(rs, i, n, row);
        ExpectSameRead<_variant_t>(rs, i, n, row);
    }
}

TEST(FieldValue, ReadsByOrdinalAndNameAnswerAsTheFieldDoes) {
    Rows r;
    const std::string duct = Bytes({0xB7, 0xE7, 0xB9, 0xDC});  // "风管" in GBK
    Sql(r.db, ("UPDATE Duct SET Name = '" + duct + "', Note = 'x" + duct + "y' WHERE ID = 3").c_str());
    Sql(r.db, "UPDATE Duct SET Made = 'not a date' WHERE ID = 4");  // the engine keeps any text
    ASSERT_TRUE(r.rs.Requery());
    for (int row = 1; !r.rs.IsEOF(); r.rs.MoveNext(), ++row) ExpectSameReads(r.rs, ("row " + std::to_string(row)).c_str());

    r.rs.MoveFirst();
    r.rs.MoveNext();
    r.rs.MoveNext();
    CString name;
    ASSERT_EQ(r.rs.GetFieldValue(2, name), 1);
    EXPECT_EQ(name.str(), duct);
    r.rs.MoveNext();
    ASSERT_EQ(r.rs.GetFieldValue(9, name), 1);
    EXPECT_EQ(name, "not a date");
    COleDateTime kept(2001, 2, 3, 4, 5, 6);
    EXPECT_EQ(r.rs.GetFieldValue(9, kept), 0);
    EXPECT_EQ(kept.GetYear(), 2001);

    r.rs.Edit();
    ASSERT_EQ(r.rs.SetFieldValue("Name", CString("Edited")), 1);
    ASSERT_EQ(r.rs.GetFieldValue(2, name), 1);
    EXPECT_EQ(name, "Edited");
    ExpectSameReads(r.rs, "while editing");
    r.rs.CancelUpdate();
    EXPECT_EQ(r.rs.GetFieldValue(15, name), 0);  // no such ordinal: a captured platform error
    EXPECT_EQ(r.rs.GetLastError(), 0x800A0CC1u);
    r.rs.MoveLast();
    r.rs.MoveNext();
    EXPECT_EQ(r.rs.GetFieldValue(0, name), 0);  // no current record
    EXPECT_EQ(r.rs.GetFieldValue("Name", name), 0);

    // Names are found without regard to case, in GBK, and by the column an aggregate reads.
    const std::string width = Bytes({0xBF, 0xED});  // "宽" in GBK
    Sql(r.db, ("CREATE TABLE G (ID COUNTER, " + width + " LONG)").c_str());
    Sql(r.db, ("INSERT INTO G (" + width + ") VALUES (400)").c_str());
    CADORecordset g(&r.db);
    ASSERT_TRUE(g.Open(("select ID, " + width + ", max(ID) from G").c_str()));
    long value = 0;
    EXPECT_EQ(g.GetFieldValue(width.c_str(), value), 1);
    EXPECT_EQ(value, 400);
    EXPECT_EQ(g.GetFieldValue("id", value), 1);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(g.GetFieldValue("Nope", value), 0);
    EXPECT_EQ(g.GetLastError(), 0x800A0CC1u);
    ASSERT_TRUE(g.Open("select max(ID) from G"));
    EXPECT_EQ(g.GetFieldValue("ID", value), 1);
}

TEST(FieldValue, TextRoundTripsAsGbk) {
    Rows r;
    ASSERT_EQ(r.rs.AddNew(), 1);
    const std::string duct = Bytes({0xB7, 0xE7, 0xB9, 0xDC});  // "风管" in GBK
    r.rs.SetFieldValue("Name", CString(duct));
    ASSERT_EQ(r.rs.Update(), 1);
    EXPECT_EQ(Shell(r.path, "SELECT hex(Name) FROM Duct WHERE ID = 6"), "E9A38EE7AEA1\n");  // stored as UTF-8
    CString back;
    r.rs.GetFieldValue("Name", back);
    EXPECT_EQ(back.str(), duct);
}

}  // namespace
