// Desktop notifications over D-Bus against a mock notification service on a
// private session bus: what arrives, that a slow service never holds up the
// caller, and that without a service nothing fails and nothing is printed.

#include "platform/DesktopNotifier.h"
#include "platform/MockNotifications.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Holds what a test's message handler sees; nothing may be printed.
QStringList printed;
void keepMessage(QtMsgType, const QMessageLogContext&, const QString& message) { printed << message; }

// Calls on one connection are answered in order: once the bus answers a
// ping, every earlier call's answer (or refusal) has been handled.
void settle(const QDBusConnection& bus)
{
    bus.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                            "org.freedesktop.DBus.Peer", "Ping"));
    QCoreApplication::processEvents();
}

}  // namespace

// Each notice arrives as Tamsel's, and a service that stops answering holds
// nothing up: what was sent meanwhile arrives once it answers again.
TEST(DesktopNotifier, TheNoticeArrivesAsTamselsAndASlowServiceHoldsNothingUp)
{
    MockNotifications service;
    ASSERT_TRUE(service.failure().isEmpty()) << service.failure().toStdString();
    auto notifier = makeDesktopNotifier(service.bus());

    notifier->notify("The input is silent", "The input has been silent for 00:00:30. The recording goes on.");
    notifier->notify("The recording gets no audio", "No audio from the sound server for 00:00:02.");
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.notices().size() == 2; }, 10000));
    const MockNotifications::Notice first = service.notices().first();
    EXPECT_EQ(first.appName, "Tamsel");
    EXPECT_EQ(first.icon, "tamsel");
    EXPECT_EQ(first.summary, "The input is silent");
    EXPECT_EQ(first.body, "The input has been silent for 00:00:30. The recording goes on.");
    EXPECT_EQ(first.replacesId, 0u) << "each occurrence is a notice of its own";
    EXPECT_EQ(first.hints.value("desktop-entry").toString(), "org.tamsel.Tamsel");
    EXPECT_EQ(service.notices().last().summary, "The recording gets no audio");

    service.freeze(true);
    QElapsedTimer took;
    took.start();
    for (int i = 0; i < 3; ++i) notifier->notify("The input is silent", QString::number(i));
    // A call waited for would take D-Bus's 25 s timeout.
    EXPECT_LT(took.elapsed(), 10000);
    service.freeze(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return service.notices().size() == 5; }, 10000))
        << "the notices are delivered once the service answers again";
}

TEST(DesktopNotifier, WithoutAServiceOrABusNothingFailsAndNothingIsPrinted)
{
    printed.clear();
    const QtMessageHandler before = qInstallMessageHandler(keepMessage);
    {
        MockNotifications busOnly(false);
        ASSERT_TRUE(busOnly.failure().isEmpty()) << busOnly.failure().toStdString();
        auto notifier = makeDesktopNotifier(busOnly.bus());
        notifier->notify("The input is silent", "The input has been silent for 00:00:30.");
        settle(busOnly.bus());
    }
    {
        auto noBus = makeDesktopNotifier(QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "tamsel-nobus"));
        noBus->notify("The input is silent", "The input has been silent for 00:00:30.");
        QCoreApplication::processEvents();
    }
    qInstallMessageHandler(before);
    EXPECT_TRUE(printed.isEmpty()) << printed.join('\n').toStdString();
}
