#include "platform/ErrorBoundary.h"

#include "platform/Error.h"

#include <QStringList>
#include <QtGlobal>
#include <exception>
#include <new>

namespace ErrorBoundary {
namespace {

struct Reporter {
    Handler handler;
    bool running = false;
    QString current;
    QStringList waiting;
};

Reporter& reporter()
{
    static Reporter r;
    return r;
}

void invoke(Reporter& r, const QString& message)
{
    r.current = message;
    try {
        if (r.handler) r.handler(message);
        else qWarning("%s", qUtf8Printable(message));
    } catch (...) {
        // A failing handler must not end error handling: its own error waits
        // its turn like any other.
        const QString own = currentMessage();
        if (own != message && !r.waiting.contains(own)) r.waiting.append(own);
    }
}

}  // namespace

void setHandler(Handler handler) { reporter().handler = std::move(handler); }

void report(const QString& message)
{
    Reporter& r = reporter();
    if (r.running) {
        if (message != r.current && !r.waiting.contains(message)) r.waiting.append(message);
        return;
    }
    r.running = true;
    invoke(r, message);
    while (!r.waiting.isEmpty()) invoke(r, r.waiting.takeFirst());
    r.current.clear();
    r.running = false;
}

QString currentMessage()
{
    try {
        throw;
    } catch (const TamselError& e) {
        return e.message();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory.");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("An unexpected error occurred.");
    }
}

}  // namespace ErrorBoundary
