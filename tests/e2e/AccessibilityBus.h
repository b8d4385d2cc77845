#pragma once
// A session bus of the test's own with the accessibility bus launcher on it:
// what a desktop gives a screen reader, and nothing else (no service starts
// on demand). The program and the reader meet there, so a case can read what
// the program's windows show, as Orca reads it.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace e2e {

class Session;

class AccessibilityBus {
public:
    // The session's next program start reaches this bus.
    AccessibilityBus(Session& session, const QString& dir);
    ~AccessibilityBus();
    AccessibilityBus(const AccessibilityBus&) = delete;
    AccessibilityBus& operator=(const AccessibilityBus&) = delete;

    QString failure() const { return failure_; }
    QString address() const { return address_; }
    // Whether the started program reached the bus in time.
    bool reached(int timeoutMs = 30000) const;

    // Every shown window of the program and its children, one line each
    // ("window|role|name|states"; a table's cells follow it as
    // "window|table cell|name|"), or, given an element's name, presses it.
    // Empty while the program is not on the bus yet.
    QStringList read(const QStringList& args = {}) const;

private:
    QProcessEnvironment environment() const;

    QString display_;
    QString address_;
    QString failure_;
    QProcess bus_;
    QProcess launcher_;
};

// The lines of window that show role and name, states left aside.
QStringList elementsOf(const QStringList& lines, const QString& window);
// The name of the first element of window with that role whose name starts
// with prefix; empty when none has.
QString nameOf(const QStringList& lines, const QString& window, const QString& role, const QString& prefix);

}  // namespace e2e
