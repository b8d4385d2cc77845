// The engine on live (offscreen) windows: drawing, mouse events and their
// order, the enabled state, scroll bars, "min" and "close".

#include "SkinTestSupport.h"

#include "components/skin/SvgSkin.h"

#include <QApplication>
#include <QTest>
#include <memory>

using namespace skintest;

namespace {

class SkinWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine_.OpenSkinFile(QStringLiteral(TAMSEL_DEFAULT_SKIN));
        QObject::connect(&engine_, &TSkin::OnMouseDown, [this](ISkinObject* e, int button, int, int) {
            log_.push_back("down:" + e->ElementName().toStdString());
            lastButton_ = button;
        });
        QObject::connect(&engine_, &TSkin::OnMouseUp, [this](ISkinObject* e, int, int, int) {
            log_.push_back("up:" + e->ElementName().toStdString());
            if (ISkinScrollBar* bar = e->ScrollBarFacet()) positionAtRelease_ = bar->BarPosition();
        });
        QObject::connect(&engine_, &TSkin::OnClick, [this](ISkinObject* e) {
            log_.push_back("click:" + e->ElementName().toStdString());
        });
        main_ = show("mp3rec");
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
    int lastButton_ = 0;
    int positionAtRelease_ = -1;
    SvgSkin engine_;
    std::unique_ptr<LoggingWindow> main_;
};

TEST_F(SkinWindowTest, ElementEventsComeBeforeTheWindowsOwnHandlers)
{
    click(main_.get(), centreOf(element("stop")));
    EXPECT_EQ(log_, (Log{"down:stop", "window-press", "up:stop", "click:stop", "window-release"}));
    EXPECT_EQ(lastButton_, int(Qt::LeftButton));

    // Off the elements only the window hears the mouse.
    log_.clear();
    click(main_.get(), QPoint(100, 204));
    click(main_.get(), QPoint(3, 100));
    EXPECT_EQ(log_, (Log{"window-press", "window-release", "window-press", "window-release"}));
}

TEST_F(SkinWindowTest, OnlyAPressAndReleaseOnTheSameElementWithTheLeftButtonClicks)
{
    QTest::mousePress(main_.get(), Qt::LeftButton, {}, centreOf(element("stop")));
    QTest::mouseRelease(main_.get(), Qt::LeftButton, {}, centreOf(element("pause")));
    EXPECT_EQ(log_, (Log{"down:stop", "window-press", "up:stop", "window-release"}));

    log_.clear();
    click(main_.get(), centreOf(element("play")), Qt::RightButton);
    EXPECT_EQ(log_, (Log{"down:play", "window-press", "up:play", "window-release"}));
    EXPECT_EQ(lastButton_, int(Qt::RightButton));
}

TEST_F(SkinWindowTest, ADoubleClickIsTwoClicks)
{
    // Qt follows the second press with a double-click event; moving an entry
    // two places up is such a quick double click on "up".
    const QPoint at = centreOf(element("pause"));
    click(main_.get(), at);
    QTest::mousePress(main_.get(), Qt::LeftButton, {}, at);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, main_->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main_.get(), &twice);
    QTest::mouseRelease(main_.get(), Qt::LeftButton, {}, at);
    // The window's own double-click handling is QWidget's: another press.
    EXPECT_EQ(log_, (Log{"down:pause", "window-press", "up:pause", "click:pause", "window-release",
                         "down:pause", "window-press", "window-press", "up:pause", "click:pause",
                         "window-release"}));
}

TEST_F(SkinWindowTest, APressWhoseReleaseWasLostDoesNotBlockTheNextClick)
{
    const QPoint stop = centreOf(element("stop")), pause = centreOf(element("pause"));
    QMouseEvent lost(QEvent::MouseButtonPress, stop, main_->mapToGlobal(stop), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main_.get(), &lost);
    log_.clear();
    click(main_.get(), pause);
    EXPECT_EQ(log_, (Log{"down:pause", "window-press", "up:pause", "click:pause", "window-release"}));
}

TEST_F(SkinWindowTest, OneEngineReportsTheElementsOfEverySkinnedWindow)
{
    auto list = show("listwin");
    click(list.get(), centreOf(element("join", list.get())));
    click(main_.get(), centreOf(element("recorder")));
    EXPECT_EQ(log_, (Log{"down:join", "window-press", "up:join", "click:join", "window-release",
                         "down:recorder", "window-press", "up:recorder", "click:recorder",
                         "window-release"}));
}

TEST_F(SkinWindowTest, ADisabledElementGivesNoClickAndLooksDisabledAtOnce)
{
    ISkinObject* stop = element("stop");
    const QRect area = areaOf(stop);
    const QImage enabled = grabArea(*main_, area);

    stop->CommonFacet()->SetElementEnabled(false);
    EXPECT_FALSE(stop->CommonFacet()->ElementEnabled());
    EXPECT_NE(grabArea(*main_, area), enabled);
    click(main_.get(), area.center());
    EXPECT_EQ(log_, (Log{"down:stop", "window-press", "up:stop", "window-release"}));

    log_.clear();
    stop->CommonFacet()->SetElementEnabled(true);
    QTest::mouseMove(main_.get(), QPoint(3, 100));  // away, so it is not hovered
    EXPECT_EQ(grabArea(*main_, area), enabled);
    click(main_.get(), area.center());
    EXPECT_EQ(log_.size(), 5u);
    EXPECT_EQ(log_.at(3), "click:stop");
}

TEST_F(SkinWindowTest, ButtonsShowHoverAndPressedLooks)
{
    auto list = show("listwin");
    for (auto [window, name] : {std::pair<QWidget*, const char*>{main_.get(), "play"},
                                std::pair<QWidget*, const char*>{list.get(), "join"}}) {
        SCOPED_TRACE(name);
        const QRect area = areaOf(element(name, window));
        const QImage idle = grabArea(*window, area);
        QTest::mouseMove(window, area.center());
        const QImage hover = grabArea(*window, area);
        QTest::mousePress(window, Qt::LeftButton, {}, area.center());
        const QImage pressed = grabArea(*window, area);
        QTest::mouseRelease(window, Qt::LeftButton, {}, area.center());
        EXPECT_NE(hover, idle);
        EXPECT_NE(pressed, hover);
        EXPECT_NE(pressed, idle);
        EXPECT_EQ(grabArea(*window, area), hover);
    }
}

TEST_F(SkinWindowTest, TextShowsAfterRedrawAndAnEmptyTextClears)
{
    ISkinObject* time = element("s_time");
    const QRect area = areaOf(time);
    const QImage empty = grabArea(*main_, area);

    time->TextFacet()->SetElementText(QStringLiteral("Time:00:01:05"));
    time->CommonFacet()->RedrawElement();
    const QImage shown = grabArea(*main_, area);
    EXPECT_NE(shown, empty);

    time->TextFacet()->SetElementText(QStringLiteral("Time:00:01:06"));
    time->CommonFacet()->RedrawElement();
    EXPECT_NE(grabArea(*main_, area), shown);

    time->TextFacet()->SetElementText(QString());
    time->CommonFacet()->RedrawElement();
    EXPECT_EQ(grabArea(*main_, area), empty);
}

TEST_F(SkinWindowTest, DraggingTheThumbReportsTheDraggedPositionAtRelease)
{
    ISkinObject* bar = element("play_bar");
    ISkinScrollBar* facet = bar->ScrollBarFacet();
    const QRect area = areaOf(bar);
    const int y = area.center().y();
    // The thumb's centre runs the track, which the area overhangs by half a thumb.
    const int half = area.height() / 2;
    const int start = area.left() + half, end = area.right() - half;

    QTest::mousePress(main_.get(), Qt::LeftButton, {}, QPoint(start, y));
    QTest::mouseMove(main_.get(), QPoint((start + end) / 2, y));
    EXPECT_NEAR(facet->BarPosition(), 490, 10);
    QTest::mouseRelease(main_.get(), Qt::LeftButton, {}, QPoint((start + end) / 2, y));
    EXPECT_NEAR(positionAtRelease_, 490, 10);
    EXPECT_EQ(log_, (Log{"down:play_bar", "window-press", "up:play_bar", "click:play_bar", "window-release"}));
    EXPECT_NEAR(facet->BarPosition(), 490, 10);

    // Dragged past the end it stops at 980; a press on the track moves the
    // thumb there at once.
    QTest::mousePress(main_.get(), Qt::LeftButton, {}, QPoint((start + end) / 2, y));
    QTest::mouseMove(main_.get(), QPoint(area.right() + 80, y));
    QTest::mouseRelease(main_.get(), Qt::LeftButton, {}, QPoint(area.right() + 80, y));
    EXPECT_EQ(positionAtRelease_, 980);
    click(main_.get(), QPoint(start + (end - start) / 4, y));
    EXPECT_NEAR(positionAtRelease_, 245, 10);
}

TEST_F(SkinWindowTest, ADisabledBarKeepsItsPositionButStillReportsTheMouse)
{
    ISkinObject* bar = element("play_bar");
    bar->ScrollBarFacet()->SetBarPosition(100);
    bar->CommonFacet()->SetElementEnabled(false);
    const QRect area = areaOf(bar);
    QTest::mousePress(main_.get(), Qt::LeftButton, {}, area.center());
    QTest::mouseMove(main_.get(), QPoint(area.right(), area.center().y()));
    QTest::mouseRelease(main_.get(), Qt::LeftButton, {}, QPoint(area.right(), area.center().y()));
    EXPECT_EQ(positionAtRelease_, 100);
    EXPECT_EQ(log_, (Log{"down:play_bar", "window-press", "up:play_bar", "window-release"}));
}

TEST_F(SkinWindowTest, SetBarPositionMovesTheThumbAfterRedraw)
{
    ISkinObject* bar = element("play_bar");
    ISkinScrollBar* facet = bar->ScrollBarFacet();
    const QRect area = areaOf(bar);
    const QRect startEnd(area.left(), area.top(), area.height(), area.height());
    const QRect finishEnd(area.right() - area.height() + 1, area.top(), area.height(), area.height());
    const QImage startAtZero = grabArea(*main_, startEnd);
    const QImage finishAtZero = grabArea(*main_, finishEnd);

    facet->SetBarPosition(980);
    bar->CommonFacet()->RedrawElement();
    EXPECT_EQ(facet->BarPosition(), 980);
    EXPECT_NE(grabArea(*main_, finishEnd), finishAtZero);
    EXPECT_NE(grabArea(*main_, startEnd), startAtZero);

    facet->SetBarPosition(0);
    bar->CommonFacet()->RedrawElement();
    EXPECT_EQ(grabArea(*main_, finishEnd), finishAtZero);

    facet->SetBarPosition(5000);
    EXPECT_EQ(facet->BarPosition(), 980);
    facet->SetBarPosition(-3);
    EXPECT_EQ(facet->BarPosition(), 0);
}

TEST_F(SkinWindowTest, MinMinimizesAndCloseClosesTheWindow)
{
    click(main_.get(), centreOf(element("min")));
    EXPECT_TRUE(main_->isMinimized());

    main_->showNormal();
    auto list = show("listwin");
    ASSERT_NE(element("stopj", list.get()), nullptr);
    log_.clear();
    click(main_.get(), centreOf(element("close")));
    EXPECT_FALSE(main_->isVisible());
    EXPECT_EQ(log_, (Log{"down:close", "window-press", "up:close", "click:close", "window-close",
                         "window-release"}));
    EXPECT_TRUE(list->isVisible());
}

TEST_F(SkinWindowTest, PreparingAShownWindowLeavesItShownAndFrameless)
{
    LoggingWindow window(log_);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    engine_.PrepareWindow(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST_F(SkinWindowTest, AWindowOutlivingItsEngineStillDrawsAndTakesTheMouse)
{
    auto engine = std::make_unique<SvgSkin>();
    engine->OpenSkinFile(QStringLiteral(TAMSEL_DEFAULT_SKIN));
    LoggingWindow window(log_);
    engine->ApplyFormToWindow(&window, QStringLiteral("listwin"));
    window.move(40, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint at = areaOf(engine->SkinnedWindowOf(&window)->ElementByName(QStringLiteral("del"))).center();
    const QImage before = window.grab().toImage();
    engine.reset();
    EXPECT_EQ(window.grab().toImage(), before);
    click(&window, at);
    EXPECT_EQ(log_, (Log{"window-press", "window-release"}));
}

TEST_F(SkinWindowTest, TheWindowsOwnChildrenStayOnTopOfTheSkin)
{
    auto* room = new QWidget(main_.get());
    room->setGeometry(216, 71, 115, 81);
    room->setAutoFillBackground(true);
    QPalette palette = room->palette();
    palette.setColor(QPalette::Window, QColor(255, 0, 255));
    room->setPalette(palette);
    room->show();

    const QImage image = main_->grab().toImage();
    EXPECT_EQ(QColor(image.pixel(216, 71)), QColor(255, 0, 255));
    EXPECT_EQ(QColor(image.pixel(330, 151)), QColor(255, 0, 255));
    EXPECT_NE(QColor(image.pixel(214, 71)), QColor(255, 0, 255));
    // The face itself is drawn: the window is not left empty around it.
    EXPECT_GT(qAlpha(image.pixel(100, 20)), 200);
}

}  // namespace
