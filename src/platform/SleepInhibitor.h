#pragma once
// Keeping the computer from suspending while the program records, plays or
// joins: a laptop that sleeps mid-recording loses the rest of it. Only the
// program itself links the real one (LogindSleepInhibitor); tests use a
// recording replacement.

#include <QString>
#include <memory>

class SleepInhibitor {
public:
    // Keeps the computer awake for as long as it lives.
    class Hold {
    public:
        virtual ~Hold() = default;
    };

    virtual ~SleepInhibitor() = default;
    // Never fails and never asks the user: where nobody can be asked, the
    // hold keeps nothing awake. `why` is what the desktop shows as the reason.
    virtual std::unique_ptr<Hold> keepAwake(const QString& why) = 0;
};
