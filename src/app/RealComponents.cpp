#include "app/RealComponents.h"

#include "components/file/AudioFile.h"
#include "components/kissfft/SpectrumDisplay.h"
#include "components/pulse/PulsePlayer.h"
#include "components/pulse/PulseRecorder.h"
#include "components/skin/SvgSkin.h"
#include "components/taglib/TagLibInformation.h"
#include "platform/DesktopNotifier.h"

MainComponents makeRealComponents()
{
    MainComponents c;
    c.Skin1 = std::make_unique<SvgSkin>();
    c.AudioRecord1 = std::make_unique<PulseRecorder>();
    c.AudioFileWrite = std::make_unique<AudioFile>();
    c.AudioFilepaly = std::make_unique<AudioFile>();
    c.AudioPlayer21 = std::make_unique<PulsePlayer>();
    c.AudioInformation21 = std::make_unique<TagLibInformation>();
    c.AudioVisualization21 = new SpectrumDisplay();
    c.notifier = makeDesktopNotifier();
    return c;
}
