// The maximise/restore/minimise states both photo-measure windows share: when the "may the
// unsaved shapes go" question is asked, when a command stops, and which layout a WM_SIZE asks
// for after each way of getting there.
#include "measure/PhotoWindowSizing.h"

#include <gtest/gtest.h>

namespace {

using Layout = PhotoWindowSizing::Layout;

// A window that answers the discard question with `allow` and counts the questions.
struct Sized {
    CWnd window; // no window handle: the style changes go nowhere
    PhotoWindowSizing sizing;
    int asked = 0;
    bool allow = true;

    bool Command(UINT command) {
        return sizing.Command(window, command, [this] {
            ++asked;
            return allow;
        });
    }
};

TEST(PhotoWindowSizingTest, MaximisingAsksFirstAndARefusalStopsTheCommand) {
    Sized w;
    w.allow = false;
    EXPECT_FALSE(w.Command(SC_MAXIMIZE));
    EXPECT_EQ(w.asked, 1);
    EXPECT_EQ(w.sizing.State(), PhotoWindowSizing::kNormal);
    EXPECT_EQ(w.sizing.Resized(SIZE_MAXIMIZED), Layout::None);

    // The lowest four bits are the system's own: a maximise with them set is still one.
    EXPECT_FALSE(w.Command(SC_MAXIMIZE | 2));
    EXPECT_EQ(w.asked, 2);

    w.allow = true;
    EXPECT_TRUE(w.Command(SC_MAXIMIZE));
    EXPECT_EQ(w.sizing.Resized(SIZE_MAXIMIZED), Layout::Maximised);
    // Restoring the maximised window asks again; a refusal keeps it maximised.
    w.allow = false;
    EXPECT_FALSE(w.Command(SC_RESTORE));
    EXPECT_EQ(w.asked, 4);
    w.allow = true;
    EXPECT_TRUE(w.Command(SC_RESTORE));
    EXPECT_EQ(w.sizing.Resized(SIZE_RESTORED), Layout::Normal);
    EXPECT_TRUE(w.sizing.MaximiseCommanded());
    w.sizing.NormalLaidOut();
    w.sizing.BackToNormal();
    // Back at its normal size, a restore asks nothing.
    EXPECT_TRUE(w.Command(SC_RESTORE));
    EXPECT_EQ(w.asked, 5);
    EXPECT_EQ(w.sizing.State(), PhotoWindowSizing::kNormal);
}

TEST(PhotoWindowSizingTest, ARestoreFromMinimisedRebuildsOnlyAWindowThatWasMaximised) {
    for (const bool maximisedFirst : {false, true}) {
        SCOPED_TRACE(maximisedFirst);
        Sized w;
        if (maximisedFirst) {
            ASSERT_TRUE(w.Command(SC_MAXIMIZE));
        }
        EXPECT_TRUE(w.Command(SC_MINIMIZE));
        EXPECT_EQ(w.sizing.State(), PhotoWindowSizing::kMinimised);
        EXPECT_EQ(w.sizing.Resized(SIZE_MAXIMIZED), Layout::None);
        // Coming back from the task bar never asks.
        EXPECT_TRUE(w.Command(SC_RESTORE));
        EXPECT_EQ(w.asked, maximisedFirst ? 1 : 0);
        EXPECT_EQ(w.sizing.State(), PhotoWindowSizing::kRestoredFromMinimised);
        EXPECT_EQ(w.sizing.Resized(SIZE_RESTORED), maximisedFirst ? Layout::Normal : Layout::None);
        // A minimised window stays so whatever size it reports.
        EXPECT_TRUE(w.Command(SC_MINIMIZE));
        w.sizing.BackToNormal();
        EXPECT_EQ(w.sizing.State(), PhotoWindowSizing::kMinimised);
    }
}

} // namespace
