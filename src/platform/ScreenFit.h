#pragma once
// Keeps the main window and the list window docked under it on one screen.
// The geometry is pure so it is testable without a window system; fitOnScreen
// applies it to the real windows.

#include <QList>
#include <QPoint>
#include <QRect>

class QWidget;

namespace screenfit {

// The screen (an index into screens) that holds most of bounds; -1 when
// bounds touch none of them.
int screenHolding(const QRect& bounds, const QList<QRect>& screens);

// Where bounds' top-left goes so that bounds lie inside available. Bounds
// that fit stay put; bounds larger than available keep their top-left
// corner on it, so the window can still be grabbed and moved.
QPoint placeInside(const QRect& bounds, const QRect& available);

// Moves main, and list with it when list is shown, so that both lie in the
// available area of the screen that holds them (the primary screen when
// none does). Their distance from each other is kept.
void fitOnScreen(QWidget& main, QWidget* list);

}  // namespace screenfit
