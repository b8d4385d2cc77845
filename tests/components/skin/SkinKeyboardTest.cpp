// The keyboard on skinned windows: the focus order and its mark, presses
// that report what a click reports, the skin file's shortcuts, bars moved by
// keys, and the way out to the window's own children.

#include "SkinTestSupport.h"

#include "components/skin/SvgSkinnedWindow.h"

#include <QApplication>
#include <QTableWidget>
#include <QTest>

using namespace skintest;

namespace {

class SkinKeyboardTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        activate(main_.get());
    }

    static void activate(QWidget* w)
    {
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        // The skin takes the focus once the window is active.
        EXPECT_TRUE(QTest::qWaitFor([w] { return QApplication::focusWidget() != nullptr; }, 2000));
    }

    SvgSkinnedWindow* skinned(QWidget* w)
    {
        return dynamic_cast<SvgSkinnedWindow*>(engine_.SkinnedWindowOf(w));
    }

    std::string focused(QWidget* w)
    {
        SvgSkinElement* e = skinned(w)->focusElement();
        return e != nullptr && w->hasFocus() ? e->ElementName().toStdString() : std::string("-");
    }

    // What a click with the mouse reports, from the keyboard.
    static Log pressOf(const std::string& name)
    {
        return {"down:" + name + "/button0", "window-press", "up:" + name + "/button0", "click:" + name,
                "window-release"};
    }
};

TEST_F(SkinKeyboardTest, TabWalksTheFocusOrderAndSpaceOrReturnPressLikeAClick)
{
    std::vector<std::string> order{focused(main_.get())};
    for (int i = 0; i < 14; ++i) {
        QTest::keyClick(main_.get(), Qt::Key_Tab);
        order.push_back(focused(main_.get()));
    }
    // The order wraps in a window with nothing else to focus, and passes
    // over a disabled element.
    element("play_bar")->CommonFacet()->SetElementEnabled(false);
    for (int i = 0; i < 4; ++i) QTest::keyClick(main_.get(), Qt::Key_Backtab);
    order.push_back(focused(main_.get()));
    EXPECT_EQ(order, (std::vector<std::string>{"recorder", "pause", "stop", "play", "add", "list", "schedule",
                                               "scource", "set", "tag", "play_bar", "help", "min", "close",
                                               "recorder", "tag"}));
    EXPECT_TRUE(log_.empty());

    QTest::keyClick(main_.get(), Qt::Key_Space);
    EXPECT_EQ(log_, pressOf("tag"));
    log_.clear();
    // Arrows move along like a toolbar.
    QTest::keyClick(main_.get(), Qt::Key_Right);
    QTest::keyClick(main_.get(), Qt::Key_Right);
    QTest::keyClick(main_.get(), Qt::Key_Return);
    EXPECT_EQ(log_, pressOf("min"));
    EXPECT_TRUE(main_->isMinimized());

    // A disabled element is not pressed.
    main_->showNormal();
    activate(main_.get());
    log_.clear();
    QTest::keyClick(main_.get(), Qt::Key_Left);
    element("help")->CommonFacet()->SetElementEnabled(false);
    QTest::keyClick(main_.get(), Qt::Key_Space);
    EXPECT_TRUE(log_.empty());
}

TEST_F(SkinKeyboardTest, TheFocusMarkShowsForTheKeyboardAndGoesWithTheMouse)
{
    ISkinObject* pause = element("pause");
    const QRect around = areaOf(pause).adjusted(-4, -4, 4, 4);
    const QImage unmarked = grabArea(*main_, around);
    QTest::keyClick(main_.get(), Qt::Key_Tab);
    ASSERT_EQ(focused(main_.get()), "pause");
    const QImage marked = grabArea(*main_, around);
    EXPECT_NE(marked, unmarked);
    // Where the button's own look ends, the mark is drawn in the skin's colour.
    const QColor ring = marked.pixelColor(around.width() / 2, 2);
    EXPECT_LT(std::abs(ring.green() - 0xe3) + std::abs(ring.blue() - 0xcd), 60) << ring.name().toStdString();

    // A press with the mouse moves the focus there, unmarked.
    click(main_.get(), centreOf(element("stop")));
    EXPECT_EQ(focused(main_.get()), "stop");
    EXPECT_EQ(grabArea(*main_, around), unmarked);
}

TEST_F(SkinKeyboardTest, ShortcutsReachTheirElementsInEveryShownWindowAndShowInTooltips)
{
    auto list = show("listwin");
    auto* view = new QTableWidget(1, 1, list.get());  // stands for the list's own view
    view->setGeometry(35, 34, 200, 60);
    view->setTabKeyNavigation(false);
    view->show();
    activate(list.get());

    QTest::keyClick(list.get(), Qt::Key_R, Qt::ControlModifier);  // a main window element
    QTest::keyClick(list.get(), Qt::Key_Delete);                    // the list's own key
    EXPECT_EQ(log_, [] {
        Log both = pressOf("recorder");
        for (const auto& line : pressOf("del")) both.push_back(line);
        return both;
    }());

    // Return presses the focused element; where no element has the focus, it plays.
    log_.clear();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(log_, pressOf("play"));
    log_.clear();
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(focused(list.get()), "list_add");
    QTest::keyClick(list.get(), Qt::Key_Return);
    EXPECT_EQ(log_, pressOf("list_add"));

    // Past the last element the focus goes on to the window's own children, and back.
    for (int i = 0; i < 6; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view);
    QTest::keyClick(view, Qt::Key_Backtab);
    EXPECT_EQ(focused(list.get()), "del");

    // A hidden window's elements are out of reach.
    list->hide();
    activate(main_.get());
    log_.clear();
    QTest::keyClick(main_.get(), Qt::Key_J, Qt::ControlModifier);
    EXPECT_TRUE(log_.empty());

    EXPECT_EQ(skinned(main_.get())->toolTipOf(*dynamic_cast<SvgSkinElement*>(element("recorder"))),
              QStringLiteral("Record (Ctrl+R)"));
    EXPECT_EQ(skinned(list.get())->toolTipOf(*dynamic_cast<SvgSkinElement*>(element("del", list.get()))),
              QStringLiteral("Remove from the list (Del)"));
}

TEST_F(SkinKeyboardTest, KeysMoveAFocusedBarAndReportItAsAClickThere)
{
    ISkinScrollBar* bar = element("play_bar")->ScrollBarFacet();
    bar->SetBarPosition(500);
    for (int i = 0; i < 10; ++i) QTest::keyClick(main_.get(), Qt::Key_Tab);
    ASSERT_EQ(focused(main_.get()), "play_bar");

    QTest::keyClick(main_.get(), Qt::Key_Right);
    EXPECT_EQ(positionAtRelease_, 520);
    EXPECT_EQ(log_, pressOf("play_bar"));
    QTest::keyClick(main_.get(), Qt::Key_PageDown);
    EXPECT_EQ(positionAtRelease_, 422);
    QTest::keyClick(main_.get(), Qt::Key_End);
    QTest::keyClick(main_.get(), Qt::Key_Right);
    EXPECT_EQ(bar->BarPosition(), 980);
    QTest::keyClick(main_.get(), Qt::Key_Home);
    EXPECT_EQ(positionAtRelease_, 0);

    // A disabled bar stays where the program put it, and reports nothing.
    element("play_bar")->CommonFacet()->SetElementEnabled(false);
    log_.clear();
    QTest::keyClick(main_.get(), Qt::Key_End);
    EXPECT_EQ(bar->BarPosition(), 0);
    EXPECT_TRUE(log_.empty());
}

}  // namespace
