// Window dragging and magnetic docking between the main and the list window.

#include "app/Docking.h"

#include <gtest/gtest.h>

namespace {
const QRect kMain(100, 100, 475, 180);  // bottom edge at y = 280
}

TEST(MainWindowDrag, SnapsOntoTheListWindowWithinFivePixels)
{
    for (int gap : {-5, -1, 1, 5}) {
        const QRect list(100, 280 + gap, 475, 180);
        const auto r = dragMainWindow(kMain, list, QPoint(50, 50), QPoint(40, 40), true);
        EXPECT_EQ(r.mainPos, QPoint(100, list.y() - 180)) << "gap " << gap;
        EXPECT_EQ(r.listPos, list.topLeft());
    }
}

TEST(MainWindowDrag, MovesFreelyAtSixPixels)
{
    const QRect list(100, 286, 475, 180);
    const auto r = dragMainWindow(kMain, list, QPoint(50, 40), QPoint(40, 40), true);
    EXPECT_EQ(r.mainPos, QPoint(110, 100));
    EXPECT_EQ(r.listPos, list.topLeft());
}

TEST(MainWindowDrag, DockedDragTakesTheListWindowAlong)
{
    const QRect list(130, 280, 475, 180);
    const auto r = dragMainWindow(kMain, list, QPoint(60, 70), QPoint(40, 40), true);
    EXPECT_EQ(r.mainPos, QPoint(120, 130));
    EXPECT_EQ(r.listPos, QPoint(150, 310)) << "same horizontal offset, stays under the main";
}

TEST(MainWindowDrag, WithoutDragOnlyTheSnapApplies)
{
    const QRect near(100, 283, 475, 180);
    EXPECT_EQ(dragMainWindow(kMain, near, QPoint(90, 90), QPoint(0, 0), false).mainPos,
              QPoint(100, 103));
    const QRect far(100, 400, 475, 180);
    EXPECT_EQ(dragMainWindow(kMain, far, QPoint(90, 90), QPoint(0, 0), false).mainPos,
              kMain.topLeft());
}

TEST(ListWindowDrag, SnapsToTheMainWindowBottomAndSlidesAlongIt)
{
    const QRect list(100, 284, 475, 180);
    auto r = dragListWindow(kMain, list, QPoint(10, 10), QPoint(10, 10), false);
    EXPECT_EQ(r.listPos, QPoint(100, 280));
    EXPECT_TRUE(r.docked);

    // Horizontal movement with a small vertical one slides along the edge.
    r = dragListWindow(kMain, QRect(r.listPos, list.size()), QPoint(40, 14), QPoint(10, 10),
                       r.docked);
    EXPECT_EQ(r.listPos, QPoint(130, 280));
    EXPECT_TRUE(r.docked);
}

TEST(ListWindowDrag, PullingMoreThanSixPixelsAwayUndocks)
{
    const QRect docked(100, 280, 475, 180);
    auto r = dragListWindow(kMain, docked, QPoint(10, 17), QPoint(10, 10), true);
    EXPECT_EQ(r.listPos, QPoint(100, 287));
    EXPECT_FALSE(r.docked);

    r = dragListWindow(kMain, docked, QPoint(10, 16), QPoint(10, 10), true);
    EXPECT_TRUE(r.docked) << "six pixels is still within reach";
    EXPECT_EQ(r.listPos, docked.topLeft());
}

TEST(ListWindowDrag, FreeDragFollowsTheMouse)
{
    const QRect list(300, 500, 475, 180);
    const auto r = dragListWindow(kMain, list, QPoint(25, 5), QPoint(10, 10), false);
    EXPECT_EQ(r.listPos, QPoint(315, 495));
    EXPECT_FALSE(r.docked);
}
