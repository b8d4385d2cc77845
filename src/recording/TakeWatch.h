#pragma once
// What happened to one take beyond its sound: the gaps where the input was
// missing, and how much longer the disk holds it. Pure bookkeeping, so the
// recording control stays readable and this stays testable.

#include <QString>
#include <QVector>
#include <cstdint>
#include <optional>

class TakeWatch {
public:
    // Below this the user is warned, once per take.
    static constexpr int64_t kWarnSeconds = 10 * 60;
    // Below this the take is completed before the disk fills.
    static constexpr int64_t kStopSeconds = 3;

    struct Gap {
        int64_t atMs;      // position in the file
        int64_t lengthMs;  // kept as silence
    };

    // A new take: `estimatedBytesPerSecond` until the file itself tells.
    void start(int64_t estimatedBytesPerSecond);
    void gap(int64_t atMs, int64_t lengthMs) { gaps_.push_back({atMs, lengthMs}); }
    const QVector<Gap>& gaps() const { return gaps_; }

    // Seconds of this take the free space still holds, from the file's own
    // growth once it has some, the estimate before.
    int64_t secondsLeft(int64_t freeBytes, int64_t fileBytes, int64_t recordedMs) const;
    // The warning to show, the first time too little is left (under ten
    // minutes, or less than `plannedSeconds` the take is planned to run);
    // empty otherwise.
    QString warning(int64_t secondsLeft, int64_t plannedSeconds = 0);

    // The message at the end of a take with gaps; empty without.
    QString endMessage(const QString& file) const;

private:
    int64_t estimate_ = 0;
    bool warned_ = false;
    QVector<Gap> gaps_;
};
