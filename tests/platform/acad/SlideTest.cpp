// Slides: a slide of a known view read back by an independent reader (Python struct), our
// reader on a slide an independent writer made with every kind of record, damaged files, and
// showing a slide on the display.
#include <gtest/gtest.h>

#include <sstream>

#include "EditorFixture.h"
#include "TempDir.h"
#include "acad/AcEdDisplay.h"
#include "acad/Display.h"
#include "acad/SlideMaker.h"
#include "win/CString.h"
#include "win/FileSystem.h"

using NUVAcad::Slide;
using NUVAcad::SlideItem;

namespace {

std::string peer(const std::string& command, const std::string& file) {
    return RunProgram("/usr/bin/python3 " + SourceFile("tests/platform/acad/slide_peer.py") + " " + command + " '" +
                      file + "'");
}

struct SlideTest : EditorFixture {
    TempDir dir;
};

// The view shows exactly (0,0)-(40,30) on a 1024 x 768 screen, so a world point (x, y) lands on
// dot (x * 1023 / 40, y * 767 / 30), rounded; the dots below were worked out by hand.
TEST_F(SlideTest, TheIndependentReaderSeesTheHeaderAndTheVectorsOfTheView) {
    ASSERT_EQ(NUVAcad::displayOf(&db).zoomWindow({0, 0, 0}, {40, 30, 0}), Acad::eOk);
    addLine({0, 0, 0}, {40, 30, 0}, 1);      // corner to corner
    addLine({10, 10, 0}, {20, 10, 0}, 3);    // 255.75 255.67 -> 511.5 255.67
    addLine({-10, 15, 0}, {20, 15, 0}, 5);   // cut at the left edge; y 383.5
    addLine({50, 50, 0}, {60, 60, 0}, 2);    // out of view
    AcDbObjectId blank = addLine({0, 5, 0}, {5, 5, 0}, 4);
    ads_name n;
    nameOf(blank, n);
    ASSERT_EQ(acedRedraw(n, 2), RTNORM);     // blanked: not on screen, not on the slide
    AcDbObjectId hidden = addLine({0, 6, 0}, {5, 6, 0}, 4);
    addLayer("OFF");
    setLayer(hidden, "OFF");
    {
        AcDbLayerTable* t = nullptr;
        AcDbLayerTableRecord* rec = nullptr;
        ASSERT_EQ(db.getLayerTable(t, AcDb::kForRead), Acad::eOk);
        ASSERT_EQ(t->getAt("OFF", rec, AcDb::kForWrite), Acad::eOk);
        rec->setIsOff(true);
        rec->close();
        t->close();
    }
    auto* h = new AcDbHatch;
    h->setPattern(AcDbHatch::kPreDefined, "SOLID");
    AcGePoint2dArray sq;
    for (auto [x, y] : {std::pair{30.0, 0.0}, {40.0, 0.0}, {40.0, 10.0}, {30.0, 10.0}}) sq.append(AcGePoint2d(x, y));
    h->appendLoop(AcDbHatch::kExternal | AcDbHatch::kPolyline, sq, AcGeDoubleArray());
    h->setColorIndex(2);
    append(h);

    std::string path = dir.File("view.sld"), error;
    ASSERT_EQ(NUVAcad::SaveSlide(&db, path.c_str(), error), Acad::eOk) << error;
    std::string out = peer("read", path);
    const char* expected =
        "HEADER 86 2 1023 767 13333333 0 little\n"
        "C 1\n"
        "V 1 0 0 1023 767\n"
        "C 3\n"
        "V 3 256 256 512 256\n"
        "C 5\n"
        "V 5 0 384 512 384\n"
        "C 2\n"
        "F 2 True 767 0 1023 0 1023 256 767 256\n"
        "END 0\n";
    EXPECT_EQ(out, expected);
}

TEST_F(SlideTest, OurReaderFollowsEveryKindOfRecordOfAnIndependentWriter) {
    std::string path = dir.File("peer.sld");
    ASSERT_EQ(peer("write", path), "");
    std::string bytes = ReadAll(path);
    Slide s;
    std::string error;
    ASSERT_TRUE(NUVAcad::ReadSlide(bytes, s, error)) << error;
    EXPECT_EQ(s.highX, 639);
    EXPECT_EQ(s.highY, 479);
    EXPECT_EQ(s.aspect, 13333333u);
    EXPECT_EQ(s.hardwareFill, 2);
    ASSERT_EQ(s.items.size(), 4u);
    auto vec = [](const SlideItem& it) {
        std::ostringstream o;
        o << (it.kind == SlideItem::Fill ? "F" : "V") << it.color;
        for (auto d : it.dots) o << " " << d.x << "," << d.y;
        return o.str();
    };
    EXPECT_EQ(vec(s.items[0]), "V1 100,200 300,250");
    EXPECT_EQ(vec(s.items[1]), "V1 100,200 110,195");  // common endpoint from the last from-point
    EXPECT_EQ(vec(s.items[2]), "V1 108,200 130,225");  // offsets from the common endpoint
    EXPECT_EQ(vec(s.items[3]), "F5 10,10 60,10 35,40");
    // Written back (little-endian, whole vectors) the independent reader sees the same picture.
    std::string again = dir.File("again.sld");
    ASSERT_TRUE(NUVWin::WriteFileAtomic(CString(again.c_str()), NUVAcad::WriteSlide(s)));
    EXPECT_EQ(peer("read", again),
              "HEADER 86 2 639 479 13333333 2 little\nC 1\nV 1 100 200 300 250\nV 1 100 200 110 195\n"
              "V 1 108 200 130 225\nC 5\nF 5 True 10 10 60 10 35 40\nEND 0\n");
}

struct DamagedCase {
    const char* what;
    size_t cutAt;        // keep this many bytes (0: all)
    size_t patchAt;      // then put this byte here (0: nothing)
    unsigned char byte;
    const char* message;
};

TEST_F(SlideTest, DamagedSlidesAreRefusedWithTheirPlace) {
    Slide s;
    s.items.push_back({SlideItem::Vector, 3, {{1, 2}, {3, 4}}});
    s.items.push_back({SlideItem::Fill, 3, {{0, 0}, {9, 0}, {9, 9}}});
    const std::string good = NUVAcad::WriteSlide(s);
    // 31 header bytes, a colour (2), a vector (8), a fill (6 + 3 x 6 + 6), the end (2).
    ASSERT_EQ(good.size(), 31u + 2 + 8 + 30 + 2);
    const DamagedCase cases[] = {
        {"no header", 10, 0, 0, "at byte 0"},
        {"wrong signature", 0, 3, 'x', "not a slide"},
        {"level 1", 0, 18, 1, "level 1"},
        {"bad test number", 0, 29, 0x99, "bad test number"},
        {"cut inside a vector", 31 + 2 + 5, 0, 0, "vector cut short at byte 33"},
        {"no end mark", good.size() - 2, 0, 0, "no end mark"},
        {"unknown record", 0, 34, 0x90, "unknown record 0x9001"},
        {"fill of eleven vertices", 0, 43, 11, "solid fill of 11 vertices"},
    };
    for (const DamagedCase& c : cases) {
        std::string b = c.cutAt ? good.substr(0, c.cutAt) : good;
        if (c.patchAt) b[c.patchAt] = static_cast<char>(c.byte);
        Slide out;
        std::string error;
        EXPECT_FALSE(NUVAcad::ReadSlide(b, out, error)) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    }
    Slide out;
    std::string error;
    EXPECT_TRUE(NUVAcad::ReadSlide(good, out, error)) << error;
}

TEST_F(SlideTest, VslideShowsTheSlideUntilTheNextRedraw) {
    addLine({100, 100, 0}, {200, 150, 0}, 6);
    std::string path = dir.File("shown.sld"), error;
    ASSERT_EQ(NUVAcad::SaveSlide(&db, path.c_str(), error), Acad::eOk);
    NUVAcad::Display& d = NUVAcad::displayOf(&db);
    ASSERT_EQ(NUVAcad::ShowSlide(&db, path.c_str(), error), Acad::eOk) << error;
    ASSERT_NE(d.shownSlide(), nullptr);
    ASSERT_EQ(d.shownSlide()->items.size(), 1u);
    EXPECT_EQ(d.shownSlide()->items[0].color, 6);
    ASSERT_EQ(acedRedraw(nullptr, 0), RTNORM);
    EXPECT_EQ(d.shownSlide(), nullptr);

    EXPECT_EQ(NUVAcad::ShowSlide(&db, dir.File("missing.sld").c_str(), error), Acad::eFileNotFound);
    std::string junk = dir.Touch("junk.sld", "not a slide at all, just some text that is long enough");
    EXPECT_EQ(NUVAcad::ShowSlide(&db, junk.c_str(), error), Acad::eBadDwgHeader);
    EXPECT_NE(error.find("junk.sld"), std::string::npos) << error;
    EXPECT_EQ(d.shownSlide(), nullptr);
}

TEST_F(SlideTest, ASlideThatCannotBeWrittenSaysSoAndLeavesTheOldFile) {
    std::string path = dir.Touch("old.sld", "old");
    std::string error;
    std::string inMissingFolder = dir.File("no/such/folder/x.sld");
    EXPECT_EQ(NUVAcad::SaveSlide(&db, inMissingFolder.c_str(), error), Acad::eFileAccessErr);
    EXPECT_NE(error.find("x.sld"), std::string::npos);
    EXPECT_EQ(ReadAll(path), "old");
}

}  // namespace
