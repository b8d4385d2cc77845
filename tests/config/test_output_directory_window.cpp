// The output directory window: it opens on the folder the settings window
// shows, Ok stores the chosen folder as "path" and in the settings window's
// box, New Folder makes one folder.

#include "config/SettingsFile.h"
#include "config/Tfm_dir.h"
#include "config/Tfm_set.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

class OutputDirectoryWindow : public ::testing::Test {
protected:
    OutputDirectoryWindow() : ini(tmp.filePath("tamsel.ini")), settings(ini)
    {
        QDir(tmp.path()).mkpath("music/live");
        dir.setSettings([this] { return &settings; });
        dir.setSettingsWindow(&set);
        set.ed_dir->setText("/before");
    }

    bool selectionLists(const QString& name) const
    {
        const auto* model = dir.ShellTreeView1->model();
        const QModelIndex index = dir.ShellTreeView1->currentIndex();
        if (!index.isValid()) return false;
        for (int row = 0; row < model->rowCount(index); ++row)
            if (model->index(row, 0, index).data().toString() == name) return true;
        return false;
    }

    QTemporaryDir tmp;
    QString ini;
    SettingsFile settings;
    Tfm_set set;
    Tfm_dir dir;
};

}  // namespace

TEST_F(OutputDirectoryWindow, OpensOnTheFolderTheSettingsWindowShowsInATreeFromTheRoot)
{
    const QString folder = tmp.filePath("music/live");
    set.ed_dir->setText(folder);
    dir.show();
    EXPECT_EQ(dir.selectedPath(), folder);
    EXPECT_FALSE(dir.folderChosen());
    EXPECT_TRUE(dir.selectFolder("/"));
    EXPECT_EQ(dir.selectedPath(), "/");
    EXPECT_FALSE(dir.selectFolder(tmp.filePath("missing")));
    EXPECT_FALSE(dir.selectFolder(ini)) << "files are not listed";

    // Shown again, it follows the box, not the last showing.
    dir.hide();
    set.ed_dir->setText(tmp.filePath("music"));
    dir.show();
    EXPECT_EQ(dir.selectedPath(), tmp.filePath("music"));
}

TEST_F(OutputDirectoryWindow, OkWithoutAChoiceChangesNothing)
{
    // The default folder before the first recording has made it.
    const QString notYetMade = tmp.filePath("music/My Recorder");
    set.ed_dir->setText(notYetMade);
    dir.show();
    EXPECT_EQ(dir.selectedPath(), tmp.filePath("music")) << "its nearest existing parent is shown";
    dir.btn_okClick();
    EXPECT_FALSE(dir.isVisible());
    EXPECT_EQ(set.ed_dir->text(), notYetMade);
    EXPECT_FALSE(QFile::exists(ini)) << "nothing is stored";

    // A click on the shown parent is a choice like any other.
    set.ed_dir->setText(tmp.filePath("music/live"));
    dir.show();
    const QModelIndex parent = dir.ShellTreeView1->currentIndex().parent();
    ASSERT_TRUE(parent.isValid());
    dir.ShellTreeView1->setCurrentIndex(parent);
    EXPECT_TRUE(dir.folderChosen());
    dir.btn_okClick();
    EXPECT_EQ(set.ed_dir->text(), tmp.filePath("music"));
    EXPECT_EQ(settings.readText("output", "path", "?"), tmp.filePath("music"));
}

TEST_F(OutputDirectoryWindow, OkWritesPathAndTheDirectoryBoxButNotDir)
{
    const QString folder = tmp.filePath("music/live");
    dir.show();
    ASSERT_TRUE(dir.selectFolder(folder));
    dir.btn_okClick();
    EXPECT_EQ(settings.readText("output", "path", "?"), folder);
    EXPECT_EQ(settings.readText("output", "dir", "unset"), "unset");
    EXPECT_EQ(set.ed_dir->text(), folder);
    EXPECT_FALSE(dir.isVisible());

    std::remove(ini.toUtf8().constData());
    dir.show();
    ASSERT_TRUE(dir.selectFolder(tmp.filePath("music")));
    dir.btn_cancelClick();
    EXPECT_FALSE(QFile::exists(ini)) << "Cancel writes nothing";
    EXPECT_EQ(set.ed_dir->text(), folder);
}

TEST_F(OutputDirectoryWindow, AFailedWriteKeepsTheBoxAndTheWindow)
{
    // A folder stands where the settings file should be: the write cannot succeed.
    SettingsFile broken(tmp.filePath("music/live"));
    dir.setSettings([&broken] { return &broken; });
    dir.show();
    ASSERT_TRUE(dir.selectFolder(tmp.filePath("music")));
    try {
        dir.btn_okClick();
        ADD_FAILURE() << "no error";
    } catch (const TamselError& e) {
        EXPECT_EQ(e.message(), u"Unable to write to tamsel.ini") << "the bare name, whatever the path";
    }
    EXPECT_EQ(set.ed_dir->text(), "/before");
    EXPECT_TRUE(dir.isVisible());
}

TEST_F(OutputDirectoryWindow, NewFolderTwiceMakesOneFolderListedUnderTheSelection)
{
    const QString parent = tmp.filePath("music");
    ASSERT_TRUE(dir.selectFolder(parent));
    dir.Button1Click();
    dir.Button1Click();
    QStringList made = QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    made.sort();
    EXPECT_EQ(made, (QStringList{"New Folder", "live"}));
    // Not selected: the selection stays on the parent.
    EXPECT_EQ(dir.selectedPath(), parent);
    QTRY_VERIFY_WITH_TIMEOUT(selectionLists("New Folder"), 5000);
}

TEST_F(OutputDirectoryWindow, NewFolderPathHasOneSeparator)
{
    EXPECT_EQ(Tfm_dir::newFolderPath("/"), "/New Folder");
    EXPECT_EQ(Tfm_dir::newFolderPath("/home/a/"), "/home/a/New Folder");
}
