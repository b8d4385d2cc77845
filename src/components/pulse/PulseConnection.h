#pragma once
// One client connection to the sound server, run by its own PulseAudio thread.
// Everything that calls into libpulse from outside that thread holds a Lock;
// the server's callbacks run on the thread with the lock held. The connection
// is made on first use and made again on the next use after the server went
// away (daemon restarted), so a component recovers at its next start.

#include <QString>

#include <functional>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_operation;
struct pa_stream;

// Whether the server can carry float samples at this rate and channel count.
bool isValidFloatFormat(int sampleRate, int channels);

class PulseConnection {
public:
    explicit PulseConnection(const QString& clientName);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    class Lock {
    public:
        explicit Lock(PulseConnection& connection);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* loop_;
    };

    // With the lock held: connects unless a working connection exists.
    void ensureConnected();
    pa_context* context() const { return context_; }
    pa_threaded_mainloop* loop() const { return loop_; }

    // With the lock held: blocks until the operation ends, then releases it.
    // Throws when the operation could not be started or was cut short.
    void finish(pa_operation* operation, const QString& what);
    // With the lock held: sleeps until some callback calls wake().
    void wait();
    // From a callback on the PulseAudio thread.
    void wake();

    // With the lock held, on a stream just connected: waits out its creation
    // (its state callback must call wake()) and tells whether it is ready.
    bool waitUntilReady(pa_stream* stream);
    // With the lock held: detaches the callbacks, disconnects and frees it.
    static void release(pa_stream* stream);

    // Called on the PulseAudio thread, lock held, when a source comes or goes
    // or the server's defaults change; on every connection made.
    void onChange(std::function<void()> handler) { onChange_ = std::move(handler); }
    // With the lock held: whether a connection is up now.
    bool connected() const;

    // The last error of the connection as the library words it.
    QString errorText() const;
    int errorCode() const;
    // Throws a TamselError "what: <library error>".
    [[noreturn]] void fail(const QString& what) const;

private:
    void startLoop();
    void dropContext();

    QString clientName_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    bool started_ = false;
    std::function<void()> onChange_;
};
