// Qt's own file dialog with names holding quotes: a typed save name is
// taken whole, and a selection of several files is taken from the list.

#include "platform/FileDialog.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class QtFileDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"say \"hi\".wav", "a\"b.wav", "c.wav"}) {
            QFile f(tmp.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        QDir(tmp.path()).mkdir("sub");
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setDirectory(tmp.path());
    }

    QLineEdit* nameBox() { return dialog.findChild<QLineEdit*>("fileNameEdit"); }

    bool accepted()
    {
        QMetaObject::invokeMethod(&dialog, "accept");
        return dialog.result() == QDialog::Accepted;
    }

    QStringList chosen() const
    {
        QStringList files;
        for (const QUrl& url : dialog.chosenUrls()) files << url.toLocalFile();
        return files;
    }

    QTemporaryDir tmp;
    FileDialog dialog;
};

}  // namespace

TEST_F(QtFileDialog, ATypedSaveNameWithQuotesIsTakenWhole)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.show();
    ASSERT_NE(nameBox(), nullptr);
    nameBox()->setText("the \"live\" take.wav");
    ASSERT_TRUE(accepted());
    EXPECT_EQ(chosen(), QStringList{tmp.filePath("the \"live\" take.wav")});

    // Relative to the shown folder, and into a folder typed before it.
    dialog.setResult(0);
    dialog.show();
    nameBox()->setText("sub/\"quoted\"");
    ASSERT_TRUE(accepted());
    EXPECT_EQ(chosen(), QStringList{tmp.filePath("sub/\"quoted\"")});
}

TEST_F(QtFileDialog, ATypedFolderIsOpenedNotChosen)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.show();
    nameBox()->setText("sub");
    EXPECT_FALSE(accepted());
    EXPECT_EQ(dialog.directory().absolutePath(), tmp.filePath("sub"));
}

TEST_F(QtFileDialog, SeveralSelectedFilesAreTakenWhateverTheirNames)
{
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.show();
    auto* list = dialog.findChild<QAbstractItemView*>("listView");
    auto* open = dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open);
    ASSERT_NE(list, nullptr);
    QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(list->rootIndex()), 4, 5000);
    for (int row = 0; row < 4; ++row) {
        const QModelIndex index = list->model()->index(row, 0, list->rootIndex());
        if (index.data().toString().contains('"'))
            list->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // The box shows the selection as Qt writes it; Qt itself reads "say ",
    // ".wav" and "a" back and drops both files from the selection, so its
    // own Open finds nothing to open.
    nameBox()->setText("\"say \"hi\".wav\" \"a\"b.wav\"");
    EXPECT_TRUE(open->isEnabled());
    ASSERT_TRUE(accepted());
    EXPECT_EQ(chosen(), QStringList({tmp.filePath("say \"hi\".wav"), tmp.filePath("a\"b.wav")}));
}

TEST_F(QtFileDialog, OneNameHoldingQuotesOpensAsItIs)
{
    QFile f(tmp.filePath("\"x\" \"y\""));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.show();
    nameBox()->setText("\"x\" \"y\"");
    ASSERT_TRUE(accepted());
    EXPECT_EQ(chosen(), QStringList{tmp.filePath("\"x\" \"y\"")});
}

TEST(FileDialogNames, TheBoxIsReadAsQtWritesASelection)
{
    EXPECT_EQ(FileDialog::namesInBox("\"a\"b.wav\" \"c.wav\""), QStringList({"a\"b.wav", "c.wav"}));
    EXPECT_EQ(FileDialog::namesInBox("say \"hi\".wav"), QStringList{"say \"hi\".wav"});
    EXPECT_EQ(FileDialog::namesInBox("\"quoted\""), QStringList{"\"quoted\""});
    EXPECT_EQ(FileDialog::namesInBox("\""), QStringList{"\""});
}
