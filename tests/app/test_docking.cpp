// Window dragging and magnetic docking between the main and the list window.

#include "platform/Docking.h"

#include <gtest/gtest.h>

namespace {
const QRect kMain(100, 100, 475, 180);  // bottom edge at y = 280
}

TEST(MainWindowDrag, SnapsWithinFivePixelsMovesFreelyAtSixAndTakesADockedListAlong)
{
    for (int gap : {-5, -1, 1, 5}) {
        const QRect list(100, 280 + gap, 475, 180);
        const auto r = dragMainWindow(kMain, list, QPoint(50, 50), QPoint(40, 40), true);
        EXPECT_EQ(r.mainPos, QPoint(100, list.y() - 180)) << "gap " << gap;
        EXPECT_EQ(r.listPos, list.topLeft());
    }
    EXPECT_EQ(dragMainWindow(kMain, QRect(100, 286, 475, 180), QPoint(50, 40), QPoint(40, 40), true).mainPos,
              QPoint(110, 100));

    const auto docked = dragMainWindow(kMain, QRect(130, 280, 475, 180), QPoint(60, 70), QPoint(40, 40), true);
    EXPECT_EQ(docked.mainPos, QPoint(120, 130));
    EXPECT_EQ(docked.listPos, QPoint(150, 310)) << "same horizontal offset, stays under the main";

    // Without a drag only the snap applies.
    EXPECT_EQ(dragMainWindow(kMain, QRect(100, 283, 475, 180), QPoint(90, 90), QPoint(0, 0), false).mainPos,
              QPoint(100, 103));
    EXPECT_EQ(dragMainWindow(kMain, QRect(100, 400, 475, 180), QPoint(90, 90), QPoint(0, 0), false).mainPos,
              kMain.topLeft());
}

TEST(ListWindowDrag, SnapsSlidesAlongTheEdgeAndUndocksBeyondSixPixels)
{
    auto r = dragListWindow(kMain, QRect(100, 284, 475, 180), QPoint(10, 10), QPoint(10, 10), false);
    EXPECT_EQ(r.listPos, QPoint(100, 280));
    EXPECT_TRUE(r.docked);
    // Horizontal movement with a small vertical one slides along the edge.
    r = dragListWindow(kMain, QRect(r.listPos, kMain.size()), QPoint(40, 14), QPoint(10, 10), r.docked);
    EXPECT_EQ(r.listPos, QPoint(130, 280));
    EXPECT_TRUE(r.docked);

    const QRect docked(100, 280, 475, 180);
    r = dragListWindow(kMain, docked, QPoint(10, 16), QPoint(10, 10), true);
    EXPECT_TRUE(r.docked) << "six pixels is still within reach";
    EXPECT_EQ(r.listPos, docked.topLeft());
    r = dragListWindow(kMain, docked, QPoint(10, 17), QPoint(10, 10), true);
    EXPECT_EQ(r.listPos, QPoint(100, 287));
    EXPECT_FALSE(r.docked);

    r = dragListWindow(kMain, QRect(300, 500, 475, 180), QPoint(25, 5), QPoint(10, 10), false);
    EXPECT_EQ(r.listPos, QPoint(315, 495)) << "a free drag follows the mouse";
    EXPECT_FALSE(r.docked);
}

// One gesture at a time: a press on an element moves no window and holds the
// texts still until the release; a list drag carries its docking from move to
// move, and the next drag starts undocked.
TEST(WindowDrag, APressOnAnElementMovesNothingAndDockingLastsOneDrag)
{
    WindowDrag drag;
    EXPECT_FALSE(drag.textsFollow()) << "until the first release a drag may be starting";
    drag.elementPressed();
    drag.mainPressed(QPoint(10, 10));
    EXPECT_TRUE(drag.textsFollow());
    EXPECT_EQ(drag.mainMoved(kMain, QRect(0, 500, 475, 180), QPoint(60, 60), true).mainPos, kMain.topLeft());
    drag.listPressed(QPoint(10, 10));
    EXPECT_FALSE(drag.listMoved(kMain, QRect(100, 284, 475, 180), QPoint(60, 60), true));
    drag.released();

    drag.listPressed(QPoint(10, 10));
    const QRect nearEdge(100, 284, 475, 180);
    EXPECT_EQ(drag.listMoved(kMain, nearEdge, QPoint(10, 10), true), QPoint(100, 280)) << "snaps";
    EXPECT_EQ(drag.listMoved(kMain, QRect(100, 280, 475, 180), QPoint(40, 14), true), QPoint(130, 280))
        << "docked: slides along the edge";
    EXPECT_FALSE(drag.listMoved(kMain, nearEdge, QPoint(40, 14), false)) << "the button is up";
    drag.listReleased();
    EXPECT_FALSE(drag.listMoved(kMain, nearEdge, QPoint(40, 14), true)) << "no drag after the release";

    drag.listPressed(QPoint(10, 10));
    EXPECT_EQ(drag.listMoved(kMain, QRect(300, 500, 475, 180), QPoint(25, 5), true), QPoint(315, 495))
        << "a new drag starts undocked";
}
