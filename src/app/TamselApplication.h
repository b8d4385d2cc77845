#pragma once
// The application object. Every error that a handler does not catch itself
// ends here (Qt cannot carry exceptions through its event loop) and is handed
// to the one error handler of the program.

#include <QApplication>
#include <functional>

class TamselApplication : public QApplication {
    Q_OBJECT
public:
    TamselApplication(int& argc, char** argv);

    using ErrorHandler = std::function<void(const QString& message)>;
    void setErrorHandler(ErrorHandler handler) { errorHandler_ = std::move(handler); }

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an error through the handler; usable from code outside events.
    void reportError(const QString& message);

private:
    ErrorHandler errorHandler_;
    bool reporting_ = false;
};
