#pragma once
// Asks systemd-logind to power off, without asking the user again.

#include "platform/PowerOff.h"

class LogindPowerOff : public PowerOff {
public:
    bool canPowerOff(QString& why) override;
    void powerOff() override;
};
