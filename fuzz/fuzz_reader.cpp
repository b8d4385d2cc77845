// The reader and the technical data over any bytes. The first byte picks the
// extension the file is named with (the tag library goes by it); the rest is
// the file.
//
//   fuzz_reader [libFuzzer options] [corpus folders]

#include "FuzzSupport.h"

#include "components/file/AudioFile.h"
#include "components/taglib/TagLibInformation.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <cstdlib>

namespace {

constexpr const char* kExtensions[] = {".wav", ".mp3", ".wma", ".ogg", ".flac", ".m4a", ".aiff",
                                       ".aac", ".opus", ".au",  ".mp2", ".ac3",  ".wv",  ".tta"};
constexpr int kExtensionCount = int(std::size(kExtensions));
// Enough to pass every decoding path; a header may claim hours.
constexpr int64_t kMaxFrames = 4'000'000;

void read(const QString& name)
{
    AudioFile file;
    try {
        file.OpenRead(name);
    } catch (const TamselError&) {
        return;
    }
    const int64_t length = file.Samples();
    if (file.SampleRate() <= 0 || file.Channels() <= 0 || length < 0) std::abort();
    try {
        int64_t frames = 0;
        for (Block b; frames < kMaxFrames && !(b = file.ReadArray(4096)).empty();) frames += b.frames();
        for (const int64_t at : {length / 2, length + 1, int64_t{-1}, int64_t{0}}) {
            const int64_t reached = file.Seek(at);
            if (reached < 0 || reached > file.Samples()) std::abort();
            file.ReadArray(1024);
        }
    } catch (const TamselError&) {
        // A damaged file may end in an error; it must be this one.
    }
}

void information(const QString& name)
{
    TagLibInformation info;
    try {
        info.ReadInfo(name);
    } catch (const TamselError&) {
        return;
    }
    if (info.infoChannels() < 0 || info.infoFrequency() < 0 || info.infoBitrate() < 0 || info.infoDuration() < 0
        || info.infoSamples() < 0)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const QString name = fuzz::asFile(data + 1, size - 1, kExtensions[data[0] % kExtensionCount]);
    read(name);
    information(name);
    return 0;
}
