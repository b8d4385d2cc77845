#pragma once
// Watches the input of a running recording for the two ways it can fail
// without an error: it goes silent (a cable came loose, a source was muted)
// or the sound server stops delivering. The recording goes on either way;
// the user is told in the window and once per occurrence on the desktop.

#include "components/Block.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>

class DesktopNotifier;
class QTimer;

class InputWatch : public QObject {
    Q_OBJECT
public:
    // `notifier` may be null: nothing goes to the desktop. `stallAfter`: how
    // long without a block is a stall (the sound settings' stall time).
    explicit InputWatch(DesktopNotifier* notifier, QObject* parent = nullptr);
    InputWatch(DesktopNotifier* notifier, std::chrono::milliseconds stallAfter, QObject* parent = nullptr);

    // Starts watching afresh: silence is a peak below `silentDbfs` lasting
    // `silentSeconds` of audio (0: never told); the stall clock starts now.
    void start(int silentDbfs, int silentSeconds);
    // Stops watching; a notice still shown is withdrawn (an empty notice).
    void stop();
    // Each captured block, in order.
    void feed(const Block& block);

    bool silent() const { return silent_; }
    bool stalled() const { return stalled_; }

    static QString silenceNotice(int silentSeconds);
    static QString stallNotice(std::chrono::milliseconds stallAfter);

signals:
    // What to show about the input now; empty once it is fine again. A stall
    // is told before a silence, which it hides while it lasts.
    void notice(const QString& text);

private:
    void stallTimedOut();
    // Emits the notice if it changed.
    void update();
    QString current() const;

    DesktopNotifier* notifier_;
    QTimer* stallTimer_;
    bool watching_ = false;
    double silentDbfs_ = 0;
    int silentSeconds_ = 0;
    int64_t quietFrames_ = 0;  // since the last frame at or above the level
    bool silent_ = false;
    bool stalled_ = false;
    QString shown_;
};
