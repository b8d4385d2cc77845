// Placing the main window with the list window docked under it: the given
// place is kept when both fit, and moved into the screen's free area when not.

#include "platform/ScreenFit.h"

#include <gtest/gtest.h>

using screenfit::placeInside;
using screenfit::screenHolding;

namespace {

// The default skin's main and list windows docked at the default place.
const QRect kDocked(326, 227, 475, 206 + 180);

}  // namespace

TEST(ScreenFit, APlaceWhereBothWindowsFitIsKept)
{
    EXPECT_EQ(placeInside(kDocked, QRect(0, 0, 1280, 1024)), QPoint(326, 227));
    // Touching the far edges still fits.
    EXPECT_EQ(placeInside(kDocked, QRect(0, 0, 801, 613)), QPoint(326, 227));
}

TEST(ScreenFit, ScaledScreensMoveTheWindowsInside)
{
    // 1920x1080 at 200 %: 960x540 in the windows' own units; only the
    // list's bottom was cut off, so only the height moves.
    EXPECT_EQ(placeInside(kDocked, QRect(0, 0, 960, 540)), QPoint(326, 540 - 386));
    // 1280x1024 at 200 %: the main window stood half off to the right.
    EXPECT_EQ(placeInside(kDocked, QRect(0, 0, 640, 512)), QPoint(640 - 475, 512 - 386));
    // A panel on top and one on the left take part of the screen.
    EXPECT_EQ(placeInside(QRect(-50, 10, 475, 386), QRect(48, 32, 912, 508)), QPoint(48, 32));
}

TEST(ScreenFit, WindowsLargerThanTheScreenKeepTheirTopLeftCornerOnIt)
{
    EXPECT_EQ(placeInside(kDocked, QRect(0, 24, 400, 300)), QPoint(0, 24));
    EXPECT_EQ(placeInside(QRect(-900, -900, 475, 386), QRect(1920, 0, 400, 300)), QPoint(1920, 0));
}

TEST(ScreenFit, TheScreenHoldingMostOfTheWindowsIsTheirs)
{
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(screenHolding(kDocked, screens), 0);
    EXPECT_EQ(screenHolding(QRect(1800, 100, 475, 386), screens), 1) << "more on the right screen";
    EXPECT_EQ(screenHolding(QRect(1500, 100, 475, 386), screens), 0);
    EXPECT_EQ(screenHolding(QRect(4000, 0, 475, 386), screens), -1);
    EXPECT_EQ(screenHolding(kDocked, {}), -1);
}
