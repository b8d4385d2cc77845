#pragma once
// The application object. Errors are caught where Qt calls into our code
// (see platform/ErrorBoundary.h); notify() only keeps a missed one from
// ending the program.

#include <QApplication>

class TamselApplication : public QApplication {
    Q_OBJECT
public:
    TamselApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};
