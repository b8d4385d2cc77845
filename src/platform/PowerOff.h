#pragma once
// Powering the computer off. Only the program itself links the real one
// (LogindPowerOff); tests use a recording replacement.

#include <QString>

class PowerOff {
public:
    virtual ~PowerOff() = default;
    // Raises TamselError when the system refuses.
    virtual void powerOff() = 0;
};
