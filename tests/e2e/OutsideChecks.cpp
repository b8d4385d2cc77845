#include "e2e/OutsideChecks.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

namespace e2e {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QThread::msleep(stepMs);
    }
    return true;
}

qint64 sizeOf(const QString& file) { return QFileInfo(file).size(); }

QByteArray bytesOf(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString waitForRecording(const QString& folder)
{
    QString take;
    waitUntil(
        [&] {
            const QStringList files = QDir(folder).entryList({"*.wav"}, QDir::Files);
            if (files.size() == 1) take = QDir(folder).filePath(files.first());
            return !take.isEmpty();
        },
        30000);
    return take;
}

bool waitForBytes(const QString& file, qint64 bytes)
{
    return waitUntil([&] { return sizeOf(file) > bytes; }, 30000);
}

double durationOf(const QString& file)
{
    bool ok = false;
    const double d = testsupport::probe(file).value("format").toObject().value("duration").toString().toDouble(&ok);
    return ok ? d : -1;
}

qint64 waitForSteadySize(const QString& file, int quietMs, int timeoutMs)
{
    qint64 last = -2;
    QElapsedTimer clock, quiet;
    clock.start();
    quiet.start();
    while (clock.elapsed() < timeoutMs) {
        const QFileInfo info(file);
        const qint64 size = info.exists() ? info.size() : -1;
        if (size != last) {
            last = size;
            quiet.restart();
        } else if (size >= 0 && quiet.elapsed() >= quietMs) {
            return size;
        }
        QThread::msleep(100);
    }
    return -1;
}

double pitchAfterSilence(const QString& file)
{
    QTemporaryDir dir;
    const QString part = dir.filePath("sound.wav");
    testsupport::runPeer("sox", {file, part, "silence", "1", "0.01", "1%", "remix", "1"});
    return testsupport::soxStat(part, "Rough   frequency");
}

}  // namespace e2e
