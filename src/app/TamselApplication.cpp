#include "app/TamselApplication.h"

#include "platform/Error.h"

#include <QMessageBox>
#include <exception>
#include <new>

TamselApplication::TamselApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TamselApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const TamselError& e) {
        reportError(e.message());
    } catch (const std::bad_alloc&) {
        reportError("Out of memory.");
    } catch (const std::exception& e) {
        reportError(QString::fromUtf8(e.what()));
    }
    return false;
}

void TamselApplication::reportError(const QString& message)
{
    // Without a handler, or for an error raised while the handler itself runs
    // (for example while it stops a recording), the message is shown plainly
    // and does not recurse into the handler.
    if (!errorHandler_ || reporting_) {
        QMessageBox::information(nullptr, "Information", message);
        return;
    }
    reporting_ = true;
    try {
        errorHandler_(message);
    } catch (const std::exception& e) {
        reportError(QString::fromUtf8(e.what()));
    }
    reporting_ = false;
}
