#pragma once
// The join list window: the ordered files to join, docked below the main
// window and skinned with the "listwin" form.

#include <QWidget>

class Dialogs;
class QTableWidget;
class TAudioFile2;
class TSkin;
struct AppState;

class Tfm_list : public QWidget {
    Q_OBJECT
public:
    // mainWindow is the window this one docks to.
    Tfm_list(AppState& state, TSkin& skin, QWidget* mainWindow);

    QTableWidget* lv;

    // The reader that measures each added file and the dialogs that choose
    // files and report failures; both are needed before AddFiles.
    void setAudio(TAudioFile2* reader, Dialogs* dialogs);

    void AddFiles();
    void RemoveSelected();
    void MoveUp();
    void MoveDown();
    void lvClick();
    // The same operations under their button names.
    void btn_addClick() { AddFiles(); }
    void btn_removeClick() { RemoveSelected(); }
    void btn_upClick() { MoveUp(); }
    void btn_downClick() { MoveDown(); }

    int count() const;
    QString entryPath(int row) const;
    // The first selected entry, or -1.
    int selectedIndex() const;
    // Clears the selection and selects that entry.
    void selectOnly(int row);

    // Skins the window, places it under the main window and shows it.
    void FormShow();

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
    void setSelected(int row, bool selected);
    void swapEntries(int a, int b);

    AppState& state_;
    TSkin& skin_;
    QWidget* main_;
    bool listDragIdle_ = false;
    QPoint listDragOrigin_;
    TAudioFile2* reader_ = nullptr;
    Dialogs* dialogs_ = nullptr;
    int rememberedIndex_ = 0;
};
