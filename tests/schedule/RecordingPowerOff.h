#pragma once
// A power-off that only counts its calls, runs a hook and may refuse: no test
// may switch the machine off.

#include "platform/Error.h"
#include "platform/PowerOff.h"

#include <functional>

class RecordingPowerOff : public PowerOff {
public:
    std::function<void()> onCall;
    bool refuse = false;
    int calls = 0;
    void powerOff() override
    {
        ++calls;
        if (onCall) onCall();
        if (refuse) throw TamselError("Powering off was refused.");
    }
};
