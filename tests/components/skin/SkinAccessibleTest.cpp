// What a screen reader sees of a skinned window: every element with its
// role, a name a person understands, its state and its actions.

#include "SkinTestSupport.h"

#include "components/skin/SvgSkinnedWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

using namespace skintest;

namespace {

class SkinAccessibleTest : public EngineTest {
protected:
    QAccessibleInterface* window(QWidget* w = nullptr)
    {
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w ? w : main_.get());
        EXPECT_NE(i, nullptr);
        return i;
    }

    QAccessibleInterface* named(const QString& name, QWidget* w = nullptr)
    {
        QAccessibleInterface* win = window(w);
        for (int i = 0; i < win->childCount(); ++i)
            if (win->child(i)->text(QAccessible::Name) == name) return win->child(i);
        ADD_FAILURE() << "no child named " << name.toStdString();
        return nullptr;
    }
};

TEST_F(SkinAccessibleTest, TheWindowShowsEachElementWithItsRoleAndNameBeforeItsOwnChildren)
{
    auto* child = new QLabel(QStringLiteral("level"), main_.get());
    child->setGeometry(216, 71, 115, 81);
    child->show();
    main_->setWindowTitle(QStringLiteral("Tamsel"));
    QAccessibleInterface* win = window();
    EXPECT_EQ(win->role(), QAccessible::Window);
    EXPECT_EQ(win->text(QAccessible::Name), QStringLiteral("Tamsel"));

    QStringList seen;
    for (int i = 0; i < win->childCount(); ++i) {
        QAccessibleInterface* c = win->child(i);
        EXPECT_EQ(win->indexOfChild(c), i);
        EXPECT_EQ(c->parent(), win);
        seen << QStringLiteral("%1:%2").arg(int(c->role()), 0, 16).arg(c->text(QAccessible::Name));
    }
    const auto as = [](QAccessible::Role r, const char* name) {
        return QStringLiteral("%1:%2").arg(int(r), 0, 16).arg(QLatin1String(name));
    };
    // Artwork is left out; the level display's label comes last.
    EXPECT_EQ(seen, QStringList({as(QAccessible::Button, "Help"), as(QAccessible::Button, "Minimize"),
                                 as(QAccessible::Button, "Close"), as(QAccessible::StaticText, "Elapsed time"),
                                 as(QAccessible::StaticText, "File size"), as(QAccessible::Button, "Schedule"),
                                 as(QAccessible::Button, "Recording source"), as(QAccessible::Button, "Settings"),
                                 as(QAccessible::Button, "Tag"), as(QAccessible::Button, "Record"),
                                 as(QAccessible::Button, "Pause"), as(QAccessible::Button, "Stop"),
                                 as(QAccessible::Button, "Play"), as(QAccessible::Button, "Add files"),
                                 as(QAccessible::Button, "Join list"), as(QAccessible::StaticText, "File name"),
                                 as(QAccessible::StaticText, "Format"), as(QAccessible::Slider, "Position"),
                                 as(QAccessible::StaticText, "level")}));

    // Found by place as well, in screen coordinates.
    const QPoint stop = main_->mapToGlobal(centreOf(element("stop")));
    EXPECT_EQ(win->childAt(stop.x(), stop.y()), named(QStringLiteral("Stop")));
    EXPECT_EQ(named(QStringLiteral("Stop"))->rect(), QRect(main_->mapToGlobal(areaOf(element("stop")).topLeft()),
                                                           areaOf(element("stop")).size()));
    const QPoint level = child->mapToGlobal(QPoint(5, 5));
    EXPECT_EQ(win->childAt(level.x(), level.y())->text(QAccessible::Name), QStringLiteral("level"));
    EXPECT_EQ(named(QStringLiteral("Pause"))->text(QAccessible::Description), QStringLiteral("Pause or resume"));
    EXPECT_EQ(named(QStringLiteral("Record"))->text(QAccessible::Accelerator), QStringLiteral("Ctrl+R"));
}

TEST_F(SkinAccessibleTest, TextsAreNamedByTheirLabelAndWhatTheyShowAfterTheProgramsCaption)
{
    const auto show = [&](const char* name, const QString& text) {
        element(name)->TextFacet()->SetElementText(text);
        element(name)->CommonFacet()->RedrawElement();
    };
    show("s_time", QStringLiteral("Time:00:01:05"));
    show("s_sizeson", QStringLiteral("File Size: 1 234 KB"));
    show("s_mono", QStringLiteral("stereo 16B 44100HZ"));
    EXPECT_NE(named(QStringLiteral("Elapsed time 00:01:05")), nullptr);
    EXPECT_NE(named(QStringLiteral("File size 1 234 KB")), nullptr);
    EXPECT_NE(named(QStringLiteral("Format stereo 16B 44100HZ")), nullptr);
    show("s_time", QString());
    EXPECT_TRUE(named(QStringLiteral("Elapsed time"))->state().readOnly);
}

TEST_F(SkinAccessibleTest, StatesFollowTheEnabledStateThePressAndTheFocus)
{
    main_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return main_->hasFocus(); }, 2000));
    QAccessibleInterface* stop = named(QStringLiteral("Stop"));
    EXPECT_FALSE(stop->state().disabled);
    EXPECT_TRUE(stop->state().focusable);
    element("stop")->CommonFacet()->SetElementEnabled(false);
    EXPECT_TRUE(stop->state().disabled);
    EXPECT_TRUE(stop->actionInterface()->actionNames().isEmpty());
    element("stop")->CommonFacet()->SetElementEnabled(true);

    const QPoint at = centreOf(element("stop"));
    QTest::mousePress(main_.get(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(stop->state().pressed);
    QTest::mouseRelease(main_.get(), Qt::LeftButton, {}, at);
    EXPECT_FALSE(stop->state().pressed);
    EXPECT_TRUE(stop->state().focused);
    EXPECT_EQ(window()->focusChild(), stop);
    QTest::keyClick(main_.get(), Qt::Key_Tab);
    EXPECT_FALSE(stop->state().focused);
    EXPECT_EQ(window()->focusChild(), named(QStringLiteral("Play")));
    EXPECT_FALSE(named(QStringLiteral("Format"))->state().focusable);
}

TEST_F(SkinAccessibleTest, ActionsPressAndMoveAsTheKeyboardDoes)
{
    QAccessibleInterface* record = named(QStringLiteral("Record"));
    ASSERT_NE(record->actionInterface(), nullptr);
    EXPECT_EQ(record->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
              QStringList{QStringLiteral("Ctrl+R")});
    record->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(log_.empty()) << "pressed inside the screen reader's call";
    QTest::qWait(1);
    QApplication::processEvents();
    EXPECT_EQ(log_, (Log{"down:recorder/button0", "window-press", "up:recorder/button0", "click:recorder",
                         "window-release"}));

    QAccessibleValueInterface* bar = named(QStringLiteral("Position"))->valueInterface();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximumValue().toInt(), 980);
    bar->setCurrentValue(700);
    QApplication::processEvents();
    EXPECT_EQ(positionAtRelease_, 700);
    EXPECT_EQ(bar->currentValue().toInt(), 700);
}

TEST_F(SkinAccessibleTest, ElementsComeAndGoWithTheFormAndAWindowAskedEarlyStillShowsThem)
{
    LoggingWindow early(log_);
    ASSERT_NE(QAccessible::queryAccessibleInterface(&early), nullptr);
    engine_.ApplyFormToWindow(&early, QStringLiteral("listwin"));
    EXPECT_NE(named(QStringLiteral("Join"), &early), nullptr);

    QAccessibleInterface* join = named(QStringLiteral("Join"), &early);
    const QAccessible::Id id = QAccessible::uniqueId(join);
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other.svg"));
    QFile f(other);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<svg xmlns='http://www.w3.org/2000/svg' xmlns:tamsel='urn:tamsel:skin'>"
            "<g id='listwin' tamsel:width='50' tamsel:height='50'>"
            "<g id='go' tamsel:kind='button'><rect id='go.normal' width='9' height='9'/></g></g></svg>");
    f.close();
    engine_.OpenSkinFile(other);
    engine_.ApplyFormToWindow(&early, QStringLiteral("listwin"));
    EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
    EXPECT_EQ(window(&early)->childCount(), 1);
    EXPECT_EQ(window(&early)->child(0)->text(QAccessible::Name), QStringLiteral("go"));
}

}  // namespace
