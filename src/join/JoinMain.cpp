// tamsel-join: joins audio files into one WAV, FLAC, Opus or MP3 file with
// the program's own reader and writer.
//
// Built twice. tamsel-join itself links no decoder, so a join that copies
// same-format WAV files as bytes never loads FFmpeg (about 45 ms of its
// start); when an input must be decoded it hands the whole run, before
// writing anything, to tamsel-join-decode (built with TAMSEL_JOIN_DECODES),
// found beside it or in ../libexec/tamsel.

#include "components/file/AudioFile.h"
#include "components/file/AudioReader.h"
#include "join/JoinCommand.h"
#include "platform/CommandLineTool.h"
#include "platform/Error.h"
#include "platform/FileName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

#ifndef TAMSEL_JOIN_DECODES
constexpr char kDecoder[] = "tamsel-join-decode";

// Replaces this process by the decoding joiner, with the same arguments.
[[noreturn]] void runDecoder(char** argv)
{
    const QDir here(QCoreApplication::applicationDirPath());
    QString tried;
    for (const QString& path : {here.filePath(kDecoder), here.filePath(QStringLiteral("../libexec/tamsel/") + kDecoder)}) {
        if (!QFileInfo(path).isExecutable()) continue;
        ::execv(filename::encode(path).constData(), argv);
        tried = path + ": " + QString::fromLocal8Bit(std::strerror(errno));
    }
    throw TamselError(QStringLiteral("cannot decode the inputs: %1")
                          .arg(tried.isEmpty() ? QStringLiteral("%1 is not installed beside tamsel-join").arg(kDecoder)
                                               : tried));
}
#endif

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    app.setApplicationName("tamsel-join");
    app.setApplicationVersion(QStringLiteral(TAMSEL_VERSION));

#ifdef TAMSEL_JOIN_DECODES
    AudioFile reader;
#else
    AudioFile reader(nullptr);
#endif
    AudioFile writer(nullptr);
    JoinCommand command{reader, writer};
    // The run completes its output before it ends.
    command.stop = cli::stopOnSignals();
    command.terminal = cli::errorIsTerminal();
#ifndef TAMSEL_JOIN_DECODES
    command.needsDecoding = [argv] { runDecoder(argv); };
#endif
    return command.run(cli::arguments(argc, argv));
}
