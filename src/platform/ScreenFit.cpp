#include "platform/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace screenfit {

int screenHolding(const QRect& bounds, const QList<QRect>& screens)
{
    int best = -1;
    qint64 bestArea = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect common = bounds.intersected(screens[i]);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

QPoint placeInside(const QRect& bounds, const QRect& available)
{
    // The far edge first, then the near one, so the top-left wins when the
    // bounds are larger than the area.
    auto axis = [](int pos, int size, int start, int length) {
        pos = std::min(pos, start + length - size);
        return std::max(pos, start);
    };
    return {axis(bounds.x(), bounds.width(), available.x(), available.width()),
            axis(bounds.y(), bounds.height(), available.y(), available.height())};
}

void fitOnScreen(QWidget& main, QWidget* list)
{
    QRect bounds = main.frameGeometry();
    if (list && list->isVisible()) bounds = bounds.united(list->frameGeometry());

    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()) return;
    QList<QRect> areas;
    for (const QScreen* s : screens) areas << s->geometry();
    const int index = screenHolding(bounds, areas);
    const QScreen* screen = index >= 0 ? screens[index] : QGuiApplication::primaryScreen();

    const QPoint delta = placeInside(bounds, screen->availableGeometry()) - bounds.topLeft();
    if (delta.isNull()) return;
    main.move(main.pos() + delta);
    if (list && list->isVisible()) list->move(list->pos() + delta);
}

}  // namespace screenfit
