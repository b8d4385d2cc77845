#include "e2e/OutsideChecks.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstring>

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

std::vector<int16_t> shortSamples(const QString& file)
{
    QTemporaryDir dir;
    const QString raw = dir.filePath("samples.raw");
    testsupport::runPeer("sox", {file, "-t", "raw", "-e", "signed", "-b", "16", raw});
    const QByteArray bytes = bytesOf(raw);
    std::vector<int16_t> samples(size_t(bytes.size()) / sizeof(int16_t));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(int16_t));
    return samples;
}

std::vector<Stretch> silences(const QString& file, double minSeconds)
{
    const int rate = testsupport::probeAudioStream(file).value("sample_rate").toString().toInt();
    const int channels = testsupport::probeAudioStream(file).value("channels").toInt();
    if (rate <= 0 || channels <= 0) return {};
    const std::vector<int16_t> samples = shortSamples(file);

    const size_t step = size_t(rate / 100) * size_t(channels);
    const size_t least = size_t(std::ceil(minSeconds * 100));
    std::vector<Stretch> found;
    size_t run = 0;
    auto close = [&](size_t endStep) {
        if (run >= least) found.push_back({double(endStep - run) / 100, double(run) / 100});
        run = 0;
    };
    size_t n = 0;
    for (size_t at = 0; at + step <= samples.size(); at += step, ++n) {
        const auto [low, high] = std::minmax_element(samples.begin() + ptrdiff_t(at), samples.begin() + ptrdiff_t(at + step));
        if (std::max(-int(*low), int(*high)) <= 3)
            ++run;
        else
            close(n);
    }
    close(n);
    return found;
}

}  // namespace e2e
