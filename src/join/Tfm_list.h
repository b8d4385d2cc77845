#pragma once
// The join list window: the ordered files to join, docked below the main
// window and skinned with the "listwin" form.

#include <QWidget>

class QTableWidget;
class TSkin;
struct AppState;

class Tfm_list : public QWidget {
    Q_OBJECT
public:
    // mainWindow is the window this one docks to.
    Tfm_list(AppState& state, TSkin& skin, QWidget* mainWindow);

    QTableWidget* lv;

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

private:
    AppState& state_;
    TSkin& skin_;
    QWidget* main_;
    bool listDragIdle_ = false;
    QPoint listDragOrigin_;
};
