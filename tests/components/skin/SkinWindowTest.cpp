// The engine on live (offscreen) windows: drawing, mouse events and their
// order, the enabled state, scroll bars, "min" and "close".

#include "SkinTestSupport.h"

#include "platform/Error.h"
#include "platform/ErrorBoundary.h"

#include <QApplication>
#include <QTest>
#include <memory>

using namespace skintest;

namespace {

class SkinWindowTest : public EngineTest {};

TEST_F(SkinWindowTest, ElementEventsComeBeforeTheWindowsOwnHandlers)
{
    auto list = show("listwin");
    click(list.get(), centreOf(element("join", list.get())));
    click(main_.get(), centreOf(element("stop")));
    EXPECT_EQ(log_, (Log{"down:join", "window-press", "up:join", "click:join", "window-release",
                         "down:stop", "window-press", "up:stop", "click:stop", "window-release"}));

    // Off the elements only the window hears the mouse.
    log_.clear();
    click(main_.get(), QPoint(100, 204));
    EXPECT_EQ(log_, (Log{"window-press", "window-release"}));
}

TEST_F(SkinWindowTest, OnlyALeftPressAndReleaseOnTheSameElementClicks)
{
    const QPoint stop = centreOf(element("stop")), pause = centreOf(element("pause"));
    QTest::mousePress(main_.get(), Qt::LeftButton, {}, stop);
    QTest::mouseRelease(main_.get(), Qt::LeftButton, {}, pause);
    click(main_.get(), centreOf(element("play")), Qt::RightButton);
    EXPECT_EQ(log_, (Log{"down:stop", "window-press", "up:stop", "window-release",
                         "down:play/right", "window-press", "up:play/right", "window-release"}));

    // A press whose release was lost (a modal box took it) is released before the next press.
    QMouseEvent lost(QEvent::MouseButtonPress, stop, main_->mapToGlobal(stop), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main_.get(), &lost);
    log_.clear();
    click(main_.get(), pause);
    EXPECT_EQ(log_, (Log{"up:stop", "down:pause", "window-press", "up:pause", "click:pause", "window-release"}));
}

TEST_F(SkinWindowTest, ADoubleClickIsTwoClicks)
{
    // Through the platform's own input path, which turns the second press
    // into a double-click event (moving an entry two places up is one on "up").
    auto list = show("listwin");
    QTest::mouseDClick(list->windowHandle(), Qt::LeftButton, {}, centreOf(element("up", list.get())));
    const Log click{"down:up", "window-press", "up:up", "click:up", "window-release"};
    Log twice = click;
    twice.insert(twice.end(), {"down:up", "window-double-click", "window-press", "up:up", "click:up",
                               "window-release"});
    EXPECT_EQ(log_, twice);
}

TEST_F(SkinWindowTest, TwoButtonsHeldTogetherEachGetTheirOwnRelease)
{
    const QPoint stop = centreOf(element("stop")), bar = centreOf(element("play_bar"));
    QTest::mousePress(main_.get(), Qt::LeftButton, {}, stop);
    QTest::mousePress(main_.get(), Qt::RightButton, {}, bar);
    QTest::mouseRelease(main_.get(), Qt::RightButton, {}, bar);
    QTest::mouseRelease(main_.get(), Qt::LeftButton, {}, stop);
    EXPECT_EQ(log_, (Log{"down:stop", "window-press", "down:play_bar/right", "window-press",
                         "up:play_bar/right", "window-release", "up:stop", "click:stop", "window-release"}));

    // Released in the order pressed, a left press after the right one still clicks.
    log_.clear();
    QTest::mousePress(main_.get(), Qt::RightButton, {}, stop);
    QTest::mousePress(main_.get(), Qt::LeftButton, {}, bar);
    QTest::mouseRelease(main_.get(), Qt::RightButton, {}, stop);
    QTest::mouseRelease(main_.get(), Qt::LeftButton, {}, bar);
    EXPECT_EQ(log_, (Log{"down:stop/right", "window-press", "down:play_bar", "window-press", "up:stop/right",
                         "window-release", "up:play_bar", "click:play_bar", "window-release"}));
}

TEST_F(SkinWindowTest, AFailingHandlerLeavesThePressPairedAndTheWindowInformed)
{
    QStringList reported;
    ErrorBoundary::setHandler([&](const QString& message) { reported << message; });
    QObject::connect(&engine_, &TSkin::OnMouseUp, [] { throw TamselError(QStringLiteral("Cannot seek.")); });
    click(main_.get(), centreOf(element("play_bar")));
    ErrorBoundary::setHandler(nullptr);
    EXPECT_EQ(reported, QStringList{QStringLiteral("Cannot seek.")});
    EXPECT_EQ(log_, (Log{"down:play_bar", "window-press", "up:play_bar", "click:play_bar", "window-release"}));
}

TEST_F(SkinWindowTest, ButtonLooksFollowHoverPressAndTheEnabledState)
{
    const QRect area = areaOf(element("play"));
    const QImage idle = grabArea(*main_, area);
    QTest::mouseMove(main_.get(), area.center());
    const QImage hover = grabArea(*main_, area);
    QTest::mousePress(main_.get(), Qt::LeftButton, {}, area.center());
    const QImage pressed = grabArea(*main_, area);
    QTest::mouseRelease(main_.get(), Qt::LeftButton, {}, area.center());
    EXPECT_NE(hover, idle);
    EXPECT_NE(pressed, hover);
    EXPECT_NE(pressed, idle);
    EXPECT_EQ(grabArea(*main_, area), hover);

    // A disabled element gives no click and looks disabled at once.
    ISkinObject* stop = element("stop");
    const QRect at = areaOf(stop);
    const QImage enabled = grabArea(*main_, at);
    stop->CommonFacet()->SetElementEnabled(false);
    EXPECT_FALSE(stop->CommonFacet()->ElementEnabled());
    EXPECT_NE(grabArea(*main_, at), enabled);
    log_.clear();
    click(main_.get(), at.center());
    EXPECT_EQ(log_, (Log{"down:stop", "window-press", "up:stop", "window-release"}));

    log_.clear();
    stop->CommonFacet()->SetElementEnabled(true);
    QTest::mouseMove(main_.get(), QPoint(3, 100));  // away, so it is not hovered
    EXPECT_EQ(grabArea(*main_, at), enabled);
    click(main_.get(), at.center());
    EXPECT_EQ(log_, (Log{"down:stop", "window-press", "up:stop", "click:stop", "window-release"}));
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

TEST_F(SkinWindowTest, ScrollBarDragsClampsAndRedrawsItsThumb)
{
    ISkinObject* bar = element("play_bar");
    ISkinScrollBar* facet = bar->ScrollBarFacet();
    const QRect area = areaOf(bar);
    const int y = area.center().y();
    // The thumb's centre runs the track, which the area overhangs by half a thumb.
    const int half = area.height() / 2;
    const int start = area.left() + half, end = area.right() - half;
    const QRect finishEnd(area.right() - area.height() + 1, area.top(), area.height(), area.height());
    const QImage finishAtZero = grabArea(*main_, finishEnd);

    // The dragged position is reported at release.
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

    // Set positions are clamped and move the thumb after a redraw.
    facet->SetBarPosition(5000);
    EXPECT_EQ(facet->BarPosition(), 980);
    bar->CommonFacet()->RedrawElement();
    EXPECT_NE(grabArea(*main_, finishEnd), finishAtZero);
    facet->SetBarPosition(-3);
    EXPECT_EQ(facet->BarPosition(), 0);
    bar->CommonFacet()->RedrawElement();
    EXPECT_EQ(grabArea(*main_, finishEnd), finishAtZero);

    // A disabled bar keeps its position but still reports the mouse.
    facet->SetBarPosition(100);
    bar->CommonFacet()->SetElementEnabled(false);
    log_.clear();
    QTest::mousePress(main_.get(), Qt::LeftButton, {}, area.center());
    QTest::mouseMove(main_.get(), QPoint(area.right(), y));
    QTest::mouseRelease(main_.get(), Qt::LeftButton, {}, QPoint(area.right(), y));
    EXPECT_EQ(positionAtRelease_, 100);
    EXPECT_EQ(log_, (Log{"down:play_bar", "window-press", "up:play_bar", "window-release"}));
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

TEST_F(SkinWindowTest, AWindowOutlivingItsEngineStillDrawsAndTakesTheMouse)
{
    auto engine = std::make_unique<SvgSkin>();
    engine->OpenSkinFile(QStringLiteral(TAMSEL_DEFAULT_SKIN));
    LoggingWindow window(log_);
    window.move(40, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    engine->PrepareWindow(&window);  // preparing a shown window leaves it shown
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    engine->ApplyFormToWindow(&window, QStringLiteral("listwin"));
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
