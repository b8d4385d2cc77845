// The output directory window: Ok stores the chosen folder as "path" and in
// the settings window's box, New Folder makes one folder.

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

TEST_F(OutputDirectoryWindow, OpensAtHomeInATreeFromTheRoot)
{
    EXPECT_EQ(dir.selectedPath(), QDir::homePath());
    EXPECT_TRUE(dir.selectFolder("/"));
    EXPECT_EQ(dir.selectedPath(), "/");
    EXPECT_FALSE(dir.selectFolder(tmp.filePath("missing")));
    EXPECT_FALSE(dir.selectFolder(ini)) << "files are not listed";
}

TEST_F(OutputDirectoryWindow, OkWritesPathAndTheDirectoryBoxButNotDir)
{
    const QString folder = tmp.filePath("music/live");
    ASSERT_TRUE(dir.selectFolder(folder));
    dir.show();
    dir.btn_okClick();
    EXPECT_EQ(settings.readText("output", "path", "?"), folder);
    EXPECT_EQ(settings.readText("output", "dir", "unset"), "unset");
    EXPECT_EQ(set.ed_dir->text(), folder);
    EXPECT_FALSE(dir.isVisible());

    std::remove(ini.toUtf8().constData());
    dir.show();
    dir.btn_cancelClick();
    EXPECT_FALSE(QFile::exists(ini)) << "Cancel writes nothing";
}

TEST_F(OutputDirectoryWindow, AFailedWriteKeepsTheBoxAndTheWindow)
{
    ASSERT_TRUE(dir.selectFolder(tmp.filePath("music")));
    // A folder stands where the settings file should be: the write cannot succeed.
    SettingsFile broken(tmp.filePath("music/live"));
    dir.setSettings([&broken] { return &broken; });
    dir.show();
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
