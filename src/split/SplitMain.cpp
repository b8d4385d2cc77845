// tamsel-split: splits an audio file at its silences into pieces, with the
// program's own reader, cutter and writer.

#include "components/file/AudioFile.h"
#include "components/file/AudioReader.h"
#include "components/taglib/TagLibInformation.h"
#include "platform/FileName.h"
#include "split/SplitCommand.h"

#include <QCoreApplication>

#include <csignal>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    app.setApplicationName("tamsel-split");
    app.setApplicationVersion(QStringLiteral(TAMSEL_VERSION));
    // The run completes the piece it is writing before it ends.
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGHUP, requestStop);

    AudioFile reader;
    AudioFile writer(nullptr);
    TagLibInformation tags;
    SplitCommand command{reader, writer, tags};
    command.stop = &stopRequested;
    command.terminal = isatty(STDERR_FILENO) == 1;
    // Not QCoreApplication::arguments(): it turns bytes of a name that are
    // not UTF-8 into U+FFFD, which names no file.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << filename::decode(argv[i]);
    return command.run(arguments);
}
