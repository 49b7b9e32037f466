// A window's place on the free part of the screen, reckoned with its frame.
#include "platform/window_fit.h"

#include <gtest/gtest.h>

TEST(WindowFitTest, CentredWhereItFitsAgainstTheTopLeftWhereItDoesNot) {
    // 800 x 620 inside, 802 x 641 with a title bar and thin borders.
    const QSize frame(802, 641);
    const QRect wide(0, 0, 1280, 1024);
    EXPECT_TRUE(FrameFits(wide, frame));
    EXPECT_EQ(FitFrame(wide, frame), QPoint(239, 191));

    // A panel along the top of an 800 x 600 screen: the title bar goes just
    // below it and the window's bottom is what cannot show.
    const QRect small(0, 28, 800, 572);
    EXPECT_FALSE(FrameFits(small, frame));
    EXPECT_EQ(FitFrame(small, frame), QPoint(0, 28));

    // Tall enough but too narrow (a panel at the left): centred one way,
    // against the left edge the other.
    const QRect narrow(48, 0, 752, 768);
    EXPECT_FALSE(FrameFits(narrow, frame));
    EXPECT_EQ(FitFrame(narrow, frame), QPoint(48, 63));

    // Exactly the area's size fits.
    EXPECT_TRUE(FrameFits(QRect(10, 20, 802, 641), frame));
    EXPECT_EQ(FitFrame(QRect(10, 20, 802, 641), frame), QPoint(10, 20));
}

TEST(WindowFitTest, AFramePlacedNearTheEdgeIsMovedBackOnScreen) {
    const QRect area(0, 28, 1024, 740);
    const QSize dialog(345, 180);
    EXPECT_EQ(KeepFrameIn(area, dialog, QPoint(300, 200)), QPoint(300, 200));
    EXPECT_EQ(KeepFrameIn(area, dialog, QPoint(900, -40)), QPoint(679, 28));
    EXPECT_EQ(KeepFrameIn(area, dialog, QPoint(-20, 700)), QPoint(0, 588));
    EXPECT_EQ(KeepFrameIn(area, QSize(1100, 180), QPoint(-20, 100)), QPoint(0, 100));
}
