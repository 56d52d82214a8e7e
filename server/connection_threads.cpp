#include "connection_threads.h"

ConnectionThreads::~ConnectionThreads() { shutdown(); }

void ConnectionThreads::enqueue(std::function<void()> job) {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
    if (idle_ < jobs_.size() && threads_.size() < max_connection_threads) {
        threads_.emplace_back([this] { work(); });
    } else {
        wake_.notify_one();
    }
}

void ConnectionThreads::shutdown() {
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        threads.swap(threads_);
    }
    wake_.notify_all();
    for (auto& thread : threads) thread.join();
}

void ConnectionThreads::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        --idle_;
        if (jobs_.empty()) return;
        auto job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}
