#pragma once
// Inputs made by peer programs and checks of a joined file, shared by the
// join tests; and a skin whose list window has a join progress bar.

#include "components/TSkin.h"

#include <QString>
#include <vector>

namespace jointest {

// 16-bit WAV sine tones made by sox; encodedTone's codec follows name's
// extension (.mp3 LAME, .wma WMA v2, .ogg Vorbis) and is made by ffmpeg.
QString wavTone(const QString& dir, const QString& name, double hz, double seconds, int rate,
                int channels);
QString encodedTone(const QString& dir, const QString& name, double hz, double seconds);

struct WavFacts {
    QString codec;
    int sampleRate = 0, channels = 0;
    long long frames = 0;
};
// What ffprobe reads from a WAV file's header.
WavFacts probeWav(const QString& file);
// sox's rough frequency of the first channel of file from start, seconds long.
double pitchAt(const QString& file, double start, double seconds);

class ProgressBar : public ISkinObject, public ISkinCommon, public ISkinScrollBar {
public:
    std::vector<int> positions;  // every position set, in order
    int redraws = 0;
    QString ElementName() const override { return "join_progress"; }
    ISkinText* TextFacet() override { return nullptr; }
    ISkinCommon* CommonFacet() override { return this; }
    ISkinScrollBar* ScrollBarFacet() override { return this; }
    void SetElementEnabled(bool) override {}
    bool ElementEnabled() const override { return true; }
    void RedrawElement() override { ++redraws; }
    int BarPosition() const override { return positions.empty() ? 0 : positions.back(); }
    void SetBarPosition(int p) override { positions.push_back(p); }
};

// Every window it skins has the progress bar and nothing else.
class ProgressSkin : public TSkin, public ISkinnedWindow {
public:
    ProgressBar bar;
    void OpenSkinFile(const QString&) override {}
    void PrepareWindow(QWidget*) override {}
    void ApplyFormToWindow(QWidget*, const QString&) override {}
    ISkinnedWindow* SkinnedWindowOf(QWidget*) override { return this; }
    ISkinObject* ElementByName(const QString& name) override
    {
        return name == bar.ElementName() ? &bar : nullptr;
    }
};

}  // namespace jointest
