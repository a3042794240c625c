// Document and module loading as the suite's modules call it: ARXLoadEx and the search path,
// finding an open drawing by its path in any letter case, opening and creating drawings, and the
// AutoLISP requests that wait for a timer because a drawing cannot be opened inside a call.
#include <cstdlib>
#include <filesystem>

#include "KernelFixture.h"
#include "acad/AcDb.h"
#include "frame/Documents.h"

namespace {

// A drawing file with `lines` lines in model space, written by the database itself.
void WriteDrawing(const std::string& path, int lines) {
    AcDbDatabase db;
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(Acad::eOk, acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite));
    for (int i = 0; i < lines; ++i) {
        auto* line = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0));
        ms->appendAcDbEntity(line);
        line->close();
    }
    ms->close();
    ASSERT_EQ(Acad::eOk, db.saveAs(path.c_str()));
}

int LineCount(AcDbDatabase* db) {
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return -1;
    int n = static_cast<int>(ms->entityIds().size());
    ms->close();
    return n;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class Documents : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        NewDoc();
        LoadKernel();
        out.take();
    }
    static std::vector<std::string> Titles() {
        std::vector<std::string> titles;
        AcApDocumentIterator* it = acDocManager->newAcApDocumentIterator();
        for (; !it->done(); it->step()) titles.emplace_back(it->document()->docTitle());
        delete it;
        return titles;
    }
    static std::string Active() { return acDocManager->mdiActiveDocument()->docTitle(); }
};

struct SearchPathCase {
    const char* what;
    const char* before;  // null: "Path" unset
};

TEST_F(Documents, ARXLoadExRestoresTheSearchPathExactly) {
    const std::string beside = TestModule("beside/beside.arx");
    const std::string longPath = std::string(5000, 'x') + ";/opt/a;;/opt/b/";
    SearchPathCase cases[] = {{"unset", nullptr}, {"empty", ""}, {"ordinary", "/usr/lib;/opt/lib"},
                              {"longer than 4096", longPath.c_str()}};
    for (const SearchPathCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.before)
            ::setenv("Path", c.before, 1);
        else
            ::unsetenv("Path");
        auto same = [&] {
            const char* now = std::getenv("Path");
            return c.before ? now && std::string(now) == c.before : now == nullptr;
        };
        EXPECT_EQ(0, NUV::ARXLoadEx(files.File("missing/none.arx").c_str())) << "a failed load";
        EXPECT_TRUE(same());
        EXPECT_EQ(0, NUV::ARXLoadEx(""));
        EXPECT_EQ(0, NUV::ARXLoadEx(nullptr));
        EXPECT_TRUE(same());
    }
    // The module needs a library that lies only beside it: the plain load cannot find it, the
    // load with its folder on the path can, and the path is as before afterwards.
    ::setenv("Path", "/usr/lib", 1);
    EXPECT_EQ(RTERROR, acedArxLoad(beside.c_str()));
    out.take();
    EXPECT_EQ(1, NUV::ARXLoadEx(beside.c_str()));
    EXPECT_STREQ("/usr/lib", std::getenv("Path"));
    EXPECT_NE(std::string::npos, out.take().find("[beside] init 42"));
    EXPECT_EQ(0, NUV::ARXLoadEx(beside.c_str())) << "already loaded";
    EXPECT_STREQ("/usr/lib", std::getenv("Path"));
    ::unsetenv("Path");
}

TEST_F(Documents, ARXLoadExFromAutoLispAnswersThePathOrNil) {
    const std::string beside = TestModule("beside/beside.arx");
    std::string failed = Typed("(ARXLoadEx \"" + files.File("none.arx") + "\")");
    EXPECT_TRUE(EndsWith(failed, "\nnil")) << failed;
    std::string loaded = Typed("(ARXLoadEx \"" + beside + "\")");
    EXPECT_TRUE(EndsWith(loaded, "[beside] init 42\n[beside] load Drawing1.dwg\n\"" + beside + "\"")) << loaded;
}

TEST_F(Documents, OpenDwgFindsAnOpenDrawingInAnyLetterCase) {
    WriteDrawing(files.File("Plan.dwg"), 2);
    ASSERT_EQ(1, NUV::OpenDwg(files.File("Plan.dwg").c_str(), 0));
    EXPECT_EQ((std::vector<std::string>{"Drawing1.dwg", "Plan.dwg"}), Titles());
    EXPECT_EQ("Drawing1.dwg", Active()) << "flag 0: not activated";

    std::string other = files.File("PLAN.DWG");
    ASSERT_NE(nullptr, NUV::FindDwgDocument(other.c_str()));
    EXPECT_STREQ("Plan.dwg", NUV::FindDwgDocument(other.c_str())->docTitle());
    EXPECT_EQ(1, NUV::OpenDwg(other.c_str(), 0));
    EXPECT_EQ(2u, Titles().size()) << "no second copy";
    EXPECT_EQ("Drawing1.dwg", Active()) << "flag 0 changes nothing";
    EXPECT_EQ(1, NUV::OpenDwg(other.c_str(), 1));
    NUVAcad::RunIdleTasks();
    EXPECT_EQ("Plan.dwg", Active());
    EXPECT_EQ(2u, Titles().size());

    EXPECT_EQ(nullptr, NUV::FindDwgDocument(files.File("Plan.dxf").c_str()));
    EXPECT_EQ(nullptr, NUV::FindDwgDocument(""));
    EXPECT_EQ(0, NUV::OpenDwg(files.File("none.dwg").c_str(), 1));
    EXPECT_EQ(0, NUV::OpenDwg("", 1));
    EXPECT_EQ(2u, Titles().size());
}

TEST_F(Documents, OpenDwgActivatesANewlyOpenedDrawing) {
    WriteDrawing(files.File("a.dwg"), 3);
    ASSERT_EQ(1, NUV::OpenDwg(files.File("a.dwg").c_str(), 1));
    NUVAcad::RunIdleTasks();
    EXPECT_EQ("a.dwg", Active());
    EXPECT_EQ(3, LineCount(acDocManager->mdiActiveDocument()->database()));
    std::filesystem::create_directories(files.File("broken"));
    files.Touch("broken/b.dwg", "not a drawing");
    EXPECT_EQ(0, NUV::OpenDwg(files.File("broken/b.dwg").c_str(), 1)) << "the host cannot read it";
    EXPECT_EQ(2u, Titles().size());
}

TEST_F(Documents, CreateDwgByDwtNamesTheNewDrawing) {
    WriteDrawing(files.File("duct.dwt"), 4);
    CString name = "untouched";
    EXPECT_EQ(0, NUV::CreateDwgByDwt(files.File("none.dwt").c_str(), name, 1));
    EXPECT_EQ(0, NUV::CreateDwgByDwt("", name, 1));
    EXPECT_STREQ("untouched", name);
    EXPECT_EQ(1, NUV::CreateDwgByDwt(files.File("duct.dwt").c_str(), name, 0));
    EXPECT_STREQ("Drawing2.dwg", name);
    EXPECT_EQ("Drawing1.dwg", Active());
    EXPECT_EQ(1, NUV::CreateDwgByDwt(files.File("duct.dwt").c_str(), name, 1));
    NUVAcad::RunIdleTasks();
    EXPECT_STREQ("Drawing3.dwg", name);
    EXPECT_EQ("Drawing3.dwg", Active());
    EXPECT_EQ(4, LineCount(acDocManager->mdiActiveDocument()->database())) << "the template's contents";
}

TEST_F(Documents, AutoLispRequestsWaitForTheirTimer) {
    WriteDrawing(files.File("one.dwg"), 1);
    WriteDrawing(files.File("two.dwg"), 2);
    WriteDrawing(files.File("t.dwt"), 3);
    // Two requests to open within 100 ms: the second path replaces the first.
    EXPECT_EQ("", Typed("(OpenDwg \"" + files.File("one.dwg") + "\")"));
    NUVAcad::Wait(50);
    EXPECT_EQ("", Typed("(OpenDwg \"" + files.File("two.dwg") + "\")"));
    EXPECT_EQ(1u, Titles().size()) << "nothing opened inside the call";
    // An open and a create in quick succession: different timers, both carried out.
    EXPECT_EQ("", Typed("(CreateDwgByDwt \"" + files.File("t.dwt") + "\")"));
    NUVAcad::Wait(99);
    EXPECT_EQ(1u, Titles().size());
    NUVAcad::Wait(200);
    EXPECT_EQ((std::vector<std::string>{"Drawing1.dwg", "two.dwg", "Drawing2.dwg"}), Titles());
    EXPECT_EQ(0, NUVWin::TimerCount()) << "one-shot timers";
    NUVAcad::Wait(500);
    EXPECT_EQ(3u, Titles().size()) << "fired once";
}

}  // namespace
