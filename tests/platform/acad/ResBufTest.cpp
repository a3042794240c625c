// Result-buffer chains: building them from typed arguments and the value type of each code.
#include <gtest/gtest.h>

#include "acad/ResBuf.h"

namespace {

TEST(ResBuf, BuildListTakesEachValueByItsType) {
    double pt[3] = {1.5, 2.5, 3.5};
    long name[2] = {7, 9};
    resbuf* rb = acutBuildList(RTSHORT, 12, RTLONG, 100000, RTREAL, 0.25, RTANG, 1.0, RTSTR, "abc", RTPOINT, pt,
                               RT3DPOINT, pt, RTENAME, name, RTLB, RTNIL, RTT, RTLE, 70, 64, 90, 70000, 40, 2.0, 0);
    ASSERT_NE(rb, nullptr);
    struct Expect {
        int type;
    } order[] = {{RTSHORT}, {RTLONG}, {RTREAL}, {RTANG}, {RTSTR}, {RTPOINT}, {RT3DPOINT}, {RTENAME},
                 {RTLB},    {RTNIL},  {RTT},    {RTLE},  {70},    {90},      {40}};
    const resbuf* p = rb;
    for (const Expect& e : order) {
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->restype, e.type);
        p = p->rbnext;
    }
    EXPECT_EQ(p, nullptr);
    p = rb;
    EXPECT_EQ(p->resval.rint, 12);
    EXPECT_EQ((p = p->rbnext)->resval.rlong, 100000);
    EXPECT_DOUBLE_EQ((p = p->rbnext)->resval.rreal, 0.25);
    EXPECT_DOUBLE_EQ((p = p->rbnext)->resval.rreal, 1.0);
    EXPECT_STREQ((p = p->rbnext)->resval.rstring, "abc");
    p = p->rbnext;
    EXPECT_DOUBLE_EQ(p->resval.rpoint[1], 2.5);
    EXPECT_DOUBLE_EQ(p->resval.rpoint[2], 0.0) << "a 2-D point drops z";
    EXPECT_DOUBLE_EQ((p = p->rbnext)->resval.rpoint[2], 3.5);
    p = p->rbnext;
    EXPECT_EQ(p->resval.rlname[0], 7);
    EXPECT_EQ(p->resval.rlname[1], 9);
    for (int k = 0; k < 5; ++k) p = p->rbnext;
    EXPECT_EQ(p->resval.rint, 64);
    EXPECT_EQ((p = p->rbnext)->resval.rlong, 70000);
    EXPECT_DOUBLE_EQ((p = p->rbnext)->resval.rreal, 2.0);

    resbuf* copy = acutCopyRb(rb);
    EXPECT_STREQ(copy->rbnext->rbnext->rbnext->rbnext->resval.rstring, "abc");
    EXPECT_NE(copy->rbnext->rbnext->rbnext->rbnext->resval.rstring, rb->rbnext->rbnext->rbnext->rbnext->resval.rstring);
    EXPECT_EQ(acutRelRb(copy), RTNORM);
    EXPECT_EQ(acutRelRb(rb), RTNORM);
}

TEST(ResBuf, ValueKindOfCodes) {
    struct Case {
        int code;
        ResValKind kind;
    } cases[] = {
        {0, ResValKind::String},  {1, ResValKind::String},  {5, ResValKind::Handle},  {8, ResValKind::String},
        {10, ResValKind::Point},  {11, ResValKind::Point},  {38, ResValKind::Real},   {39, ResValKind::Real},
        {40, ResValKind::Real},   {50, ResValKind::Real},   {62, ResValKind::Short},  {70, ResValKind::Short},
        {90, ResValKind::Long},   {105, ResValKind::Handle}, {160, ResValKind::Int64}, {210, ResValKind::Point},
        {290, ResValKind::Short}, {330, ResValKind::Name},  {340, ResValKind::Name},  {370, ResValKind::Short},
        {1000, ResValKind::String}, {1005, ResValKind::Handle}, {1010, ResValKind::Point}, {1040, ResValKind::Real},
        {1070, ResValKind::Short}, {1071, ResValKind::Long}, {-1, ResValKind::Name},  {RTSTR, ResValKind::String},
        {RTLONG, ResValKind::Long}, {RTLB, ResValKind::None}, {RTDXF0, ResValKind::String},
    };
    for (const Case& c : cases) EXPECT_EQ(acutResValKind(c.code), c.kind) << c.code;
}

TEST(ResBuf, NewBufferIsEmptyAndNullChainsAreHarmless) {
    resbuf* rb = acutNewRb(RTSTR);
    ASSERT_NE(rb, nullptr);
    EXPECT_EQ(rb->restype, RTSTR);
    EXPECT_EQ(rb->resval.rstring, nullptr);
    EXPECT_EQ(rb->rbnext, nullptr);
    EXPECT_EQ(acutRelRb(rb), RTNORM);
    EXPECT_EQ(acutRelRb(nullptr), RTNORM);
    EXPECT_EQ(acutCopyRb(nullptr), nullptr);
}

}  // namespace
