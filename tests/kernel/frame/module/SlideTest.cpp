// MSld: the window it zooms to (the drawing's extents enlarged by 5 % at each corner, the second
// step measured after the first), the slide's name beside the drawing, an older slide removed
// first, and the drawings it leaves alone. The host's ZOOM and MSLIDE are stood in for by
// commands that record the answers the kernel gives them.
#include <filesystem>

#include "KernelFixture.h"
#include "acad/AcDb.h"
#include "acad/BuiltinCommands.h"
#include "acad/InputSource.h"

namespace {

struct Recorded {
    std::vector<std::string> answers;
    bool slideExisted = false;
};
Recorded recorded;

std::string Answer(const NUVAcad::Input& in) {
    if (in.is(NUVAcad::Input::Kind::Point)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "(%g,%g)", in.point[0], in.point[1]);
        return buf;
    }
    return in.text;
}

class Slide : public KernelTest {
protected:
    void SetUp() override {
        KernelTest::SetUp();
        recorded = {};
        NUVAcad::RegisterBuiltinCommand({"ZOOM", 1, [] {
            for (int i = 0; i < 3; ++i) recorded.answers.push_back(Answer(NUVAcad::ReadInput({"\nZOOM: "})));
            return RTNORM;
        }, "zoom (stand-in)"});
        NUVAcad::RegisterBuiltinCommand({"MSLIDE", 0, [] {
            std::string name = NUVAcad::ReadInput({"\nslide: "}).text;
            recorded.answers.push_back(name);
            recorded.slideExisted = std::filesystem::exists(name);
            std::ofstream(name) << "slide";
            return RTNORM;
        }, "slide (stand-in)"});
    }
    bool kernelLoaded = false;
    void TearDown() override {
        NUVAcad::UnregisterBuiltinCommand("ZOOM");
        NUVAcad::UnregisterBuiltinCommand("MSLIDE");
        KernelTest::TearDown();
    }
    // Opens a drawing file with a line from (0,0) to (x,y) (none when both are 0), made current.
    void OpenDrawing(const std::string& path, double x, double y) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        AcDbDatabase db;
        if (x != 0 || y != 0) {
            AcDbBlockTableRecord* ms = nullptr;
            ASSERT_EQ(Acad::eOk, acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite));
            auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(x, y, 0));
            ms->appendAcDbEntity(line);
            line->close();
            ms->close();
        }
        ASSERT_EQ(Acad::eOk, db.saveAs(path.c_str()));
        ASSERT_EQ(Acad::eOk, acDocManager->appContextOpenDocument(path.c_str()));
        NUVAcad::RunIdleTasks();
        if (!kernelLoaded) LoadKernel();
        kernelLoaded = true;
        out.take();
    }
};

TEST_F(Slide, ZoomsToTheEnlargedExtentsAndNamesTheSlideAfterTheDrawing) {
    const std::string drawing = files.File("p/a.dwg");
    OpenDrawing(drawing, 300, 400);
    EXPECT_EQ(std::string::npos, Command("MSld").find("***")) << "no message of its own";
    // Diagonal 500: min moves 25 away from max, (-15,-20); then 5 % of the new diagonal, 525,
    // takes max 26.25 further along the same line: (315.75,421).
    ASSERT_EQ(4u, recorded.answers.size());
    EXPECT_EQ("W", recorded.answers[0]);
    EXPECT_EQ("(-15,-20)", recorded.answers[1]);
    EXPECT_EQ("(315.75,421)", recorded.answers[2]);
    EXPECT_EQ(files.File("p/a.sld"), recorded.answers[3]);
    EXPECT_FALSE(recorded.slideExisted);
}

TEST_F(Slide, AnOlderSlideIsRemovedFirst) {
    OpenDrawing(files.File("b.dwg"), 10, 10);
    files.Touch("b.sld", "an older slide");
    Command("MSld");
    ASSERT_EQ(4u, recorded.answers.size());
    EXPECT_FALSE(recorded.slideExisted) << "deleted before the host writes the new one";
    EXPECT_EQ("slide", ReadAll(files.File("b.sld")));
}

TEST_F(Slide, DrawingsWithoutANameOrEntitiesAreLeftAlone) {
    NewDoc();
    LoadKernel();
    kernelLoaded = true;
    EXPECT_EQ("", Command("MSld")) << "never saved";
    EXPECT_TRUE(recorded.answers.empty());

    OpenDrawing(files.File("empty.dwg"), 0, 0);
    EXPECT_EQ("\n***放弃选择***", Command("MSld"));
    EXPECT_TRUE(recorded.answers.empty());
    EXPECT_FALSE(std::filesystem::exists(files.File("empty.sld")));
}

}  // namespace
