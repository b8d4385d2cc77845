#pragma once
// Window dragging with magnetic docking of the main window onto the top edge
// of the list window and of the list window onto the bottom edge of the main
// window (reach: 5 pixels, vertical only). Pure geometry, so it is testable
// without a window system.

#include <QPoint>
#include <QRect>

struct MainDragResult {
    QPoint mainPos;
    QPoint listPos;
};

// One mouse move over the main window. pos and origin are client coordinates
// of the move and of the press that began the drag; dragging is false when no
// drag is in progress or the left button is up.
MainDragResult dragMainWindow(const QRect& main, const QRect& list, QPoint pos, QPoint origin,
                              bool dragging);

struct ListDragResult {
    QPoint listPos;
    bool docked;  // carried in the shared press flag between moves
};

// One mouse move over the list window while it is dragged.
ListDragResult dragListWindow(const QRect& main, const QRect& list, QPoint pos, QPoint origin,
                              bool docked);
