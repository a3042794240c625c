// Jigs driven by scripted cursor moves and answers: samples and updates, the entity shown while
// dragging and gone afterwards, never appended by the drag; keywords, Enter, cancel, typed
// values, angles and distances.
#include <cmath>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "HostFixture.h"
#include "acad/AcDb.h"
#include "acad/AcEdJig.h"
#include "acad/AcEdSelectionSet.h"
#include "acad/Display.h"

namespace {

// A line from a fixed start to the cursor.
class LineJig : public AcEdJig {
public:
    explicit LineJig(AcGePoint3d start) : line_(new AcDbLine(start, start)), start_(start) {}
    ~LineJig() override { delete line_; }

    DragStatus sampler() override {
        ++samples;
        tempVectorsSeen.push_back(NUVAcad::displayOf(acdbHostApplicationServices()->workingDatabase()).tempVectors().size());
        AcGePoint3d p;
        DragStatus st = acquirePoint(p, start_);
        if (st != kNormal) return st;
        if (p == last_) return kNoChange;
        last_ = p;
        return kNormal;
    }
    bool update() override {
        ++updates;
        line_->setEndPoint(last_);
        return true;
    }
    AcDbEntity* entity() const override { return line_; }
    AcDbLine* release() { return std::exchange(line_, nullptr); }

    int samples = 0, updates = 0;
    std::vector<size_t> tempVectorsSeen;
    AcGePoint3d last_;

private:
    AcDbLine* line_;
    AcGePoint3d start_;
};

class Jigs : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        NewDoc();
        db = acdbHostApplicationServices()->workingDatabase();
    }
    long modelSpaceCount() {
        ads_name ss;
        if (acedSSGet("X", nullptr, nullptr, nullptr, ss) != RTNORM) return 0;
        long n = 0;
        acedSSLength(ss, &n);
        acedSSFree(ss);
        return n;
    }
    AcDbDatabase* db = nullptr;
};

TEST_F(Jigs, CursorMovesDriveSamplerAndUpdateUntilAPick) {
    LineJig jig(AcGePoint3d(0, 0, 0));
    jig.setDispPrompt("\nEnd point <%d>: ", 7);
    EXPECT_STREQ("\nEnd point <7>: ", jig.dispPrompt());
    input.cursor(1, 0).cursor(2, 0).cursor(2, 0).cursor(3, 1).point(5, 5);
    EXPECT_EQ(AcEdJig::kNormal, jig.drag());
    EXPECT_EQ(5, jig.samples);
    EXPECT_EQ(4, jig.updates);  // the repeated (2,0) changed nothing
    AcDbLine* l = static_cast<AcDbLine*>(jig.entity());
    EXPECT_EQ(AcGePoint3d(5, 5, 0), l->endPoint());
    // The line was on screen from the first update, and is gone once the drag ends.
    EXPECT_EQ(0u, jig.tempVectorsSeen[0]);
    EXPECT_GT(jig.tempVectorsSeen[1], 0u);
    EXPECT_TRUE(NUVAcad::displayOf(db).tempVectors().empty());
    EXPECT_EQ(0, modelSpaceCount());  // the drag never appends
    EXPECT_FALSE(jig.append().isNull());
    jig.release();
    EXPECT_EQ(1, modelSpaceCount());
    EXPECT_EQ(0, db->numOpenObjects());
}

TEST_F(Jigs, TypedPointsAreRelativeToTheBaseAndFlattenedUnless3d) {
    LineJig jig(AcGePoint3d(10, 10, 0));
    input.cursor(1, 1).text("@2,3,4");
    EXPECT_EQ(AcEdJig::kNormal, jig.drag());
    EXPECT_EQ(AcGePoint3d(12, 13, 0), jig.last_);  // z dropped: 3-D input not accepted
    LineJig jig3(AcGePoint3d(10, 10, 0));
    jig3.setUserInputControls(AcEdJig::kAccept3dCoordinates);
    input.text("@2,3,4");
    EXPECT_EQ(AcEdJig::kNormal, jig3.drag());
    EXPECT_EQ(AcGePoint3d(12, 13, 4), jig3.last_);
}

TEST_F(Jigs, KeywordsEnterCancelAndOtherText) {
    struct Case {
        int controls;
        std::vector<const char*> answers;  // "<>" Enter, "^C" cancel
        AcEdJig::DragStatus status;
    } cases[] = {
        {0, {"C"}, AcEdJig::kKW1},
        {0, {"u"}, AcEdJig::kKW2},
        {0, {"<>", "^C"}, AcEdJig::kCancel},  // Enter is ignored without kNullResponseAccepted
        {AcEdJig::kNullResponseAccepted, {"<>"}, AcEdJig::kNull},
        {0, {"zz", "^C"}, AcEdJig::kCancel},
        {AcEdJig::kAcceptOtherInputString, {"zz"}, AcEdJig::kOther},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers.front());
        LineJig jig(AcGePoint3d(0, 0, 0));
        jig.setKeywordList("Close Undo");
        jig.setUserInputControls(static_cast<AcEdJig::UserInputControls>(c.controls));
        input.cursor(4, 4);
        for (const char* a : c.answers) {
            std::string s = a;
            if (s == "<>") input.enter();
            else if (s == "^C") input.cancel();
            else input.text(s);
        }
        EXPECT_EQ(c.status, jig.drag());
        EXPECT_EQ(1, jig.updates);  // the cursor move before the final answer
        EXPECT_EQ(0u, input.pending());
        EXPECT_TRUE(NUVAcad::displayOf(db).tempVectors().empty());
    }
    LineJig jig(AcGePoint3d(0, 0, 0));
    jig.setUserInputControls(AcEdJig::kAcceptOtherInputString);
    input.text("free");
    ASSERT_EQ(AcEdJig::kOther, jig.drag());
    EXPECT_EQ("free", jig.otherInput());
}

// A jig that turns a line about its start: acquireAngle from a base point.
class AngleJig : public AcEdJig {
public:
    DragStatus sampler() override {
        double a = 0;
        DragStatus st = acquireAngle(a, AcGePoint3d(0, 0, 0));
        if (st == kNormal) angles.push_back(a);
        return st;
    }
    bool update() override { return true; }
    AcDbEntity* entity() const override { return nullptr; }
    std::vector<double> angles;
};

TEST_F(Jigs, AnglesFromCursorAndTyped) {
    AngleJig jig;
    input.cursor(0, 5).cursor(-1, 0).text("45");
    ASSERT_EQ(AcEdJig::kNormal, jig.drag());
    ASSERT_EQ(3u, jig.angles.size());
    EXPECT_NEAR(M_PI / 2, jig.angles[0], 1e-12);
    EXPECT_NEAR(M_PI, jig.angles[1], 1e-12);
    EXPECT_NEAR(M_PI / 4, jig.angles[2], 1e-12);
}

class DistJig : public AcEdJig {
public:
    DragStatus sampler() override {
        double d = 0;
        DragStatus st = acquireDist(d, AcGePoint3d(1, 1, 0));
        if (st == kNormal) dists.push_back(d);
        return st;
    }
    bool update() override { return true; }
    AcDbEntity* entity() const override { return nullptr; }
    std::vector<double> dists;
};

TEST_F(Jigs, DistancesAndTheirChecks) {
    DistJig jig;
    jig.setUserInputControls(static_cast<AcEdJig::UserInputControls>(AcEdJig::kNoZeroResponseAccepted |
                                                                      AcEdJig::kNoNegativeResponseAccepted));
    input.cursor(4, 5).text("0").text("-2").text("2.5");
    ASSERT_EQ(AcEdJig::kNormal, jig.drag());
    ASSERT_EQ(2u, jig.dists.size());
    EXPECT_NEAR(5, jig.dists[0], 1e-12);
    EXPECT_NEAR(2.5, jig.dists[1], 1e-12);
}

TEST_F(Jigs, ASamplerThatAsksNothingEndsTheDrag) {
    class Idle : public AcEdJig {
    public:
        DragStatus sampler() override { return kNoChange; }
        bool update() override { return true; }
        AcDbEntity* entity() const override { return nullptr; }
    } jig;
    EXPECT_EQ(AcEdJig::kCancel, jig.drag());
}

}  // namespace
