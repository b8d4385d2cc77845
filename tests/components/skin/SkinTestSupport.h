#pragma once
// Shared pieces of the skin engine tests: a window that logs its own mouse
// handlers, where an element sits, and an engine whose events are logged.

#include "components/skin/SvgSkin.h"
#include "components/skin/SvgSkinElement.h"

#include <QCloseEvent>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
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

// The default skin on a shown main window; every element event and the
// window's own mouse handlers go to one log.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine_.OpenSkinFile(QStringLiteral(TAMSEL_DEFAULT_SKIN));
        QObject::connect(&engine_, &TSkin::OnMouseDown, [this](ISkinObject* e, int button, int, int) {
            log_.push_back("down:" + nameOf(e, button));
        });
        QObject::connect(&engine_, &TSkin::OnMouseUp, [this](ISkinObject* e, int button, int, int) {
            log_.push_back("up:" + nameOf(e, button));
            if (ISkinScrollBar* bar = e->ScrollBarFacet()) positionAtRelease_ = bar->BarPosition();
        });
        QObject::connect(&engine_, &TSkin::OnClick, [this](ISkinObject* e) {
            log_.push_back("click:" + e->ElementName().toStdString());
        });
        main_ = show("mp3rec");
    }

    // Presses of other buttons than the left one are told apart in the log;
    // button 0 is a press from the keyboard.
    static std::string nameOf(ISkinObject* e, int button)
    {
        const std::string name = e->ElementName().toStdString();
        if (button == Qt::LeftButton) return name;
        return name + (button == Qt::RightButton ? "/right" : "/button" + std::to_string(button));
    }

    std::unique_ptr<LoggingWindow> show(const char* form)
    {
        auto w = std::make_unique<LoggingWindow>(log_);
        engine_.PrepareWindow(w.get());
        engine_.ApplyFormToWindow(w.get(), QString::fromLatin1(form));
        // Apart, as the program docks them: moves find the window under the pointer.
        w->move(40, qstrcmp(form, "mp3rec") == 0 ? 40 : 300);
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        return w;
    }

    ISkinObject* element(const char* name, QWidget* window = nullptr)
    {
        ISkinObject* e = engine_.SkinnedWindowOf(window ? window : main_.get())
                             ->ElementByName(QString::fromLatin1(name));
        EXPECT_NE(e, nullptr) << name;
        return e;
    }

    void click(QWidget* window, QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(window, button, {}, at);
        QTest::mouseRelease(window, button, {}, at);
    }

    Log log_;
    int positionAtRelease_ = -1;
    SvgSkin engine_;
    std::unique_ptr<LoggingWindow> main_;
};

}  // namespace skintest
