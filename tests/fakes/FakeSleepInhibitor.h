#pragma once
// A sleep inhibitor that keeps the reasons of the holds alive now.

#include "platform/SleepInhibitor.h"

#include <QStringList>

class FakeSleepInhibitor : public SleepInhibitor {
public:
    QStringList held;

    std::unique_ptr<Hold> keepAwake(const QString& why) override
    {
        held << why;
        return std::make_unique<FakeHold>(held, why);
    }

private:
    class FakeHold : public Hold {
    public:
        FakeHold(QStringList& held, QString why) : held_(held), why_(std::move(why)) {}
        ~FakeHold() override { held_.removeOne(why_); }

    private:
        QStringList& held_;
        QString why_;
    };
};
