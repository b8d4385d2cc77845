#include "ChildRun.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace bench {

namespace {

QString readAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
}

}  // namespace

ChildRun runChildProcess(const QString& program, const QStringList& args, const QString& scratch,
                         const QString& stdoutFile)
{
    const QDir dir(scratch);
    const QByteArray outPath = QFile::encodeName(stdoutFile.isEmpty() ? dir.filePath("child.out") : stdoutFile);
    const QByteArray errPath = QFile::encodeName(dir.filePath("child.err"));

    const QString resultPath = dir.filePath("child.result");
    QFile::remove(resultPath);
    std::vector<QByteArray> storage;
    storage.push_back(QByteArrayLiteral(BENCH_JOIN_LAUNCH));
    storage.push_back(QFile::encodeName(resultPath));
    storage.push_back(QFile::encodeName(program));
    for (const QString& a : args) storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : storage) argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    ChildRun r;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        r.errors = QStringLiteral("cannot start %1").arg(program);
        return r;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const QStringList figures = readAll(resultPath).split(' ');
    r.wallSeconds = figures.value(0).toDouble();
    r.cpuSeconds = figures.value(1).toDouble();
    r.peakKiB = figures.value(2).toLong();
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && figures.size() == 3;
    if (stdoutFile.isEmpty()) r.output = readAll(QString::fromLocal8Bit(outPath));
    r.errors = readAll(QString::fromLocal8Bit(errPath));
    return r;
}

}  // namespace bench
