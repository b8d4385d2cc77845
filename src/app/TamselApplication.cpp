#include "app/TamselApplication.h"

#include "platform/ErrorBoundary.h"

TamselApplication::TamselApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TamselApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // Only reached when a handler lacks its own boundary; Qt's clean-up
        // for this event has been skipped, but the program goes on.
        ErrorBoundary::report(ErrorBoundary::currentMessage());
    }
    return false;
}
