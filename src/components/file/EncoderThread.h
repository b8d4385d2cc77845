#pragma once
// Runs an encoder (FLAC, Opus, MP3, Vorbis) on a thread of its own, so that
// whoever feeds the writer (a join decoding its inputs) and the encoder work
// at the same time. Frames are copied in and handed over in order; at most
// two blocks wait, which keeps memory flat and a recording cut off by a
// crash short of no more than they hold. Nothing but the encoder's own
// object is touched on the thread.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class EncoderThread {
public:
    // encode(samples, frames) is called on the thread; what it throws stops
    // it, and is raised by every push and finish after.
    EncoderThread(int channels, std::function<void(const float*, int64_t)> encode);
    ~EncoderThread();  // finishes, dropping a failure nobody asked for
    EncoderThread(const EncoderThread&) = delete;
    EncoderThread& operator=(const EncoderThread&) = delete;

    // Waits while two blocks wait.
    void push(const float* samples, int64_t frames);
    // Returns when everything pushed is encoded and the thread has ended.
    void finish();

private:
    void run();
    void raise();

    const int channels_;
    std::function<void(const float*, int64_t)> encode_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<float>> queue_;
    bool ending_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};
