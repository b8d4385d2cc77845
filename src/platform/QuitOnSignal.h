#pragma once
// Ends the event loop on SIGTERM, SIGINT and SIGHUP (logout, Ctrl+C) so that
// the windows and components are released normally and an open recording is
// completed instead of cut off.

#include <QObject>
#include <functional>

class QSocketNotifier;

class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

    // How to end instead of quitting the event loop: a join pumping the loop
    // would hold a plain quit back until it finishes.
    void setQuit(std::function<void()> quit) { quit_ = std::move(quit); }

private:
    static void handler(int signal);
    void onSignal();

    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> quit_;
};
