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
    MemoryCharge(std::shared_ptr<Budget> budget, std::uint64_t bytes, bool resident);
    void giveBack(std::uint64_t bytes);

    std::shared_ptr<Budget> budget_;
    std::uint64_t bytes_ = 0;
    bool resident_ = false;
};

// What a queued task holds once it runs. Work in flight (an atlas decoded and
// encoded, its PNG waiting to be written) counts its bytes against the pool's
// budget. A resident task (a packet's inflated blocks, which the work on its
// atlases reads) is counted apart: at most `maxResident` such charges are held
// at once, whatever their size, so that a packet larger than the budget still
// leaves the budget to the work on its atlases.
enum class ChargeKind { inFlight, resident };

// How much the pool's started tasks hold, and how much they may.
struct PoolLoad {
    std::uint64_t inFlightBytes = 0;
    unsigned residentCharges = 0; // resident charges of more than zero bytes
};

// Whether the queue's front task may start: always when the caller waits for
// it (so waiting in order never stalls); a resident task of zero bytes (a
// packet stored, not inflated) always; another resident task while fewer than
// `maxResident` are held; work in flight while it fits the budget.
bool taskMayStart(const PoolLoad& load, std::uint64_t budget, unsigned maxResident, ChargeKind kind,
                  std::uint64_t cost, bool awaited);

// A fixed set of worker threads that run tasks earliest order first. A task
// names the memory it will hold and of which kind; it starts only as
// taskMayStart says. Tasks are never started past the first one that may not,
// which keeps the memory near the front of the run.
class OrderedWorkPool {
public:
    using Task = std::function<void(MemoryCharge)>;
    // Resident charges held at once (see ChargeKind).
    static constexpr unsigned maxResident = 2;
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
    // The same for a task whose charge is resident (see ChargeKind).
    void submitResident(std::uint64_t order, std::uint64_t cost, Task task);
    // Says that the caller now waits for the work of `order`.
    void awaiting(std::uint64_t order);

    // The threads that run tasks.
    unsigned threadCount() const { return static_cast<unsigned>(threads_.size()); }

private:
    struct Queued {
        std::uint64_t cost = 0;
        ChargeKind kind = ChargeKind::inFlight;
        Task task;
    };

    void enqueue(std::uint64_t order, Queued queued);
    void work();
    bool frontMayStart() const;

    std::shared_ptr<MemoryCharge::Budget> budget_;
    std::map<std::uint64_t, Queued> queue_;
    std::uint64_t frontier_ = 0;
    bool stopping_ = false;
    std::vector<std::jthread> threads_;
};
