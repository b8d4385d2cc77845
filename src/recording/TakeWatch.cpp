#include "recording/TakeWatch.h"

#include "platform/TimeText.h"

#include <algorithm>

void TakeWatch::start(int64_t estimatedBytesPerSecond)
{
    estimate_ = std::max<int64_t>(estimatedBytesPerSecond, 1);
    warned_ = false;
    gaps_.clear();
}

int64_t TakeWatch::secondsLeft(int64_t freeBytes, int64_t fileBytes, int64_t recordedMs) const
{
    // A few seconds in, the file's own rate counts (compressed formats vary).
    const int64_t rate = recordedMs >= 5000 && fileBytes > 0 ? std::max<int64_t>(fileBytes * 1000 / recordedMs, 1)
                                                             : estimate_;
    return std::max<int64_t>(freeBytes, 0) / rate;
}

QString TakeWatch::warning(int64_t secondsLeft, int64_t plannedSeconds)
{
    const bool tooShort = plannedSeconds > secondsLeft;
    if (warned_ || (secondsLeft >= kWarnSeconds && !tooShort)) return {};
    warned_ = true;
    const QString left = QStringLiteral("Disk space for %1 more").arg(timeTextFromSeconds(secondsLeft));
    return tooShort ? QStringLiteral("%1 of the %2 scheduled").arg(left, timeTextFromSeconds(plannedSeconds)) : left;
}

QString TakeWatch::endMessage(const QString& file) const
{
    if (gaps_.isEmpty()) return {};
    QStringList where;
    for (const Gap& g : gaps_) {
        // Short gaps (stalls) in tenths of a second, long ones as a time.
        const QString length = g.lengthMs < 60000 ? QStringLiteral("%1 s").arg(g.lengthMs / 1000.0, 0, 'f', 1)
                                                  : timeTextFromMs(g.lengthMs);
        where << QStringLiteral("at %1 for %2").arg(timeTextFromSeconds(g.atMs / 1000), length);
    }
    return QStringLiteral("The recording %1 was saved. Its input was missing %2, kept as silence: %3.")
        .arg(file, gaps_.size() == 1 ? QStringLiteral("once") : QStringLiteral("%1 times").arg(gaps_.size()),
             where.join(QStringLiteral("; ")));
}
