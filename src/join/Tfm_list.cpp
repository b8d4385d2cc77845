#include "join/Tfm_list.h"

#include "app/AppState.h"
#include "app/Docking.h"
#include "components/TSkin.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTableWidget>

Tfm_list::Tfm_list(AppState& state, TSkin& skin, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                           | Qt::WindowCloseButtonHint),
      state_(state), skin_(skin), main_(mainWindow)
{
    setObjectName("fm_list");
    setWindowTitle("List");
    setFixedSize(475, 180);

    lv = new QTableWidget(0, 2, this);
    lv->setObjectName("lv");
    lv->setGeometry(35, 34, 427, 122);
    lv->setHorizontalHeaderLabels({"File Name:", "Time:"});
    lv->setColumnWidth(0, 336);
    lv->setColumnWidth(1, 91);
    lv->verticalHeader()->hide();
    lv->horizontalHeader()->setSectionsClickable(false);
    lv->horizontalHeader()->setHighlightSections(false);
    lv->horizontalHeader()->setStretchLastSection(true);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv->setShowGrid(true);
    lv->setFrameShape(QFrame::NoFrame);
    lv->setWordWrap(false);
    lv->verticalHeader()->setDefaultSectionSize(18);
    QPalette pal = lv->palette();
    pal.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
    lv->setPalette(pal);
}

void Tfm_list::FormShow()
{
    skin_.PrepareWindow(this);
    skin_.ApplyFormToWindow(this, "listwin");
    move(main_->x(), main_->y() + main_->height());
    show();
    state_.listWindowShown = true;
}

void Tfm_list::closeEvent(QCloseEvent* event)
{
    state_.listWindowShown = false;
    event->accept();
}

void Tfm_list::FormMouseDown(QPoint pos)
{
    if (state_.pressOnElement) {
        listDragIdle_ = true;
    } else {
        listDragIdle_ = false;
        listDragOrigin_ = pos;
    }
}

void Tfm_list::FormMouseMove(QPoint pos)
{
    if (listDragIdle_ || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) return;
    // The shared press flag stands for "docked" while the list window moves.
    const auto r = dragListWindow(main_->frameGeometry(), frameGeometry(), pos, listDragOrigin_,
                                  state_.pressOnElement);
    state_.pressOnElement = r.docked;
    if (r.listPos != QWidget::pos()) move(r.listPos);
}

void Tfm_list::FormMouseUp()
{
    listDragIdle_ = true;
    state_.pressOnElement = false;
    state_.noWindowDrag = true;
}

void Tfm_list::mousePressEvent(QMouseEvent* event) { FormMouseDown(event->position().toPoint()); }
void Tfm_list::mouseMoveEvent(QMouseEvent* event) { FormMouseMove(event->position().toPoint()); }
void Tfm_list::mouseReleaseEvent(QMouseEvent*) { FormMouseUp(); }
