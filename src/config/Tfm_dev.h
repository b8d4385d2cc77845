#pragma once
// Recording source window: the capture device, its input line and volume.
// The line and volume go straight to the capture component; the line chosen is
// the program's own (settings "rd"/"line"), kept by Ok and undone by Cancel.

#include "config/RecordingSourceHelp.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class SettingsFile;
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
    // Reads the stored line and hands it to the capture component.
    void useSettings(SettingsFile* settings);
    // Lists the capture component's lines, the one it records selected.
    void fillLines();

    void cb_rdsonChange(int position);
    void tb_rdChange(int position);
    void dev_bt_okClick();
    void dev_bt_canClick();
    void dev_bt_helpClick();
    void Button4Click();
    void bt_nexClick();
    void bt_preClick();

private:
    void showEvent(QShowEvent* event) override;

    TAudioRecord2* record_;
    SettingsFile* settings_ = nullptr;
    QString chosen_;     // the source handed to the capture component
    QString shownWith_;  // the one it had when the window was shown
    RecordingSourceHelp help_;
};
