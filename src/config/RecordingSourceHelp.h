#pragma once
// The four help texts on recording set-ups, shown by the recording source
// window and by the settings window's recording source page.

#include <QStringList>

class QLabel;

// Each text is one string with its lines joined by "\n".
const QStringList& recordingSourceHelpTexts();

// Pages through the texts on one label; Preview and Next wrap around.
class RecordingSourceHelp {
public:
    void attach(QLabel* label);
    void next() { show(index_ + 1); }
    void previous() { show(index_ - 1); }
    int index() const { return index_; }

private:
    void show(int index);

    QLabel* label_ = nullptr;
    int index_ = 0;
};
