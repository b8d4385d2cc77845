// tamsel-split: splits an audio file at its silences into pieces, with the
// program's own reader, cutter and writer.

#include "components/file/AudioFile.h"
#include "components/file/AudioReader.h"
#include "components/taglib/TagLibInformation.h"
#include "platform/CommandLineTool.h"
#include "split/SplitCommand.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    app.setApplicationName("tamsel-split");
    app.setApplicationVersion(QStringLiteral(TAMSEL_VERSION));

    AudioFile reader;
    AudioFile writer(nullptr);
    TagLibInformation tags;
    SplitCommand command{reader, writer, tags};
    // The run completes the piece it is writing before it ends.
    command.stop = cli::stopOnSignals();
    command.terminal = cli::errorIsTerminal();
    return command.run(cli::arguments(argc, argv));
}
