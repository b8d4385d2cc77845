#pragma once
// The four help texts on recording set-ups, shown by the recording source
// window and by the settings window's recording source page.

#include <QStringList>

// Each text is one string with its lines joined by "\n".
const QStringList& recordingSourceHelpTexts();
