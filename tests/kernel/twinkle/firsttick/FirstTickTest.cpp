// The first tick of the process sets the "off" phase: a new entity is blanked at once, drawn
// again at the next tick, and so on.
#include "../TwinkleFixture.h"

TEST_F(TwinkleTest, FirstTickOfTheProcessBlanks) {
    ASSERT_EQ(NUV::GetTwinkleState().sharedPhase, 0) << "no tick has run in this process";
    AcDbObjectId line = AddLine();
    int id = NUV::ZQTwinkle(NameOf(line).get(), 0, NUV::kTwinkleForever);
    ASSERT_GT(id, 0);
    EXPECT_EQ(NUV::TwinkleItemPhase(id), 1) << "an item starts in the first mode";
    EXPECT_FALSE(display().isBlanked(line));
    Tick();
    EXPECT_EQ(NUV::GetTwinkleState().sharedPhase, 2);
    EXPECT_TRUE(display().isBlanked(line));
    Tick();
    EXPECT_EQ(NUV::GetTwinkleState().sharedPhase, 1);
    EXPECT_FALSE(display().isBlanked(line));
    Tick();
    EXPECT_TRUE(display().isBlanked(line));
    EXPECT_EQ(NUV::ZQStopTwinkle(id), 1);
    EXPECT_FALSE(display().isBlanked(line)) << "stopped in the off phase: drawn again";
}
