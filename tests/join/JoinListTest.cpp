// The join list's editing operations over a fake reader and dialogs. The
// recorded file the stop adds is CommandWiring's, through the real recording.

#include "app/Activity.h"
#include "platform/Docking.h"
#include "fakes/FakeComponents.h"
#include "fakes/FakeSkin.h"
#include "join/Tfm_list.h"

#include <QItemSelectionModel>
#include <QTableWidget>
#include <QTest>
#include <QWidget>
#include <array>
#include <gtest/gtest.h>

namespace {

struct JoinList : ::testing::Test {
    ActivityState activity;
    // Each kind of work, as its owner would run it.
    std::array<ActivityState::Handle, 3> owners{activity.claim(ActivityOwner::Recording),
                                                activity.claim(ActivityOwner::Playback),
                                                activity.claim(ActivityOwner::Join)};
    ActivityState::Handle& player = owners[1];
    WindowDrag drag;
    NoSkin skin;
    QWidget mainWindow;
    FakeAudioFile reader;
    FakeDialogs dialogs;
    Tfm_list list{activity, drag, skin, &mainWindow};

    JoinList() { list.setAudio(&reader, &dialogs); }

    void add(const QStringList& files)
    {
        dialogs.filesToOpen = files;
        list.AddFiles();
    }
    QStringList paths() const
    {
        QStringList out;
        for (int i = 0; i < list.count(); ++i) out << list.entryPath(i);
        return out;
    }
    QString name(int row) const { return list.lv->item(row, 0)->text(); }
    QString time(int row) const { return list.lv->item(row, 1)->text(); }
    std::vector<int> selected() const
    {
        std::vector<int> rows;
        for (int i = 0; i < list.count(); ++i)
            if (list.lv->selectionModel()->isRowSelected(i, QModelIndex())) rows.push_back(i);
        return rows;
    }
    void select(std::initializer_list<int> rows)
    {
        list.lv->clearSelection();
        for (int r : rows)
            list.lv->selectionModel()->select(list.lv->model()->index(r, 0),
                                              QItemSelectionModel::Select
                                                  | QItemSelectionModel::Rows);
    }
};

}  // namespace

TEST_F(JoinList, AddsChosenFilesWithNameTimeAndPathAndSelectsTheFirstAdded)
{
    owners[0].set(Activity::RecordingPaused);
    add({"/m/a.wav"});
    owners[0].finish();
    player.set(Activity::Playing);
    add({"/m/a.wav"});
    player.finish();
    add({});  // cancelled
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(reader.calls.isEmpty());

    reader.durations["/m/a.wav"] = 3723999;  // 1 h 2 min 3.999 s
    reader.durations["/m/b.mp3"] = 360000000;
    add({"/m/x.ogg"});
    add({"/m/a.wav", "/m/b.mp3"});

    EXPECT_EQ(paths(), QStringList({"/m/x.ogg", "/m/a.wav", "/m/b.mp3"}));
    EXPECT_EQ(name(1), "a.wav");
    EXPECT_EQ(time(0), "00:00:00");
    EXPECT_EQ(time(1), "01:02:03");
    EXPECT_EQ(time(2), "100:00:00");
    EXPECT_EQ(selected(), std::vector<int>{1});
    // Every file is closed again after it was measured.
    EXPECT_EQ(reader.calls.count("CloseFile"), 3);
    EXPECT_FALSE(reader.open);
}

TEST_F(JoinList, AnUnreadableFileIsReportedAndTheOthersAreStillAdded)
{
    reader.unreadable << "/m/bad.wma";
    add({"/m/a.wav", "/m/bad.wma", "/m/c.wav"});

    EXPECT_EQ(paths(), QStringList({"/m/a.wav", "/m/c.wav"}));
    EXPECT_EQ(dialogs.shown, QStringList{"Read /m/bad.wma error!!"});
    EXPECT_EQ(selected(), std::vector<int>{0});
}

TEST_F(JoinList, RemovesEverySelectedEntryButNotWhileRecordingPlayingOrJoining)
{
    add({"/m/0", "/m/1", "/m/2", "/m/3", "/m/4"});
    select({1, 2, 4});
    for (const Activity busy : {Activity::RecordingPaused, Activity::Playing, Activity::Joining}) {
        ActivityState::Handle& owner = owners[std::size_t(ActivityState::ownerOf(busy))];
        owner.set(busy);
        list.RemoveSelected();
        owner.finish();
        EXPECT_EQ(list.count(), 5);
    }
    list.RemoveSelected();
    EXPECT_EQ(paths(), QStringList({"/m/0", "/m/3"}));

    list.lv->clearSelection();
    list.RemoveSelected();
    EXPECT_EQ(list.count(), 2);
}

TEST_F(JoinList, MovesCarryTheFirstSelectedEntryWithItsSelection)
{
    add({"/m/0", "/m/1", "/m/2", "/m/3"});
    select({1, 3});
    list.MoveUp();
    EXPECT_EQ(paths(), QStringList({"/m/1", "/m/0", "/m/2", "/m/3"}));
    EXPECT_EQ(name(0), "1");
    EXPECT_EQ(selected(), std::vector<int>({0, 3}));

    list.MoveUp();  // already first
    EXPECT_EQ(paths(), QStringList({"/m/1", "/m/0", "/m/2", "/m/3"}));

    list.MoveDown();
    list.MoveDown();
    EXPECT_EQ(paths(), QStringList({"/m/0", "/m/2", "/m/1", "/m/3"}));
    EXPECT_EQ(selected(), std::vector<int>({2, 3}));

    // The entry below is selected too: both keep their selection.
    list.MoveDown();
    EXPECT_EQ(paths(), QStringList({"/m/0", "/m/2", "/m/3", "/m/1"}));
    EXPECT_EQ(selected(), std::vector<int>({2, 3}));

    // Refused at the end, without a selection and while joining.
    const QStringList end = paths();
    select({3});
    list.MoveDown();
    list.lv->clearSelection();
    list.MoveUp();
    list.MoveDown();
    select({1});
    owners[2].set(Activity::Joining);
    list.MoveUp();
    list.MoveDown();
    EXPECT_EQ(paths(), end);
}

TEST_F(JoinList, AClickNeverLeavesTheListWithoutASelection)
{
    add({"/m/0", "/m/1", "/m/2", "/m/3"});
    select({3});
    list.lvClick();
    list.RemoveSelected();  // the remembered entry is gone
    list.lvClick();
    EXPECT_EQ(selected(), std::vector<int>{2});

    // While playing the click leaves the selection alone.
    list.lv->clearSelection();
    player.set(Activity::PlaybackPaused);
    list.lvClick();
    EXPECT_TRUE(selected().empty());
    player.finish();

    // Through the mouse: a click on empty space reselects the entry clicked before.
    list.show();
    QWidget* view = list.lv->viewport();
    const QPoint onSecond = list.lv->visualRect(list.lv->model()->index(1, 0)).center();
    QTest::mouseClick(view, Qt::LeftButton, {}, onSecond);
    QCoreApplication::processEvents();
    ASSERT_EQ(selected(), std::vector<int>{1});
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(onSecond.x(), view->height() - 2));
    QCoreApplication::processEvents();
    EXPECT_EQ(selected(), std::vector<int>{1});
}
