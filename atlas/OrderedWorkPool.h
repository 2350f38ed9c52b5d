#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Memory that a task's results hold, counted against the pool's budget until
// this object goes (or shrinks). Results keep it beside the memory it stands
// for, so the budget follows the memory wherever the results travel.
class MemoryCharge {
public:
    MemoryCharge() = default;
    MemoryCharge(const MemoryCharge&) = delete;
    MemoryCharge& operator=(const MemoryCharge&) = delete;
    MemoryCharge(MemoryCharge&& other) noexcept;
    MemoryCharge& operator=(MemoryCharge&& other) noexcept;
    ~MemoryCharge();

    std::uint64_t bytes() const { return bytes_; }
    // Gives back all but `bytes` (no change when it holds less).
    void shrinkTo(std::uint64_t bytes);

private:
    friend class OrderedWorkPool;
    struct Budget;
    MemoryCharge(std::shared_ptr<Budget> budget, std::uint64_t bytes);
    void giveBack(std::uint64_t bytes);

    std::shared_ptr<Budget> budget_;
    std::uint64_t bytes_ = 0;
};

// A fixed set of worker threads that run tasks earliest order first. A task
// names the memory it will hold; it starts only while what started tasks
// still hold plus its own cost stays within the budget, except that a task at
// or before the order the caller waits for always starts, so that waiting in
// order can never stall. Tasks are never started past the first one that does
// not fit, which keeps the memory near the front of the run.
class OrderedWorkPool {
public:
    using Task = std::function<void(MemoryCharge)>;
    // Starts one thread running `body`; throws (std::system_error) when the
    // system will not start one.
    using StartThread = std::function<std::jthread(std::function<void()> body)>;
    static std::jthread startThread(std::function<void()> body);

    // Starts up to `threads` threads (at least one). When the system will
    // not start them all, the pool goes on with those it started (see
    // threadCount); when it starts none, the constructor throws what
    // `start` threw.
    OrderedWorkPool(unsigned threads, std::uint64_t budget, const StartThread& start = startThread);
    OrderedWorkPool(const OrderedWorkPool&) = delete;
    OrderedWorkPool& operator=(const OrderedWorkPool&) = delete;
    // Drops the tasks not started and waits for the running ones.
    ~OrderedWorkPool();

    // Queues a task; `order` must be unique. Tasks may queue further tasks.
    // A task must not throw: it reports its outcome through what it
    // captured. Ignored once the pool is stopping.
    void submit(std::uint64_t order, std::uint64_t cost, Task task);
    // Says that the caller now waits for the work of `order`.
    void awaiting(std::uint64_t order);

    // The threads that run tasks.
    unsigned threadCount() const { return static_cast<unsigned>(threads_.size()); }

private:
    struct Queued {
        std::uint64_t cost = 0;
        Task task;
    };

    void work();
    bool frontMayStart() const;

    std::shared_ptr<MemoryCharge::Budget> budget_;
    std::map<std::uint64_t, Queued> queue_;
    std::uint64_t frontier_ = 0;
    bool stopping_ = false;
    std::vector<std::jthread> threads_;
};
