#pragma once
// Shared pieces of the skin engine tests: a window that logs its own mouse
// handlers, and where an element sits.

#include "components/skin/SvgSkinElement.h"

#include <QCloseEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace skintest {

using Log = std::vector<std::string>;

// Stands for the program's own windows, whose mouse handlers drag them.
class LoggingWindow : public QWidget {
public:
    explicit LoggingWindow(Log& log) : log_(log) {}

protected:
    void mousePressEvent(QMouseEvent*) override { log_.push_back("window-press"); }
    void mouseReleaseEvent(QMouseEvent*) override { log_.push_back("window-release"); }
    // The program's windows leave this to QWidget, which passes it on as a press.
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        log_.push_back("window-double-click");
        QWidget::mouseDoubleClickEvent(e);
    }
    void closeEvent(QCloseEvent* e) override
    {
        log_.push_back("window-close");
        e->accept();
    }

private:
    Log& log_;
};

inline QRect areaOf(ISkinObject* element)
{
    auto* e = dynamic_cast<SvgSkinElement*>(element);
    if (e == nullptr) {
        ADD_FAILURE() << "not an element of the SVG engine";
        return {};
    }
    return e->area().toRect();
}

inline QPoint centreOf(ISkinObject* element)
{
    return areaOf(element).center();
}

inline QImage grabArea(QWidget& window, const QRect& area)
{
    return window.grab(area).toImage().convertToFormat(QImage::Format_ARGB32);
}

}  // namespace skintest
