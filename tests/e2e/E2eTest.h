#pragma once
// The fixture of the end-to-end cases: a fresh session per case, and the
// program's own output shown when a case fails.

#include "e2e/OutsideChecks.h"
#include "e2e/Session.h"

#include <QString>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>

// CD quality WAV: 44100 Hz, two channels, 16 bits.
inline constexpr int kCdBytesPerSecond = 44100 * 2 * 2;

class E2e : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Even idle, the program talks to the sound server; never let it reach
        // the user's own.
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("PULSE_SERVER"))
            << "PULSE_SERVER is not set. These cases run the real program against a private "
               "sound server: run them through scripts/test, or start one with "
               "scripts/pulse-private and export PULSE_SERVER.";
        session = std::make_unique<e2e::Session>();
    }

    void TearDown() override
    {
        if (HasFailure() && session)
            std::cerr << "--- the program printed:\n" << session->programOutput().toStdString() << "---\n";
        session.reset();
    }

    // "output" settings that send recordings and joins to folder.
    static QString outputTo(const QString& folder)
    {
        return QStringLiteral("[output]\npath=%1\ndir=%1\n").arg(folder);
    }

    // Starts the program with recordings going to the scratch folder `name`,
    // presses record over a playing tone and waits for a second of it; the
    // take's path, or empty when none grew.
    QString recordTone(const QString& name)
    {
        const QString folder = session->scratch(name);
        session->writeSettings(outputTo(folder));
        session->startTone();
        if (!session->start()) return {};
        session->click("mp3rec", "recorder");
        const QString take = e2e::waitForRecording(folder);
        return e2e::waitForBytes(take, kCdBytesPerSecond) ? take : QString();
    }

    std::unique_ptr<e2e::Session> session;
};

