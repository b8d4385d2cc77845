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
#include "platform/Error.h"
#include "platform/FileName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

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
    // The run completes its output before it ends.
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    std::signal(SIGHUP, requestStop);

#ifdef TAMSEL_JOIN_DECODES
    AudioFile reader;
#else
    AudioFile reader(nullptr);
#endif
    AudioFile writer(nullptr);
    JoinCommand command{reader, writer};
    command.stop = &stopRequested;
    command.terminal = isatty(STDERR_FILENO) == 1;
#ifndef TAMSEL_JOIN_DECODES
    command.needsDecoding = [argv] { runDecoder(argv); };
#endif
    // Not QCoreApplication::arguments(): it turns bytes of a name that are
    // not UTF-8 into U+FFFD, which names no file.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << filename::decode(argv[i]);
    return command.run(arguments);
}
