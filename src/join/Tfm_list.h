#pragma once
// The join list window: the ordered files to join, docked below the main
// window and skinned with the "listwin" form.

#include <QWidget>

class ActivityState;
class Dialogs;
class QTableWidget;
class TAudioFile2;
class TSkin;
class WindowDrag;

class Tfm_list : public QWidget {
    Q_OBJECT
public:
    // mainWindow is the window this one docks to; drag is what the pointer
    // does to the two windows, shared with it.
    Tfm_list(const ActivityState& activity, WindowDrag& drag, TSkin& skin, QWidget* mainWindow);

    QTableWidget* lv;

    // The reader that measures each added file and the dialogs that choose
    // files and report failures; both are needed before AddFiles.
    void setAudio(TAudioFile2* reader, Dialogs* dialogs);

    // Files the user chooses in the open dialog.
    void AddFiles();
    // A finished recording; it becomes the selected entry.
    void AddRecordedFile(const QString& path);
    void RemoveSelected();
    void MoveUp();
    void MoveDown();
    void lvClick();

    int count() const;
    QString entryPath(int row) const;
    // The first selected entry, or -1.
    int selectedIndex() const;
    // Clears the selection and selects that entry.
    void selectOnly(int row);

    // Skins the window, places it under the main window and shows it.
    void FormShow();
    // Shown by FormShow and not closed since.
    bool shown() const { return shown_; }

    void FormMouseDown(QPoint pos);
    void FormMouseMove(QPoint pos);
    void FormMouseUp();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Measures one file and appends it; raises when it cannot be read.
    void appendFile(const QString& path);
    // Appends each file, telling the user of those that cannot be read; false
    // when none could.
    bool appendFiles(const QStringList& paths);
    void setSelected(int row, bool selected);
    void swapEntries(int a, int b);

    const ActivityState& activity_;
    WindowDrag& drag_;
    TSkin& skin_;
    QWidget* main_;
    bool shown_ = false;
    TAudioFile2* reader_ = nullptr;
    Dialogs* dialogs_ = nullptr;
    int rememberedIndex_ = 0;
};
