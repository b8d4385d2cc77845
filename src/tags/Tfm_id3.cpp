#include "tags/Tfm_id3.h"

Tfm_id3::Tfm_id3(QWidget* parent) : QDialog(parent)
{
    setObjectName("fm_id3");
    setWindowTitle("ID3 info");
}
