#pragma once
// A power-off that only counts its calls, runs a hook and may refuse, asked
// beforehand or when it comes to it: no test may switch the machine off.

#include "platform/Error.h"
#include "platform/PowerOff.h"

#include <functional>

class RecordingPowerOff : public PowerOff {
public:
    std::function<void()> onCall;
    QString cannot;  // the reason canPowerOff gives; empty: it can
    bool refuse = false;
    int calls = 0;
    bool canPowerOff(QString& why) override
    {
        why = cannot;
        return cannot.isEmpty();
    }
    void powerOff() override
    {
        ++calls;
        if (onCall) onCall();
        if (refuse) throw TamselError("Powering off was refused.");
    }
};
