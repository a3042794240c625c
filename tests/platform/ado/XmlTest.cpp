#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "AdoTestUtil.h"
#include "RunCommand.h"
#include "ado/RowsetXml.h"
#include "com/OleDateTime.h"
#include "win/Encoding.h"

namespace {

using namespace adotest;

std::string ReadFile(const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

_RecordsetPtr OpenXml(const std::string& path, CursorTypeEnum cursor = adOpenForwardOnly) {
    _RecordsetPtr rs;
    rs.CreateInstance(CLSID_Recordset);
    rs->Open(path.c_str(), "Provider=MSPersist;", cursor, adLockOptimistic, adCmdFile);
    return rs;
}

TEST(AdoXml, SaveAndOpenKeepEveryTypeAndNull) {
    TempDir dir;
    _ConnectionPtr c = Connect(dir.Touch("x.mdb"));
    Exec(c, "CREATE TABLE Duct (ID COUNTER, Name TEXT(50), Width SHORT, Area DOUBLE, Made DATETIME, Price CURRENCY, "
            "Ok YESNO, Pic LONGBINARY, Amount DECIMAL(10,2))");
    Exec(c, "INSERT INTO Duct (Name, Width, Area, Made, Price, Ok, Amount) VALUES "
            "('It''s <hot> & \"dry\"', 400, 0.1, #2006-05-01 13:45:00#, 12.3456, True, -123.45)");
    Exec(c, "INSERT INTO Duct (Name) VALUES (NULL)");
    _RecordsetPtr rs = OpenRs(c, "select * from Duct order by ID");
    rs->MoveLast();
    const unsigned char bytes[] = {0, 1, 0xAB, 0xFF};
    rs->GetFields()->GetItem("Pic")->AppendChunk(_variant_t::FromBytes(bytes, 4));
    rs->GetFields()->GetItem("Name")->PutValue("\xD6\xD0\xCE\xC4");  // two Chinese characters (GBK)
    rs->Update();
    std::string path = dir.File("duct.xml");
    rs->Save(path.c_str(), adPersistXML);
    EXPECT_EQ(ErrorOf([&] { rs->Save(path.c_str(), adPersistXML); }), 0x80030050u) << "an existing file is not overwritten";

    std::string xml = ReadFile(path);
    EXPECT_NE(xml.find("<s:Schema id='RowsetSchema'>"), std::string::npos);
    EXPECT_NE(xml.find("rs:basetable='Duct' rs:basecolumn='ID' rs:keycolumn='true' rs:autoincrement='true'"), std::string::npos);
    EXPECT_NE(xml.find("Made='2006-05-01T13:45:00'"), std::string::npos) << xml;
    EXPECT_NE(xml.find("Name='It&apos;s &lt;hot&gt; &amp; &quot;dry&quot;'"), std::string::npos);
    EXPECT_NE(xml.find("Name='\xE4\xB8\xAD\xE6\x96\x87'"), std::string::npos) << "UTF-8 in the file";
    EXPECT_NE(xml.find("<z:row ID='2' Name="), std::string::npos) << "nulls are absent attributes";

    _RecordsetPtr back = OpenXml(path);
    EXPECT_EQ(back->GetRecordCount(), -1) << "opened forward-only";
    FieldsPtr f = back->GetFields();
    struct Case {
        const char* name;
        DataTypeEnum type;
    };
    const Case types[] = {{"ID", adInteger}, {"Name", adVarWChar}, {"Width", adSmallInt}, {"Area", adDouble}, {"Made", adDate},
                          {"Price", adCurrency}, {"Ok", adBoolean}, {"Pic", adLongVarBinary}, {"Amount", adNumeric}};
    for (const auto& t : types) EXPECT_EQ(f->GetItem(t.name)->GetType(), t.type) << t.name;
    EXPECT_EQ(f->GetItem("Name")->GetDefinedSize(), 50);
    EXPECT_EQ(Text(back, "Name"), "It's <hot> & \"dry\"");
    EXPECT_DOUBLE_EQ(static_cast<double>(Val(back, "Area")), 0.1);
    EXPECT_EQ(COleDateTime(Val(back, "Made").date).Format(), CString("2006-05-01 13:45:00"));
    EXPECT_EQ(Val(back, "Price").cyVal.int64, 123456);
    EXPECT_EQ(Val(back, "Ok").boolVal, VARIANT_TRUE);
    EXPECT_EQ(NUVCom::DecimalToString(Val(back, "Amount").decVal), "-123.45");
    EXPECT_EQ(Val(back, "Pic").vt, VT_NULL);
    back->MoveNext();
    EXPECT_EQ(Text(back, "Name"), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(Val(back, "Width").vt, VT_NULL);
    EXPECT_EQ(Val(back, "Pic").ToBytes(), std::vector<std::uint8_t>(bytes, bytes + 4));
}

TEST(AdoXml, HandWrittenRowsetFileReadsBack) {
    TempDir dir;
    std::string path = dir.File("hand.xml");
    std::ofstream(path) << R"(<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882'
	xmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882'
	xmlns:rs='urn:schemas-microsoft-com:rowset'
	xmlns:z='#RowsetSchema'>
<s:Schema id='RowsetSchema'>
	<s:ElementType name='row' content='eltOnly' rs:updatable='true'>
		<s:AttributeType name='ID' rs:number='1' rs:writeunknown='true' rs:basetable='Duct'
			 rs:basecolumn='ID' rs:keycolumn='true' rs:autoincrement='true'>
			<s:datatype dt:type='int' dt:maxLength='4' rs:precision='10' rs:fixedlength='true'
			 rs:maybenull='false'/>
		</s:AttributeType>
		<s:AttributeType name='Name' rs:number='2' rs:nullable='true' rs:writeunknown='true'>
			<s:datatype dt:type='string' dt:maxLength='50'/>
		</s:AttributeType>
		<s:extends type='rs:rowbase'/>
	</s:ElementType>
</s:Schema>
<rs:data>
	<z:row ID='1' Name='Supply duct'/>
	<z:row ID='2'/>
</rs:data>
</xml>
)";
    _RecordsetPtr rs = OpenXml(path, adOpenStatic);
    ASSERT_EQ(rs->GetRecordCount(), 2);
    EXPECT_EQ(rs->GetFields()->GetItem("ID")->GetAttributes() & adFldKeyColumn, adFldKeyColumn);
    EXPECT_EQ(Long(rs, "ID"), 1);
    EXPECT_EQ(Text(rs, "Name"), "Supply duct");
    rs->MoveNext();
    EXPECT_EQ(Text(rs, "Name"), "<null>");
    // A file-backed record set edits in memory and saves back over its own file.
    rs->GetFields()->GetItem("Name")->PutValue("Return");
    rs->Update();
    rs->Save(path.c_str(), adPersistXML);
    EXPECT_NE(ReadFile(path).find("<z:row ID='2' Name='Return'/>"), std::string::npos);
}

// Saving back over the file the rows came from, when that name is a link: the link's target gets
// the rows and keeps its mode; the link stays a link.
TEST(AdoXml, SavingBackThroughALinkKeepsTheLinkAndTheMode) {
    TempDir dir;
    _ConnectionPtr c = Connect(dir.Touch("x.mdb"));
    Exec(c, "CREATE TABLE T (ID COUNTER, Name TEXT(20))");
    Exec(c, "INSERT INTO T (Name) VALUES ('a')");
    const std::string real = dir.File("data/rows.xml"), link = dir.File("rows.xml");
    std::filesystem::create_directories(dir.File("data"));
    OpenRs(c, "select * from T")->Save(real.c_str(), adPersistXML);
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("data/rows.xml", link.c_str()), 0);

    _RecordsetPtr rs = OpenXml(link, adOpenStatic);
    rs->GetFields()->GetItem("Name")->PutValue("b");
    rs->Update();
    rs->Save(link.c_str(), adPersistXML);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_NE(ReadFile(real).find("Name='b'"), std::string::npos);
    EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms(0640));
}

TEST(AdoXml, ControlCharactersAndMarkupSurviveAttributes) {
    Rowset rs;
    RowsetColumn c;
    c.name = "Note text";  // not an XML name: written under another name with rs:name
    c.type = adLongVarWChar;
    c.definedSize = 100;
    rs.columns.push_back(c);
    const char* texts[] = {"a\nb\tc\r\nd", "<&'\">", " lead and trail "};
    for (const char* t : texts) rs.cells.emplace_back(_variant_t(t));
    std::string xml;
    ASSERT_TRUE(WriteRowsetXml(rs, {0, 1, 2}, false, xml));
    EXPECT_NE(xml.find("rs:name='Note text'"), std::string::npos);
    EXPECT_NE(xml.find("a&#10;b&#9;c&#13;&#10;d"), std::string::npos) << "line breaks and tabs survive normalisation";
    Rowset back;
    std::string why;
    ASSERT_TRUE(ReadRowsetXml(xml, back, &why)) << why;
    ASSERT_EQ(back.Rows(), 3u);
    EXPECT_EQ(back.columns[0].name, "Note text");
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_STREQ(static_cast<const char*>(static_cast<_bstr_t>(back.cells[i])), texts[i]);
}

// XML 1.0 has no form for most control characters, U+FFFE and U+FFFF, and UTF-8 none for an
// unpaired surrogate: such a text is refused, naming the field and row, and nothing is written.
TEST(AdoXml, TextXmlCannotCarryIsRefusedNamingFieldAndRow) {
    struct Case {
        _variant_t value;
        const char* reason;
    };
    const Case cases[] = {
        {_variant_t(_bstr_t(u"a\u0001b")), "U+0001"},
        {_variant_t(_bstr_t(u"\u001F")), "U+001F"},
        {_variant_t(_bstr_t(u"x\u000B")), "U+000B"},
        {_variant_t(_bstr_t(u"\uFFFE")), "U+FFFE"},
        {_variant_t(_bstr_t(u"end\uFFFF")), "U+FFFF"},
        {_variant_t(_bstr_t(std::u16string(u"s") + char16_t(0xD800))), "unpaired surrogate (U+D800)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        Rowset rs;
        RowsetColumn col;
        col.name = "Note";
        rs.columns.push_back(col);
        rs.cells.emplace_back(_variant_t("fine"));
        rs.cells.push_back(c.value);
        std::string xml, why;
        EXPECT_FALSE(WriteRowsetXml(rs, {0, 1}, false, xml, &why));
        EXPECT_NE(why.find("field 'Note' of row 2"), std::string::npos) << why;
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
    // The characters just inside the allowed ranges are written and read back.
    Rowset rs;
    rs.columns.emplace_back();
    rs.columns[0].name = "Note";
    const std::u16string edge = u"\u0020\uD7FF\uE000\uFFFD\U00010000\U0010FFFF\t";
    rs.cells.emplace_back(_bstr_t(std::u16string_view(edge)));
    std::string xml, why;
    ASSERT_TRUE(WriteRowsetXml(rs, {0}, false, xml, &why)) << why;
    Rowset back;
    ASSERT_TRUE(ReadRowsetXml(xml, back, &why)) << why;
    EXPECT_EQ(_bstr_t(back.cells[0]).u16(), edge);
    // An outside XML 1.0 parser (Python's expat) accepts the file and reads the same text.
    TempDir peer;
    std::ofstream(peer.File("edge.xml"), std::ios::binary) << xml;
    std::string cmd = "/usr/bin/python3 -c \"import sys, xml.dom.minidom as m; "
                      "r = m.parse(sys.argv[1]).getElementsByTagName('z:row')[0]; "
                      "sys.stdout.buffer.write(r.getAttribute('Note').encode('utf-16-le'))\" '" + peer.File("edge.xml") + "'";
    const NUVTest::CommandOutput peerRead = NUVTest::RunCommand(cmd);
    ASSERT_EQ(peerRead.status, 0) << "expat refused the file";
    const std::string& out = peerRead.out;
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(out.data()), out.size() / 2), edge);

    // Through a record set: the save fails with the reason and leaves no file.
    TempDir dir;
    _ConnectionPtr conn = Connect(dir.Touch("x.mdb"));
    Exec(conn, "CREATE TABLE T (ID COUNTER, Note TEXT(20))");
    Exec(conn, "INSERT INTO T (Note) VALUES ('ok'), ('bell' || char(7))");
    std::string d;
    EXPECT_NE(ErrorOf([&] { OpenRs(conn, "select * from T order by ID")->Save(dir.File("t.xml").c_str(), adPersistXML); }, &d), 0u);
    EXPECT_NE(d.find("field 'Note' of row 2 holds the character U+0007"), std::string::npos) << d;
    EXPECT_FALSE(std::filesystem::exists(dir.File("t.xml")));
}

// A file name the system code page cannot hold is refused, not saved under another name.
TEST(AdoXml, FileNamesGbkCannotHoldAreRefused) {
    TempDir dir;
    _ConnectionPtr conn = Connect(dir.Touch("x.mdb"));
    Exec(conn, "CREATE TABLE T (N LONG)");
    const std::string path = dir.File("\xED\x95\x9C.xml");  // 한.xml
    std::string d;
    EXPECT_EQ(ErrorOf([&] {
                  OpenRs(conn, "select * from T")
                      ->Save(_variant_t(_bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(path)))), adPersistXML);
              }, &d),
              0x80030003u);
    EXPECT_NE(d.find("GBK"), std::string::npos) << d;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(AdoXml, MalformedFilesAreRefusedWithAReason) {
    struct Case {
        const char* xml;
        const char* reason;
    };
    const Case cases[] = {
        {"<xml><s:Schema", "not well-formed"},
        {"<xml/>", "no s:Schema"},
        {"<xml><s:Schema><s:ElementType/></s:Schema><rs:data/></xml>", "declares no fields"},
        {"<xml><s:Schema><s:ElementType><s:AttributeType name='A'><s:datatype dt:type='int'/></s:AttributeType></s:ElementType>"
         "</s:Schema><rs:data><z:row A='x'/></rs:data></xml>",
         "does not fit"},
        {"<xml><s:Schema><s:ElementType><s:AttributeType name='A'/></s:ElementType></s:Schema><rs:data><z:row B='1'/></rs:data></xml>",
         "undeclared field 'B'"},
        {"<xml><s:Schema><s:ElementType><s:AttributeType name='A'/></s:ElementType></s:Schema></xml>", "no rs:data"},
    };
    for (const auto& c : cases) {
        Rowset rs;
        std::string why;
        EXPECT_FALSE(ReadRowsetXml(c.xml, rs, &why)) << c.xml;
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
    TempDir dir;
    std::string d;
    EXPECT_EQ(ErrorOf([&] { OpenXml(dir.File("none.xml")); }, &d), 0x80004005u);
    EXPECT_NE(d.find("none.xml"), std::string::npos);
}

// Found by fuzzing: a field whose name cannot be an XML attribute was written under a stand-in
// name that another field already had, so the saved file could not be read again.
TEST(AdoXml, StandInNamesNeverCollideWithRealOnes) {
    NUVADO::Rowset rs;
    for (const char* name : {"c1", "c2", "a b", "x&y"}) {
        NUVADO::RowsetColumn col;
        col.name = name;
        rs.columns.push_back(col);
    }
    for (int v = 0; v < 4; ++v) rs.cells.emplace_back(static_cast<long>(v));
    std::string xml;
    ASSERT_TRUE(NUVADO::WriteRowsetXml(rs, {0}, true, xml));
    // Found by fuzzing too: a name that is not UTF-8 was written as an empty attribute name; it
    // is refused instead, with the reason.
    NUVADO::Rowset bad = rs;
    bad.columns[1].name = "a\xE4\xB8";
    std::string none, reason;
    EXPECT_FALSE(NUVADO::WriteRowsetXml(bad, {0}, true, none, &reason));
    EXPECT_NE(reason.find("name of field 2 holds bytes that are not UTF-8"), std::string::npos) << reason;
    NUVADO::Rowset back;
    std::string why;
    ASSERT_TRUE(NUVADO::ReadRowsetXml(xml, back, &why)) << why;
    ASSERT_EQ(back.columns.size(), 4u);
    for (std::size_t c = 0; c < 4; ++c) EXPECT_EQ(back.columns[c].name, rs.columns[c].name);
}

// Dates live as text in the engine, so a date column may hold any text; saving such a record set
// must not give a file that cannot be opened again.
TEST(AdoXml, TextInADateColumnComesBackAsText) {
    NUVADO::Rowset rs;
    NUVADO::RowsetColumn col;
    col.name = "Made";
    col.type = adDate;
    rs.columns.push_back(col);
    rs.cells.emplace_back(_bstr_t("soon"));
    rs.cells.emplace_back(COleDateTime(2006, 5, 1, 13, 45, 0).m_dt, VT_DATE);
    std::string why;
    NUVADO::Rowset back;
    std::string xml;
    ASSERT_TRUE(NUVADO::WriteRowsetXml(rs, {0, 1}, true, xml));
    ASSERT_TRUE(NUVADO::ReadRowsetXml(xml, back, &why)) << why;
    ASSERT_EQ(back.Rows(), 2u);
    EXPECT_EQ(back.cells[0].vt, VT_BSTR);
    EXPECT_STREQ(static_cast<const char*>(_bstr_t(back.cells[0].bstrVal)), "soon");
    EXPECT_EQ(back.cells[1].vt, VT_DATE);
    EXPECT_EQ(back.cells[1].date, rs.cells[1].date);
}

}  // namespace
