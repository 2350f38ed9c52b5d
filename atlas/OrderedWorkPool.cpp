#include "atlas/OrderedWorkPool.h"

#include <algorithm>
#include <utility>

// The budget's counter lives with the pool's lock and signal, which a charge
// given back from any thread must reach, even after the pool has gone.
struct MemoryCharge::Budget {
    std::mutex mutex;
    std::condition_variable changed;
    std::uint64_t limit = 0;
    PoolLoad load;
};

MemoryCharge::MemoryCharge(std::shared_ptr<Budget> budget, std::uint64_t bytes, bool resident)
    : budget_(std::move(budget)), bytes_(bytes), resident_(resident) {}

MemoryCharge::MemoryCharge(MemoryCharge&& other) noexcept
    : budget_(std::move(other.budget_)), bytes_(std::exchange(other.bytes_, 0)), resident_(other.resident_) {}

MemoryCharge& MemoryCharge::operator=(MemoryCharge&& other) noexcept {
    if (this != &other) {
        giveBack(bytes_);
        budget_ = std::move(other.budget_);
        bytes_ = std::exchange(other.bytes_, 0);
        resident_ = other.resident_;
    }
    return *this;
}

MemoryCharge::~MemoryCharge() { giveBack(bytes_); }

void MemoryCharge::shrinkTo(std::uint64_t bytes) {
    if (bytes < bytes_) {
        giveBack(bytes_ - bytes);
    }
}

void MemoryCharge::giveBack(std::uint64_t bytes) {
    if (!budget_ || bytes == 0) {
        return;
    }
    {
        const std::lock_guard lock(budget_->mutex);
        if (!resident_) {
            budget_->load.inFlightBytes -= bytes;
        } else if (bytes == bytes_) {
            budget_->load.residentCharges -= 1U;
        }
    }
    bytes_ -= bytes;
    budget_->changed.notify_all();
}

std::jthread OrderedWorkPool::startThread(std::function<void()> body) { return std::jthread(std::move(body)); }

OrderedWorkPool::OrderedWorkPool(unsigned threads, std::uint64_t budget, const StartThread& start)
    : budget_(std::make_shared<MemoryCharge::Budget>()) {
    budget_->limit = budget;
    threads_.reserve(std::max(1U, threads));
    for (unsigned i = 0; i < std::max(1U, threads); ++i) {
        try {
            threads_.push_back(start([this] { work(); }));
        } catch (...) {
            // A system short of threads or address space: the threads
            // started so far do the work. None at all ends the construction.
            if (threads_.empty()) {
                throw;
            }
            break;
        }
    }
}

OrderedWorkPool::~OrderedWorkPool() {
    std::map<std::uint64_t, Queued> dropped;
    {
        const std::lock_guard lock(budget_->mutex);
        stopping_ = true;
        dropped.swap(queue_);
    }
    budget_->changed.notify_all();
    threads_.clear(); // joins
    // Outside the lock: what the dropped tasks hold may give back a charge.
    dropped.clear();
}

bool taskMayStart(const PoolLoad& load, std::uint64_t budget, unsigned maxResident, ChargeKind kind,
                  std::uint64_t cost, bool awaited) {
    if (awaited) {
        return true;
    }
    if (kind == ChargeKind::resident) {
        return cost == 0 || load.residentCharges < maxResident;
    }
    return load.inFlightBytes <= budget && cost <= budget - load.inFlightBytes;
}

void OrderedWorkPool::submit(std::uint64_t order, std::uint64_t cost, Task task) {
    enqueue(order, Queued {cost, ChargeKind::inFlight, std::move(task)});
}

void OrderedWorkPool::submitResident(std::uint64_t order, std::uint64_t cost, Task task) {
    enqueue(order, Queued {cost, ChargeKind::resident, std::move(task)});
}

void OrderedWorkPool::enqueue(std::uint64_t order, Queued queued) {
    {
        const std::lock_guard lock(budget_->mutex);
        if (stopping_) {
            return;
        }
        queue_.emplace(order, std::move(queued));
    }
    budget_->changed.notify_all();
}

void OrderedWorkPool::awaiting(std::uint64_t order) {
    {
        const std::lock_guard lock(budget_->mutex);
        frontier_ = std::max(frontier_, order);
    }
    budget_->changed.notify_all();
}

bool OrderedWorkPool::frontMayStart() const {
    if (queue_.empty()) {
        return false;
    }
    const auto& [order, front] = *queue_.begin();
    return taskMayStart(budget_->load, budget_->limit, maxResident, front.kind, front.cost, order <= frontier_);
}

void OrderedWorkPool::work() {
    for (;;) {
        Queued next;
        {
            std::unique_lock lock(budget_->mutex);
            budget_->changed.wait(lock, [this] { return stopping_ || frontMayStart(); });
            if (stopping_) {
                return;
            }
            next = std::move(queue_.begin()->second);
            queue_.erase(queue_.begin());
            const bool resident = next.kind == ChargeKind::resident;
            if (!resident) {
                budget_->load.inFlightBytes += next.cost;
            } else if (next.cost != 0) {
                budget_->load.residentCharges += 1U;
            }
        }
        next.task(MemoryCharge(budget_, next.cost, next.kind == ChargeKind::resident));
    }
}
