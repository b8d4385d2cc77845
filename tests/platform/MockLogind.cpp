#include "platform/MockLogind.h"

#include "support/PrivateBus.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QFile>


namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace

MockLogind::MockLogind(const QString& canPowerOff) : dir_(QDir::temp().filePath("tamsel-logind.XXXXXX"))
{
    address_ = privatebus::startDaemon(daemon_, {"--session", "--address=unix:path=" + dir_.filePath("bus")}, failure_);
    if (address_.isEmpty()) return;
    failure_ = privatebus::startMock(mock_, address_, true,
                                     {"--template", "logind", "-l", dir_.filePath("calls.log"), "-p",
                                      QStringLiteral(R"({"CanPowerOff": "%1"})").arg(canPowerOff)},
                                     kService, "the mock login manager", dir_.filePath("mock.out"));
}

MockLogind::~MockLogind()
{
    QDBusConnection::disconnectFromBus(address_);
    privatebus::end(mock_);
    privatebus::end(daemon_);
}

void MockLogind::stopLogind() { privatebus::end(mock_); }

QDBusConnection MockLogind::bus() const
{
    // One connection per mock, named after its address.
    return QDBusConnection::connectToBus(address_, address_);
}

QList<MockLogind::Inhibitor> MockLogind::inhibitors() const
{
    const QDBusMessage reply =
        bus().call(QDBusMessage::createMethodCall(kService, kPath, kManager, "ListInhibitors"));
    QList<Inhibitor> list;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return list;
    const QDBusArgument array = reply.arguments().first().value<QDBusArgument>();
    array.beginArray();
    while (!array.atEnd()) {
        Inhibitor i;
        uint uid = 0, pid = 0;
        array.beginStructure();
        array >> i.what >> i.who >> i.why >> i.mode >> uid >> pid;
        array.endStructure();
        list << i;
    }
    array.endArray();
    return list;
}

QStringList MockLogind::calls() const
{
    QFile log(dir_.filePath("calls.log"));
    if (!log.open(QIODevice::ReadOnly)) return {};
    QStringList calls;
    // Each line: "<time> <Method> <arguments>".
    for (const QString& line : QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts))
        calls << line.section(' ', 1);
    return calls;
}
