#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "atlas/OrderedWorkPool.h"

namespace {

using namespace std::chrono_literals;

// Records the order in which tasks ran.
struct RunLog {
    std::mutex mutex;
    std::vector<std::uint64_t> orders;
    void add(std::uint64_t order) {
        const std::lock_guard lock(mutex);
        orders.push_back(order);
    }
    std::vector<std::uint64_t> get() {
        const std::lock_guard lock(mutex);
        return orders;
    }
};

TEST(OrderedWorkPool, RunsQueuedTasksEarliestOrderFirst) {
    RunLog log;
    std::promise<void> gate;
    std::shared_future<void> opened = gate.get_future().share();
    std::promise<void> lastDone;
    {
        OrderedWorkPool pool(1, 1000);
        // The only thread waits at the gate while the rest queue up in a jumble.
        pool.submit(0, 0, [opened](MemoryCharge) { opened.wait(); });
        for (const std::uint64_t order : std::initializer_list<std::uint64_t> {5, 3, 4, 1, 2}) {
            pool.submit(order, 1, [&log, &lastDone, order](MemoryCharge) {
                log.add(order);
                if (order == 5) {
                    lastDone.set_value();
                }
            });
        }
        gate.set_value();
        lastDone.get_future().wait();
    }
    EXPECT_EQ(log.get(), (std::vector<std::uint64_t> {1, 2, 3, 4, 5}));
}

TEST(OrderedWorkPool, HoldsBackATaskThatDoesNotFitUntilMemoryIsGivenBackOrItIsAwaited) {
    struct Case {
        const char* name;
        bool giveBack; // else the caller says it waits for the held-back task
    };
    for (const Case& c : {Case {"memory given back", true}, Case {"task awaited", false}}) {
        SCOPED_TRACE(c.name);
        std::mutex heldMutex;
        std::optional<MemoryCharge> held;
        std::promise<void> firstDone;
        std::promise<void> secondRan;
        OrderedWorkPool pool(2, 100);
        pool.submit(1, 80, [&](MemoryCharge charge) {
            {
                const std::lock_guard lock(heldMutex);
                held = std::move(charge); // its result keeps the memory
            }
            firstDone.set_value();
        });
        firstDone.get_future().wait();
        std::future<void> second = secondRan.get_future();
        pool.submit(2, 50, [&](MemoryCharge) { secondRan.set_value(); });
        // 80 + 50 passes the budget of 100: a free thread leaves it queued.
        EXPECT_EQ(second.wait_for(100ms), std::future_status::timeout);
        if (c.giveBack) {
            const std::lock_guard lock(heldMutex);
            held->shrinkTo(40); // 40 + 50 fits
        } else {
            pool.awaiting(2);
        }
        EXPECT_EQ(second.wait_for(10s), std::future_status::ready);
    }
}

TEST(OrderedWorkPool, DropsQueuedTasksOnDestructionAndGivesBackWhatTheyHold) {
    std::optional<MemoryCharge> kept;
    bool laterRan = false;
    auto witness = std::make_shared<int>(0);
    {
        OrderedWorkPool pool(1, 10);
        std::promise<void> firstDone;
        pool.submit(1, 8, [&](MemoryCharge charge) {
            kept = std::move(charge);
            firstDone.set_value();
        });
        firstDone.get_future().wait();
        // 8 + 5 passes the budget and nobody waits for it: it stays queued.
        pool.submit(2, 5, [&laterRan, witness](MemoryCharge) { laterRan = true; });
    }
    EXPECT_FALSE(laterRan);
    EXPECT_EQ(witness.use_count(), 1) << "the dropped task was not destroyed";
    kept.reset();
}

TEST(OrderedWorkPool, ChargesOutliveThePoolAndGiveBackSafely) {
    std::optional<MemoryCharge> kept;
    {
        OrderedWorkPool pool(1, 100);
        std::promise<void> done;
        pool.submit(1, 60, [&](MemoryCharge charge) {
            kept = std::move(charge);
            done.set_value();
        });
        done.get_future().wait();
    }
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->bytes(), 60U);
    kept->shrinkTo(10);
    EXPECT_EQ(kept->bytes(), 10U);
    kept.reset();
}

} // namespace

namespace {

// Starts threads as the system would until `failAt` of them exist, then
// refuses as a system short of threads or address space does.
OrderedWorkPool::StartThread refusingFrom(unsigned failAt) {
    return [failAt, started = 0U](std::function<void()> body) mutable {
        if (started == failAt) {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        ++started;
        return OrderedWorkPool::startThread(std::move(body));
    };
}

} // namespace

// A pool whose threads the system will not all start never hangs: it works
// with the threads it has, or, having none, says why. Each case runs on a
// thread of its own so that a hang shows as a failure, not as a stuck test.
TEST(OrderedWorkPool, ThreadsTheSystemWillNotStartNeverHangTheRun) {
    struct Case {
        const char* name;
        unsigned asked;
        unsigned failAt;
        unsigned expectedThreads; // 0: the constructor throws
    };
    for (const Case& c : {Case {"the third of four refused", 4, 2, 2}, Case {"the second of two refused", 2, 1, 1},
                          Case {"the first refused", 3, 0, 0}}) {
        SCOPED_TRACE(c.name);
        // Detached, so that a hung pool fails the test instead of stalling it.
        auto result = std::make_shared<std::promise<unsigned>>();
        std::future<unsigned> outcome = result->get_future();
        std::thread([c, result] {
            try {
                unsigned threads = 0;
                {
                    OrderedWorkPool pool(c.asked, 1000, refusingFrom(c.failAt));
                    std::promise<void> ran;
                    pool.submit(0, 1, [&ran](MemoryCharge) { ran.set_value(); });
                    ran.get_future().wait();
                    threads = pool.threadCount();
                }
                result->set_value(threads);
            } catch (const std::system_error&) {
                result->set_value(0U);
            }
        }).detach();
        ASSERT_EQ(outcome.wait_for(10s), std::future_status::ready) << "the pool hangs";
        EXPECT_EQ(outcome.get(), c.expectedThreads);
    }
}
