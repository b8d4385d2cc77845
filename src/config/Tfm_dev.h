#pragma once
// Recording source window: the capture device, its input line and volume.
// Every change goes straight to the capture component; nothing is stored.

#include "config/RecordingSourceHelp.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class TAudioRecord2;

class Tfm_dev : public QDialog {
    Q_OBJECT
public:
    Tfm_dev(TAudioRecord2* record, QWidget* parent = nullptr);

    // The slider's right end. The line volume's scale runs to 65536 (100 %);
    // the slider's range ends a little above it, as users of the program have
    // always had it, and the capture component holds what it sends to its scale.
    static constexpr int kVolumeMax = 66535;

    QComboBox* cb_rd;
    QComboBox* cb_rdson;
    QSlider* tb_rd;
    QPushButton* dev_bt_ok;
    QPushButton* dev_bt_can;
    QPushButton* dev_bt_help;
    QGroupBox* gb_help;
    QPushButton* bt_pre;
    QPushButton* bt_nex;
    QPushButton* Button4;
    QLabel* lab_help;

    int visibleHelpText() const { return help_.index(); }

    // Shows a line's volume on the slider, held within its range, without
    // sending it back: only the user's own moves set the volume, so showing
    // keeps a boost beyond the slider's end.
    void showVolume(int volume);

    void cb_rdsonChange(int position);
    void tb_rdChange(int position);
    void dev_bt_okClick();
    void dev_bt_canClick();
    void dev_bt_helpClick();
    void Button4Click();
    void bt_nexClick();
    void bt_preClick();

private:

    TAudioRecord2* record_;
    RecordingSourceHelp help_;
};
