#pragma once
// Ends the event loop on SIGTERM, SIGINT and SIGHUP (logout, Ctrl+C) so that
// the windows and components are released normally and an open recording is
// completed instead of cut off.

#include <QObject>

class QSocketNotifier;

class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

private:
    static void handler(int signal);
    void onSignal();

    QSocketNotifier* notifier_ = nullptr;
};
