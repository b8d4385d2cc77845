#pragma once
// Powering the computer off. Only the program itself links the real one
// (LogindPowerOff); tests use a recording replacement.

#include <QString>

class PowerOff {
public:
    virtual ~PowerOff() = default;
    // Whether powerOff() would go ahead now without asking anyone; when not,
    // `why` says so in words for the user.
    virtual bool canPowerOff(QString& why) = 0;
    // Raises TamselError when the system refuses.
    virtual void powerOff() = 0;
};
