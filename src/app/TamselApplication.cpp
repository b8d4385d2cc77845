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
    if (errorHandler_) {
        // An error raised while the handler itself runs (for example while it
        // stops a recording) is shown, but does not recurse into the handler.
        if (reporting_) {
            QMessageBox::information(nullptr, "Information", message);
            return;
        }
        reporting_ = true;
        try {
            errorHandler_(message);
        } catch (const std::exception& e) {
            QMessageBox::information(nullptr, "Information", QString::fromUtf8(e.what()));
        }
        reporting_ = false;
    } else {
        QMessageBox::information(nullptr, "Information", message);
    }
}
