#include "config/Tfm_dir.h"

Tfm_dir::Tfm_dir(QWidget* parent) : QDialog(parent)
{
    setObjectName("fm_dir");
    setWindowTitle("Output Directory");
}
