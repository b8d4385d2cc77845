#pragma once
// Window dragging with magnetic docking of the main window onto the top edge
// of the list window and of the list window onto the bottom edge of the main
// window (reach: 5 pixels, vertical only). Pure geometry, so it is testable
// without a window system.

#include <QPoint>
#include <QRect>
#include <optional>

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
    bool docked;  // carried between the moves of one drag
};

// One mouse move over the list window while it is dragged.
ListDragResult dragListWindow(const QRect& main, const QRect& list, QPoint pos, QPoint origin,
                              bool docked);

// What the pointer is doing to the two docked windows, shared by both: a
// press on a skin element never drags a window, and while a window may be
// dragged the recording and playback texts hold still.
class WindowDrag {
public:
    // A press on one of the elements that never drag (before the window's own press).
    void elementPressed() { pressOnElement_ = true; }
    // The mouse went down, moved or came up on the main window.
    void mainPressed(QPoint pos);
    MainDragResult mainMoved(const QRect& main, const QRect& list, QPoint pos, bool leftDown) const;
    // The same on the list window; the list window's new place, if it moves.
    void listPressed(QPoint pos);
    std::optional<QPoint> listMoved(const QRect& main, const QRect& list, QPoint pos, bool leftDown);
    void released();
    void listReleased();

    // No window drag can be in progress: the time and size texts may change.
    bool textsFollow() const { return noWindowDrag_; }

private:
    bool pressOnElement_ = false;
    // Until the first release on a window, a drag may be starting.
    bool noWindowDrag_ = false;
    QPoint mainOrigin_;
    bool listIdle_ = false;
    bool listDocked_ = false;
    QPoint listOrigin_;
};
