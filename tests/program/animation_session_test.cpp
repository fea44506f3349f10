// The animation screen in the running program: a session script draws a
// square, makes three actors of it, selects, drags, poses, keys, scrubs and
// plays, and the screenshots show each step.
#include <gtest/gtest.h>

#include "headless_run.h"

namespace {

const uint16_t kSelectedTab = Word(200, 200, 0), kTab = Word(0, 200, 0);

// Tab k (labelled k + 1) spans x 225 - 14k .. 239 - 14k on the bottom row.
int TabPixels(const Picture& s, int k, uint16_t word) {
    return s.CountInBox(226 - 14 * k, 301, 238 - 14 * k, 318, word);
}
bool TabSelected(const Picture& s, int k) { return TabPixels(s, k, kSelectedTab) > 20; }
bool TabShown(const Picture& s, int k) { return TabSelected(s, k) || TabPixels(s, k, kTab) > 20; }

TEST(AnimationSession, ActorsArePlacedPosedKeyedAndPlayed) {
    TemporaryFolder out;
    ASSERT_EQ(RunScript("animation_session.script", kBundledRoot, out.Path()).status, 0);

    const Picture empty = LoadShot(out.Path(), "anim-01-empty.png");
    EXPECT_EQ(empty.CountInBox(40, 40, 200, 280, 0), 0) << "no actor on the stage yet";
    EXPECT_FALSE(TabShown(empty, 0));

    const Picture three = LoadShot(out.Path(), "anim-02-three-actors.png");
    EXPECT_TRUE(TabShown(three, 0) && TabShown(three, 1) && TabSelected(three, 2));
    EXPECT_FALSE(TabSelected(three, 0));
    EXPECT_FALSE(TabShown(three, 3));
    EXPECT_EQ(three.At(105, 145), 0) << "the square, where the editor drew it";

    // Actor 3 moved 60 pixels right; actors 1 and 2 stayed.
    const Picture dragged = LoadShot(out.Path(), "anim-03-dragged.png");
    EXPECT_EQ(dragged.At(105, 145), 0);
    EXPECT_EQ(dragged.At(195, 145), 0);
    EXPECT_EQ(dragged.At(150, 145), 0xFFFF);

    const Picture by_tab = LoadShot(out.Path(), "anim-04-tab-1.png");
    EXPECT_TRUE(TabSelected(by_tab, 0));
    EXPECT_FALSE(TabSelected(by_tab, 2));
    const Picture by_tap = LoadShot(out.Path(), "anim-05-tapped-3.png");
    EXPECT_TRUE(TabSelected(by_tap, 2));
    EXPECT_FALSE(TabSelected(by_tap, 0));

    // The pose screen: no tabs, the slider's knob at cell 4 (y 36).
    const Picture pose = LoadShot(out.Path(), "anim-06-pose.png");
    EXPECT_FALSE(TabShown(pose, 0));
    EXPECT_GT(pose.CountInBox(211, 33, 228, 39, Word(0, 0, 200)), 20);
    EXPECT_EQ(pose.CountInBox(211, 60, 228, 300, Word(0, 0, 200)), 0);

    // Back on the stage the turned, smaller actor 3 is a diamond below right
    // of the others: its centre is dark, its box's corners are not.
    const Picture posed = LoadShot(out.Path(), "anim-07-posed.png");
    EXPECT_TRUE(TabSelected(posed, 2));
    EXPECT_EQ(posed.At(195, 145), 0xFFFF) << "actor 3 left its old place";

    // Frame 100 is keyed below frame 0: ticks beside the slider at y 30 and 130.
    const Picture frame100 = LoadShot(out.Path(), "anim-08-frame-100.png");
    for (int y : {30, 130}) {
        EXPECT_EQ(frame100.At(224, y), 0) << y;
        EXPECT_EQ(frame100.At(234, y), 0) << y;
    }
    EXPECT_EQ(frame100.At(229, 130), Word(0, 0, 255)) << "the slider's knob";

    // Frame 50: the knob halfway, the actor halfway between its keys.
    const Picture frame50 = LoadShot(out.Path(), "anim-09-frame-50.png");
    EXPECT_EQ(frame50.At(229, 80), Word(0, 0, 255));
    auto dark_rows = [](const Picture& s) {
        int first = -1, last = -1;
        for (int y = 20; y < 300; ++y)
            if (s.CountInBox(142, y, 200, y, 0) > 0) {
                if (first < 0) first = y;
                last = y;
            }
        return (first + last) / 2;
    };
    const int middle_at_100 = dark_rows(frame100), middle_at_50 = dark_rows(frame50);
    const int middle_at_0 = dark_rows(posed);
    EXPECT_NEAR(middle_at_100 - middle_at_0, 40, 3);
    EXPECT_NEAR(middle_at_50 - middle_at_0, 20, 3);

    // A played frame has no widgets; after the tap the screen comes back
    // with the slider where it was.
    const Picture playing = LoadShot(out.Path(), "anim-10-playing.png");
    EXPECT_FALSE(TabShown(playing, 0));
    EXPECT_EQ(playing.At(229, 200), 0xFFFF);
    EXPECT_EQ(playing.At(105, 145), 0) << "the actors are drawn";
    const Picture stopped = LoadShot(out.Path(), "anim-11-stopped.png");
    EXPECT_TRUE(TabSelected(stopped, 2));
    EXPECT_EQ(stopped.At(229, 80), Word(0, 0, 255));
}

}  // namespace
