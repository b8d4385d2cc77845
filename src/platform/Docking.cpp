#include "platform/Docking.h"

#include <cstdlib>

namespace {
constexpr int kReach = 6;  // "within 5 pixels"
}

MainDragResult dragMainWindow(const QRect& main, const QRect& list, QPoint pos, QPoint origin,
                              bool dragging)
{
    const int h = main.height();
    QPoint m = main.topLeft();
    QPoint l = list.topLeft();
    const QPoint delta = pos - origin;
    if (dragging) {
        if (m.y() == l.y() - h) {
            // Docked: the list window follows with the same horizontal offset.
            m += delta;
            l.setY(m.y() + h);
            l.setX(l.x() + delta.x());
        } else if (std::abs(m.y() - l.y() + h) < kReach) {
            m.setY(l.y() - h);
        } else {
            m += delta;
        }
    }
    if (std::abs(m.y() - l.y() + h) < kReach) m.setY(l.y() - h);
    return {m, l};
}

ListDragResult dragListWindow(const QRect& main, const QRect& list, QPoint pos, QPoint origin,
                              bool docked)
{
    const int bottom = main.y() + main.height();
    QPoint l = list.topLeft();
    const int dx = pos.x() - origin.x();
    const int dy = pos.y() - origin.y();
    if (l.y() != bottom && std::abs(l.y() - bottom) < kReach) {
        l.setY(bottom);
        docked = true;
    }
    if (docked) {
        if (std::abs(dy) < kReach && dx != 0) l = QPoint(l.x() + dx, bottom);
        const int t = l.y() + dy;
        if (std::abs(t - bottom) > kReach) {
            l = QPoint(l.x() + dx, t);
            docked = false;
        }
    } else {
        l += QPoint(dx, dy);
    }
    return {l, docked};
}

void WindowDrag::mainPressed(QPoint pos)
{
    noWindowDrag_ = pressOnElement_;
    if (!pressOnElement_) mainOrigin_ = pos;
}

MainDragResult WindowDrag::mainMoved(const QRect& main, const QRect& list, QPoint pos, bool leftDown) const
{
    return dragMainWindow(main, list, pos, mainOrigin_, !noWindowDrag_ && leftDown);
}

void WindowDrag::listPressed(QPoint pos)
{
    listIdle_ = pressOnElement_;
    listDocked_ = false;
    if (!pressOnElement_) listOrigin_ = pos;
}

std::optional<QPoint> WindowDrag::listMoved(const QRect& main, const QRect& list, QPoint pos, bool leftDown)
{
    if (listIdle_ || !leftDown) return std::nullopt;
    const ListDragResult r = dragListWindow(main, list, pos, listOrigin_, listDocked_);
    listDocked_ = r.docked;
    return r.listPos;
}

void WindowDrag::released()
{
    noWindowDrag_ = true;
    pressOnElement_ = false;
}

void WindowDrag::listReleased()
{
    listIdle_ = true;
    listDocked_ = false;
    released();
}
