#include <cstring>
#include <vector>

#include "DbTestUtil.h"
#include "win/Gdi.h"

namespace {

using namespace dbtest;

struct PicFixture : Fixture {
    CADORecordset rs{&db};
    PicFixture() {
        MakeDuctTable(db);
        EXPECT_TRUE(rs.Open("select ID, Name, Note, Pic from Duct order by ID"));
    }
    std::vector<std::uint8_t> Stored() {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(rs.GetFieldActualSize("Pic")));
        EXPECT_EQ(rs.GetChunk("Pic", bytes.data()), 1);
        return bytes;
    }
};

TEST(LongData, BytesTextAndFilesGoInAndOutInPieces) {
    PicFixture f;
    std::vector<std::uint8_t> bytes(250);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    f.rs.Edit();
    ASSERT_EQ(f.rs.AppendChunk("Pic", bytes.data(), 250), 1) << f.rs.GetLastErrorString();
    ASSERT_EQ(f.rs.Update(), 1);
    EXPECT_EQ(Shell(f.path, "SELECT length(Pic), hex(substr(Pic, 249)) FROM Duct WHERE ID = 1"), "250|C9D0\n");
    EXPECT_EQ(f.rs.GetFieldActualSize("Pic"), 250);
    EXPECT_EQ(f.Stored(), bytes);  // three pieces, the last one short
    f.rs.MoveNext();
    f.rs.MovePrevious();
    CString text;
    EXPECT_EQ(f.rs.GetChunk(3, text), 1);
    EXPECT_EQ(text.str(), std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(f.rs.GetChunk("Note", text), 1);
    EXPECT_EQ(text, "memo text");

    std::string file = f.dir.File("blob.bin");
    std::string content(1000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 251);
    std::ofstream(file, std::ios::binary) << content;
    f.rs.MoveNext();
    f.rs.Edit();
    EXPECT_EQ(f.rs.AppendChunk("Name", file.c_str()), 0);  // not a long-data field
    EXPECT_EQ(f.rs.AppendChunk("Pic", f.dir.File("none.bin").c_str()), 0);
    EXPECT_EQ(f.rs.AppendChunk("Pic", file.c_str()), 1);
    ASSERT_EQ(f.rs.Update(), 1);
    std::vector<std::uint8_t> back = f.Stored();
    EXPECT_EQ(std::string(back.begin(), back.end()), content);
    EXPECT_EQ(f.rs.AppendChunk("Nope", bytes.data(), 3), 0);
    EXPECT_EQ(f.rs.GetLastError(), 0x800A0CC1u);
}

// Pixels of a bitmap as 0x00RRGGBB, read at 32 bits from top to bottom.
std::vector<std::uint32_t> Pixels(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> out(static_cast<std::size_t>(width * height));
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, bitmap, 0, height, out.data(), &info, DIB_RGB_COLORS), height);
    ReleaseDC(nullptr, dc);
    return out;
}

TEST(LongData, BitmapsAreStoredAsBitmapFilesAtTheDisplayDepth) {
    PicFixture f;
    // Colours every display depth can show exactly: black, white and the primaries.
    const std::vector<std::uint32_t> colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFF00FF};
    struct Case {
        int display;
        std::uint16_t bitCount;
        std::uint32_t bitsOffset;
        std::uint32_t rowBytes;
    } const cases[] = {{32, 32, 54, 12}, {8, 8, 54 + 1024, 4}, {24, 24, 54, 12}};
    int liveBefore = NUVWin::LiveGdiObjectCount();
    for (const Case& c : cases) {
        ASSERT_TRUE(NUVWin::SetScreenBitsPerPixel(c.display));
        HBITMAP source = CreateBitmap(3, 2, 1, 32, colours.data());
        ASSERT_NE(source, nullptr);
        f.rs.MoveFirst();
        f.rs.Edit();
        ASSERT_EQ(f.rs.AppendChunk("Pic", source), 1) << c.display;
        ASSERT_EQ(f.rs.Update(), 1);
        DeleteObject(source);

        std::vector<std::uint8_t> blob = f.Stored();
        auto word = [&](std::size_t at) { return static_cast<std::uint32_t>(blob[at] | blob[at + 1] << 8); };
        auto dword = [&](std::size_t at) { return word(at) | word(at + 2) << 16; };
        ASSERT_EQ(blob.size(), c.bitsOffset + 2 * c.rowBytes);
        EXPECT_TRUE(blob[0] == 'B' && blob[1] == 'M' && dword(2) == blob.size() && dword(6) == 0);
        EXPECT_TRUE(dword(10) == c.bitsOffset && dword(14) == 40 && dword(18) == 3 && dword(22) == 2 && word(26) == 1);
        EXPECT_EQ(word(28), c.bitCount);
        for (std::size_t at = 30; at < 54; at += 4) EXPECT_EQ(dword(at), 0u) << at;  // compression and the rest

        CBitmap back;
        f.rs.MoveFirst();  // pieces continue where the last read stopped until the record is entered again
        ASSERT_EQ(f.rs.GetChunk("Pic", back), 1) << c.display;
        BITMAP bm{};
        back.GetBitmap(&bm);
        EXPECT_EQ(bm.bmBitsPixel, c.display);  // device-dependent: the display's depth
        std::vector<std::uint32_t> got = Pixels(back, 3, 2);
        for (std::size_t i = 0; i < colours.size(); ++i) EXPECT_EQ(got[i] & 0xFFFFFF, colours[i]) << c.display << " " << i;
    }
    NUVWin::SetScreenBitsPerPixel(32);

    // Not a bitmap file: the CBitmap keeps what it holds.
    CBitmap kept;
    kept.Attach(CreateBitmap(1, 1, 1, 32, nullptr));
    HGDIOBJ before = kept.GetSafeHandle();
    f.rs.MoveNext();
    f.rs.Edit();
    f.rs.AppendChunk("Pic", "XM0123456789abcdef0123456789abcdef0123456789abcdef0123456789", 60);
    f.rs.Update();
    EXPECT_EQ(f.rs.GetChunk("Pic", kept), 0);
    // A bitmap header claiming far more pixels than the field holds.
    std::uint8_t huge[60] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F,
                             0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 32};
    f.rs.MoveFirst();
    f.rs.Edit();
    f.rs.AppendChunk("Pic", huge, sizeof huge);
    f.rs.Update();
    f.rs.MoveFirst();
    EXPECT_EQ(f.rs.GetChunk("Pic", kept), 0);
    EXPECT_EQ(kept.GetSafeHandle(), before);
    EXPECT_EQ(f.rs.GetChunk("Name", kept), 0);  // not long data
    EXPECT_EQ(f.rs.AppendChunk("Pic", static_cast<HBITMAP>(nullptr)), 0);
    // Monochrome 21483 x 49981 (128 MiB, mapped lazily) has 0xFFFFFFFC bytes of pixels at the
    // display's 32 bits, and the file 54 more: refused before anything is allocated, the stored
    // picture left as it was.
    HBITMAP wide = CreateBitmap(21483, 49981, 1, 1, nullptr);
    ASSERT_NE(wide, nullptr);
    const std::vector<std::uint8_t> stored = f.Stored();
    f.rs.Edit();
    EXPECT_EQ(f.rs.AppendChunk("Pic", wide), 0);
    f.rs.Update();
    EXPECT_EQ(f.Stored(), stored);
    DeleteObject(wide);
    kept.DeleteObject();
    EXPECT_EQ(NUVWin::LiveGdiObjectCount(), liveBefore);
}

const char* kHandWritten = R"(<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882'
	xmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882'
	xmlns:rs='urn:schemas-microsoft-com:rowset'
	xmlns:z='#RowsetSchema'>
<s:Schema id='RowsetSchema'>
	<s:ElementType name='row' content='eltOnly'>
		<s:AttributeType name='ID' rs:number='1'><s:datatype dt:type='int' dt:maxLength='4'/></s:AttributeType>
		<s:AttributeType name='Name' rs:number='2' rs:nullable='true'><s:datatype dt:type='string' dt:maxLength='50'/></s:AttributeType>
		<s:AttributeType name='Big' rs:number='3' rs:nullable='true'><s:datatype dt:type='ui4' dt:maxLength='4'/></s:AttributeType>
		<s:AttributeType name='Cost' rs:number='4' rs:nullable='true'><s:datatype dt:type='number' rs:dbtype='currency' dt:maxLength='8'/></s:AttributeType>
		<s:AttributeType name='Made' rs:number='5' rs:nullable='true'><s:datatype dt:type='dateTime' dt:maxLength='16'/></s:AttributeType>
		<s:extends type='rs:rowbase'/>
	</s:ElementType>
</s:Schema>
<rs:data>
	<z:row ID='1' Name='Supply &amp; &apos;return&apos;' Big='4000000000' Cost='12.5' Made='2006-05-01T13:45:00'/>
	<z:row ID='2'/>
</rs:data>
</xml>
)";

TEST(RowsetXml, HandWrittenFileIsReadWithItsTypes) {
    TempDir dir;
    std::string path = dir.File("hand.xml");
    std::ofstream(path) << kHandWritten;
    CADORecordset rs;
    ASSERT_EQ(rs.OpenXML(path.c_str()), 1) << rs.GetLastErrorString();
    EXPECT_EQ(rs.GetRecordCount(), 2u);
    CString text;
    EXPECT_EQ(rs.GetFieldValue("Name", text), 1);
    EXPECT_EQ(text, "Supply & 'return'");
    EXPECT_EQ(rs.GetFieldType("Big"), NUVADO::adUnsignedInt);
    EXPECT_EQ(rs.GetFieldValue("Big", text), 1);
    EXPECT_EQ(text, "4000000000");  // 4-byte unsigned: unsigned decimal text
    COleCurrency cost;
    EXPECT_EQ(rs.GetFieldValue("Cost", cost), 1);
    EXPECT_EQ(cost.m_cur.int64, 125000);
    rs.MoveNext();
    EXPECT_EQ(rs.IsFieldNull("Name") + rs.IsFieldNull("Big") + rs.IsFieldNull("Made"), 3);
    EXPECT_EQ(rs.OpenXML(dir.File("none.xml").c_str()), 0);
    EXPECT_NE(rs.GetLastError(), 0u);
}

TEST(RowsetXml, SavedRecordSetsOpenAgainUnchanged) {
    PicFixture f;
    CADORecordset rs(&f.db);
    ASSERT_TRUE(rs.Open("select ID, Name, DN, Flow, Price, Made, Ok, Amount from Duct order by ID"));
    rs.MoveFirst();
    rs.Edit();
    rs.SetFieldValue("Name", CString(Bytes({0xB7, 0xE7, 0xB9, 0xDC, '<', '&', '\''})));
    ASSERT_EQ(rs.Update(), 1);
    std::string xml = f.dir.File("out.xml");
    ASSERT_EQ(rs.SaveAsXML(xml.c_str()), 1) << rs.GetLastErrorString();
    std::string other = f.dir.File("taken.xml");
    std::ofstream(other) << "keep";
    EXPECT_EQ(rs.SaveAsXML(other.c_str()), 0);  // an existing file is not overwritten
    EXPECT_NE(rs.GetLastErrorString().Find("Query = select ID, Name"), -1);

    CADORecordset back;
    ASSERT_EQ(back.OpenXML(xml.c_str()), 1) << back.GetLastErrorString();
    EXPECT_EQ(back.GetRecordCount(), 5u);
    rs.MoveFirst();
    for (int row = 0; row < 5; ++row, rs.MoveNext(), back.MoveNext()) {
        for (int i = 0; i < rs.GetFieldCount(); ++i) {
            _variant_t a, b;
            rs.GetFieldValue(i, a);
            back.GetFieldValue(i, b);
            EXPECT_TRUE(a == b) << "row " << row << " field " << rs.GetFieldName(i) << " tags " << a.vt << "/" << b.vt;
        }
    }
    EXPECT_TRUE(back.IsEOF());
}

}  // namespace
