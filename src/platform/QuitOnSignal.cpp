#include "platform/QuitOnSignal.h"

#include "platform/ErrorBoundary.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_fds[2] = {-1, -1};
}

QuitOnSignal::QuitOnSignal(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0) return;
    notifier_ = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, ErrorBoundary::guarded(this, &QuitOnSignal::onSignal));
    struct sigaction sa {};
    sa.sa_handler = &QuitOnSignal::handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaction(s, &sa, nullptr);
}

QuitOnSignal::~QuitOnSignal()
{
    for (int s : {SIGTERM, SIGINT, SIGHUP}) std::signal(s, SIG_DFL);
    for (int& fd : g_fds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void QuitOnSignal::handler(int)
{
    // Only async-signal-safe work here: wake the event loop.
    const char byte = 1;
    if (g_fds[0] >= 0) [[maybe_unused]] auto n = ::write(g_fds[0], &byte, 1);
}

void QuitOnSignal::onSignal()
{
    char byte;
    [[maybe_unused]] auto n = ::read(g_fds[1], &byte, 1);
    if (quit_) quit_();
    else QCoreApplication::quit();
}
