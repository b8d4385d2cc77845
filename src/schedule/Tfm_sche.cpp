#include "schedule/Tfm_sche.h"

Tfm_sche::Tfm_sche(QWidget* parent) : QDialog(parent)
{
    setObjectName("fm_sche");
    setWindowTitle("Schedule Settings");
}
