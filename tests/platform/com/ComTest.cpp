#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "com/Com.h"

namespace {

struct MessageCase {
    std::uint32_t code;
    const char* expected;
};

TEST(ComError, ErrorMessageFollowsSystemTextThenRanges) {
    const MessageCase cases[] = {
        {0x80004003u, "Invalid pointer"},
        {0x80004005u, "Unspecified error"},
        {0x80070057u, "The parameter is incorrect."},
        {0x8007000Eu, "Not enough storage is available to complete this operation."},
        {0x80020005u, "Type mismatch."},
        {0x80040E14u, "IDispatch error #3092"},
        {0x80040201u, "IDispatch error #1"},
        {0x8004FFFFu, "IDispatch error #65023"},
        {0x80040200u, "Unknown error 0x80040200"},
        {0x800A0CC1u, "Unknown error 0x800A0CC1"},
        {0x80050000u, "Unknown error 0x80050000"},
    };
    for (const auto& c : cases) {
        _com_error e(static_cast<HRESULT>(c.code));
        EXPECT_STREQ(e.ErrorMessage(), c.expected) << std::hex << c.code;
        EXPECT_EQ(e.ErrorMessage(), e.ErrorMessage()) << "made once and kept";
    }
}

TEST(ComError, SourceAndDescriptionAbsentOrGiven) {
    try {
        _com_issue_error(E_FAIL);
        ADD_FAILURE() << "nothing thrown";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_FAIL);
        EXPECT_EQ(static_cast<const char*>(e.Source()), nullptr);
        EXPECT_EQ(static_cast<const char*>(e.Description()), nullptr);
    }
    try {
        _com_issue_errorex(static_cast<HRESULT>(0x80040E37u), "Src", "Could not find file 'x'.");
        ADD_FAILURE() << "nothing thrown";
    } catch (const _com_error& e) {
        EXPECT_STREQ(static_cast<const char*>(e.Source()), "Src");
        EXPECT_STREQ(static_cast<const char*>(e.Description()), "Could not find file 'x'.");
        EXPECT_EQ(e.WCode(), 0xE37 - 0x200);
    }
}

TEST(Bstr, GbkCrossesToUtf16AndBack) {
    const char gbk[] = "\xD6\xD0\xCE\xC4" "A";  // two Chinese characters and a letter
    _bstr_t b(gbk);
    ASSERT_EQ(b.length(), 3u);
    EXPECT_EQ(b.wstr()[0], 0x4E2D);
    EXPECT_EQ(b.wstr()[1], 0x6587);
    EXPECT_STREQ(static_cast<const char*>(b), gbk);
    EXPECT_EQ(SysStringByteLen(b.GetBSTR()), 6u);
    _bstr_t nul;
    EXPECT_TRUE(!nul);
    EXPECT_EQ(static_cast<const char*>(nul), nullptr);
    EXPECT_TRUE(nul == _bstr_t(""));
    _bstr_t sum = b + _bstr_t("z");
    EXPECT_EQ(sum.length(), 4u);
    EXPECT_EQ(b.length(), 3u) << "concatenation must not change a shared operand";
}

// The UTF-8 form comes straight from the wide text: characters GBK lacks (emoji, Hangul, Ä) are
// kept, where the narrow (GBK) form can only show them as '?'.
TEST(Bstr, Utf8FormKeepsEveryCharacter) {
    _bstr_t b(std::u16string_view(u"\U0001F600\uD55C\u00C4\u4E2D"));
    EXPECT_EQ(b.utf8(), "\xF0\x9F\x98\x80\xED\x95\x9C\xC3\x84\xE4\xB8\xAD");
    EXPECT_STREQ(static_cast<const char*>(b), "???\xD6\xD0");
    EXPECT_EQ(_bstr_t().utf8(), "");
    EXPECT_EQ(_bstr_t(std::u16string_view(u"a\xD800")).utf8(), "a\xEF\xBF\xBD");  // UTF-8 cannot hold it
}

TEST(ComInit, CountsNestedUse) {
    int base = NUVCom::InitializeCount();
    EXPECT_EQ(CoInitialize(nullptr), base == 0 ? S_OK : S_FALSE);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(NUVCom::InitializeCount(), base + 2);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(NUVCom::InitializeCount(), base);
}

TEST(Variant, ConstructorsChooseTags) {
    struct Case {
        _variant_t v;
        VARTYPE vt;
    };
    const Case cases[] = {
        {_variant_t(short(5)), VT_I2},   {_variant_t(5), VT_INT},         {_variant_t(5L), VT_I4},
        {_variant_t(5UL), VT_UI4},       {_variant_t(5.0), VT_R8},        {_variant_t(5.0f), VT_R4},
        {_variant_t(true), VT_BOOL},     {_variant_t("x"), VT_BSTR},      {_variant_t(2.5, VT_DATE), VT_DATE},
        {_variant_t(static_cast<unsigned char>(1)), VT_UI1},
        {_variant_t(DECIMAL{}), VT_DECIMAL},
        {vtMissing, VT_ERROR},
    };
    for (const auto& c : cases) EXPECT_EQ(c.v.vt, c.vt);
    EXPECT_EQ(vtMissing.scode, DISP_E_PARAMNOTFOUND);
}

TEST(Variant, CoercionsRoundAndCheckRange) {
    EXPECT_EQ(static_cast<long>(_variant_t(2.5)), 2) << "halves round to even";
    EXPECT_EQ(static_cast<long>(_variant_t(3.5)), 4);
    EXPECT_EQ(static_cast<long>(_variant_t(-2.5)), -2);
    EXPECT_EQ(static_cast<short>(_variant_t("  123 ")), 123);
    EXPECT_DOUBLE_EQ(static_cast<double>(_variant_t("1.25")), 1.25);
    EXPECT_TRUE(static_cast<bool>(_variant_t("True")));
    EXPECT_FALSE(static_cast<bool>(_variant_t(0L)));
    EXPECT_EQ(static_cast<long>(_variant_t(true)), -1);
    EXPECT_DOUBLE_EQ(static_cast<double>(_variant_t()), 0.0) << "empty is zero";

    struct Bad {
        _variant_t v;
        VARTYPE to;
        HRESULT hr;
    };
    _variant_t null;
    null.vt = VT_NULL;
    const Bad bad[] = {
        {_variant_t(70000L), VT_I2, DISP_E_OVERFLOW},
        {_variant_t(-1L), VT_UI4, DISP_E_OVERFLOW},
        {_variant_t(1e300), VT_R4, DISP_E_OVERFLOW},
        {_variant_t("abc"), VT_I4, DISP_E_TYPEMISMATCH},
        {_variant_t("12abc"), VT_R8, DISP_E_TYPEMISMATCH},
        {null, VT_I4, DISP_E_TYPEMISMATCH},
        {_variant_t(1e20), VT_DATE, DISP_E_OVERFLOW},
    };
    for (const auto& b : bad) {
        _variant_t v(b.v);
        try {
            v.ChangeType(b.to);
            ADD_FAILURE() << "no error converting tag " << b.v.vt << " to " << b.to;
        } catch (const _com_error& e) {
            EXPECT_EQ(e.Error(), b.hr);
            EXPECT_EQ(v.vt, b.v.vt) << "a failed change leaves the value";
        }
    }
}

TEST(Variant, TextForms) {
    struct Case {
        _variant_t v;
        const char* text;
    };
    CY cy;
    cy.int64 = 123450;
    COleDateTime t(2006, 5, 1, 13, 45, 0);
    const Case cases[] = {
        {_variant_t(-42L), "-42"},
        {_variant_t(0.1), "0.1"},
        {_variant_t(1.0 / 3), "0.333333333333333"},
        {_variant_t(1e20), "1E+20"},
        {_variant_t(cy), "12.345"},
        {_variant_t(true), "True"},
        {_variant_t(t.m_dt, VT_DATE), "2006-05-01 13:45:00"},
        {_variant_t(COleDateTime(2006, 5, 1, 0, 0, 0).m_dt, VT_DATE), "2006-05-01"},
        {_variant_t(), ""},
    };
    for (const auto& c : cases) EXPECT_STREQ(static_cast<const char*>(static_cast<_bstr_t>(c.v)), c.text) << c.v.vt;
    _variant_t d("2006-05-01 13:45:00");
    d.ChangeType(VT_DATE);
    EXPECT_DOUBLE_EQ(d.date, t.m_dt);
}

TEST(Variant, DecimalsKeepDigitsAndScale) {
    DECIMAL d{};
    ASSERT_TRUE(NUVCom::DecimalFromString("-123.45", d));
    EXPECT_EQ(d.Lo64, 12345u);
    EXPECT_EQ(d.scale, 2);
    EXPECT_EQ(d.sign, DECIMAL_NEG);
    EXPECT_EQ(NUVCom::DecimalToString(d), "-123.45");
    EXPECT_DOUBLE_EQ(static_cast<double>(_variant_t(d)), -123.45);
    ASSERT_TRUE(NUVCom::DecimalFromString("79228162514264337593543950335", d)) << "the largest 96-bit magnitude";
    EXPECT_EQ(d.Hi32, 0xFFFFFFFFu);
    EXPECT_EQ(d.Lo64, ~0ull);
    EXPECT_FALSE(NUVCom::DecimalFromString("79228162514264337593543950336", d));
    EXPECT_FALSE(NUVCom::DecimalFromString("1.2.3", d));
    _variant_t v(0.1);
    v.ChangeType(VT_DECIMAL);
    EXPECT_EQ(v.decVal.Lo64, 1u);
    EXPECT_EQ(v.decVal.scale, 1);
    CY cy;
    cy.int64 = -50000;
    _variant_t c(cy);
    c.ChangeType(VT_DECIMAL);
    EXPECT_EQ(NUVCom::DecimalToString(c.decVal), "-5.0000");
}

TEST(Variant, ByteArraysCopyDeeplyAndCompare) {
    const unsigned char bytes[] = {1, 2, 3, 0, 255};
    _variant_t a = _variant_t::FromBytes(bytes, sizeof bytes);
    EXPECT_EQ(a.vt, VT_ARRAY | VT_UI1);
    _variant_t b(a);
    ASSERT_NE(a.parray, b.parray);
    static_cast<unsigned char*>(b.parray->pvData)[0] = 9;
    EXPECT_EQ(a.ToBytes()[0], 1);
    EXPECT_FALSE(a == b);
    b = a;
    EXPECT_TRUE(a == b);
    std::int32_t lo, hi;
    SafeArrayGetLBound(a.parray, 1, &lo);
    SafeArrayGetUBound(a.parray, 1, &hi);
    EXPECT_EQ(hi - lo + 1, 5);
    std::int32_t idx = 5;
    unsigned char out;
    EXPECT_EQ(SafeArrayGetElement(a.parray, &idx, &out), DISP_E_BADINDEX);
    EXPECT_THROW(_variant_t(1L).ToBytes(), _com_error);
}

struct DateCase {
    int y, mo, d, h, mi, s;
    double serial;
};

TEST(OleDateTime, SerialsAgreeWithTheCalendar) {
    const DateCase cases[] = {
        {1899, 12, 30, 0, 0, 0, 0.0},
        {1900, 1, 1, 0, 0, 0, 2.0},
        {2000, 2, 29, 0, 0, 0, 36585.0},
        {2006, 5, 1, 13, 45, 0, 38838.0 + (13 * 3600 + 45 * 60) / 86400.0},
        {1899, 12, 29, 6, 0, 0, -1.25},  // negative dates: the fraction still counts forward
        {100, 1, 1, 0, 0, 0, -657434.0},
        {9999, 12, 31, 0, 0, 0, 2958465.0},
    };
    for (const auto& c : cases) {
        COleDateTime t(c.y, c.mo, c.d, c.h, c.mi, c.s);
        ASSERT_EQ(t.GetStatus(), COleDateTime::valid);
        EXPECT_NEAR(t.m_dt, c.serial, 1e-9) << c.y << "-" << c.mo << "-" << c.d;
        COleDateTime back(c.serial);
        EXPECT_EQ(back.GetYear(), c.y);
        EXPECT_EQ(back.GetMonth(), c.mo);
        EXPECT_EQ(back.GetDay(), c.d);
        EXPECT_EQ(back.GetHour(), c.h);
    }
    EXPECT_EQ(COleDateTime(2006, 2, 29, 0, 0, 0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(99, 1, 1, 0, 0, 0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(1e9).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(2006, 5, 1, 0, 0, 0).GetDayOfWeek(), 2) << "a Monday";
}

TEST(OleDateTime, FormatParseAndArithmetic) {
    COleDateTime t(2006, 5, 1, 13, 45, 0);
    EXPECT_EQ(t.Format(), CString("2006-05-01 13:45:00"));
    EXPECT_EQ(t.Format("%d/%m/%Y"), CString("01/05/2006"));
    COleDateTime n;
    n.SetStatus(COleDateTime::null);
    EXPECT_EQ(n.Format(), CString(""));
    COleDateTime p;
    EXPECT_TRUE(p.ParseDateTime("2006-05-01T13:45:00"));
    EXPECT_EQ(p, t);
    EXPECT_TRUE(p.ParseDateTime("2006/5/1 13:45"));
    EXPECT_EQ(p, t);
    EXPECT_FALSE(p.ParseDateTime("yesterday"));
    EXPECT_EQ(p.GetStatus(), COleDateTime::invalid);
    COleDateTime a(1899, 12, 29, 18, 0, 0);  // -1.75
    COleDateTime b = a + 0.5;                 // 1899-12-30 06:00 = 0.25
    EXPECT_NEAR(b.m_dt, 0.25, 1e-9);
    EXPECT_NEAR(b - a, 0.5, 1e-9);
    EXPECT_TRUE(a < b);
}

TEST(OleCurrency, FormatsAndParsesTenThousandths) {
    struct Case {
        const char* text;
        std::int64_t raw;
        const char* formatted;
    };
    const Case cases[] = {
        {"12.5", 125000, "12.5"}, {"-0.0001", -1, "-0.0001"}, {"7", 70000, "7"}, {" 3.14159 ", 31415, "3.1415"},
    };
    for (const auto& c : cases) {
        COleCurrency cur;
        ASSERT_TRUE(cur.ParseCurrency(c.text)) << c.text;
        EXPECT_EQ(cur.m_cur.int64, c.raw);
        EXPECT_EQ(cur.Format(), CString(c.formatted));
    }
    COleCurrency bad;
    EXPECT_FALSE(bad.ParseCurrency("1x"));
    EXPECT_EQ(bad.GetStatus(), COleCurrency::invalid);
    COleCurrency sum = COleCurrency(1, 5000) + COleCurrency(2, 5000);
    EXPECT_EQ(sum.m_cur.int64, 40000);
}

}  // namespace

namespace {

struct IThing : IUnknown {
    virtual int Value() = 0;
};
struct IOther : IUnknown {};

int g_alive = 0;

class Thing : public NUVCom::Object<IThing> {
public:
    Thing() { ++g_alive; }
    ~Thing() override { --g_alive; }
    int Value() override { return 7; }
};

TEST(ComPtr, ReferencesShareAndReleaseObjects) {
    NUVCom::RegisterClass("Test.Thing", [] { return static_cast<IUnknown*>(new Thing()); });
    {
        _com_ptr_t<IThing> a;
        EXPECT_FALSE(a);
        EXPECT_TRUE(a == nullptr);
        EXPECT_EQ(a.CreateInstance("Test.Thing"), S_OK);
        EXPECT_TRUE(a);
        EXPECT_EQ(g_alive, 1);
        _com_ptr_t<IThing> b = a;
        a = nullptr;
        EXPECT_EQ(g_alive, 1) << "b still holds the object";
        EXPECT_EQ(b->Value(), 7);
        _com_ptr_t<IUnknown> u(b);
        EXPECT_THROW(_com_ptr_t<IOther> o(u), _com_error) << "an interface the object lacks";
        IOther* raw = nullptr;
        EXPECT_EQ(u.QueryInterface(&raw), E_NOINTERFACE);
        _com_ptr_t<IThing> missing;
        EXPECT_EQ(missing.CreateInstance("Test.Nothing"), REGDB_E_CLASSNOTREG);
        try {
            missing->Value();
            ADD_FAILURE();
        } catch (const _com_error& e) {
            EXPECT_EQ(e.Error(), E_POINTER);
        }
    }
    EXPECT_EQ(g_alive, 0) << "the last release deletes the object";
}

}  // namespace

namespace {

// Each row: a source value, the tag to change to, and the expected text of the result (or the
// error the change raises).
struct Coercion {
    const char* what;
    _variant_t from;
    VARTYPE to;
    const char* text;
    HRESULT hr;
};

TEST(Variant, CoercionTableOfTheDatabaseTags) {
    CY cy;
    cy.int64 = 12345678;  // 1234.5678
    DECIMAL dec{};
    NUVCom::DecimalFromString("-123.45", dec);
    _variant_t date(COleDateTime(2006, 5, 1, 13, 45, 0).m_dt, VT_DATE);
    const Coercion rows[] = {
        {"short to long", _variant_t(short(-7)), VT_I4, "-7", S_OK},
        {"long to short overflow", _variant_t(40000L), VT_I2, nullptr, DISP_E_OVERFLOW},
        {"double to byte", _variant_t(254.5), VT_UI1, "254", S_OK},
        {"double to byte overflow", _variant_t(255.5), VT_UI1, nullptr, DISP_E_OVERFLOW},
        {"text to short", _variant_t("-12"), VT_I2, "-12", S_OK},
        {"text to date", _variant_t("2006-05-01 13:45:00"), VT_DATE, "2006-05-01 13:45:00", S_OK},
        {"date to double", date, VT_R8, "38838.5729166667", S_OK},
        {"currency to double", _variant_t(cy), VT_R8, "1234.5678", S_OK},
        {"currency to long rounds", _variant_t(cy), VT_I4, "1235", S_OK},
        {"double to currency rounds half to even", _variant_t(0.03125), VT_CY, "0.0312", S_OK},
        {"decimal to long", _variant_t(dec), VT_I4, "-123", S_OK},
        {"decimal to text", _variant_t(dec), VT_BSTR, "-123.45", S_OK},
        {"text to decimal", _variant_t("0.125"), VT_DECIMAL, "0.125", S_OK},
        {"bool to short", _variant_t(true), VT_I2, "-1", S_OK},
        {"text to bool", _variant_t("false"), VT_BOOL, "False", S_OK},
        {"number text to bool", _variant_t("2"), VT_BOOL, "True", S_OK},
        {"empty to text", _variant_t(), VT_BSTR, "", S_OK},
        {"empty to long", _variant_t(), VT_I4, "0", S_OK},
        {"text to long", _variant_t("1e3"), VT_I4, "1000", S_OK},
        {"blank text to long", _variant_t("  "), VT_I4, nullptr, DISP_E_TYPEMISMATCH},
        {"chinese text to long", _variant_t("\xD6\xD0"), VT_I4, nullptr, DISP_E_TYPEMISMATCH},
        {"bytes to long", _variant_t::FromBytes("ab", 2), VT_I4, nullptr, DISP_E_TYPEMISMATCH},
        {"float to text", _variant_t(0.1f), VT_BSTR, "0.1", S_OK},
        {"unsigned to text", _variant_t(4000000000UL), VT_BSTR, "4000000000", S_OK},
    };
    for (const auto& r : rows) {
        _variant_t v;
        HRESULT hr = VariantChangeType(&v, &r.from, 0, r.to);
        EXPECT_EQ(hr, r.hr) << r.what;
        if (FAILED(hr) || !r.text) continue;
        EXPECT_EQ(v.vt, r.to) << r.what;
        EXPECT_STREQ(static_cast<const char*>(static_cast<_bstr_t>(v)), r.text) << r.what;
    }
}

TEST(Variant, CopiesOwnTheirStringsAndAttachDetachMoveOwnership) {
    _variant_t a("text");
    _variant_t b = a;
    ASSERT_NE(a.bstrVal, b.bstrVal) << "a copy has its own string";
    VARIANT raw = b.Detach();
    EXPECT_EQ(b.vt, VT_EMPTY);
    _variant_t c;
    c.Attach(raw);
    EXPECT_EQ(raw.vt, VT_EMPTY);
    EXPECT_TRUE(c == a);
    c.Clear();
    EXPECT_EQ(c.vt, VT_EMPTY);
    _variant_t moved(std::move(a));
    EXPECT_EQ(a.vt, VT_EMPTY);
    EXPECT_STREQ(static_cast<const char*>(static_cast<_bstr_t>(moved)), "text");
}

}  // namespace
