#include "components/file/EncoderThread.h"

namespace {

constexpr size_t kMaxWaiting = 2;

}  // namespace

EncoderThread::EncoderThread(int channels, std::function<void(const float*, int64_t)> encode)
    : channels_(channels), encode_(std::move(encode)), thread_(&EncoderThread::run, this)
{
}

EncoderThread::~EncoderThread()
{
    try {
        finish();
    } catch (...) {
        // The writer already told the failure, or is being torn down.
    }
}

void EncoderThread::push(const float* samples, int64_t frames)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < kMaxWaiting || failure_; });
    raise();
    queue_.emplace_back(samples, samples + frames * channels_);
    changed_.notify_all();
}

void EncoderThread::finish()
{
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    raise();
}

// The encoder has stopped at its failure: every later call raises it.
void EncoderThread::raise()
{
    if (failure_) std::rethrow_exception(failure_);
}

void EncoderThread::run()
{
    for (;;) {
        std::vector<float> block;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || ending_; });
            if (queue_.empty()) return;
            block = std::move(queue_.front());
        }
        try {
            encode_(block.data(), int64_t(block.size()) / channels_);
        } catch (...) {
            std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
            queue_.clear();
            changed_.notify_all();
            return;
        }
        std::lock_guard lock(mutex_);
        queue_.pop_front();
        changed_.notify_all();
    }
}
