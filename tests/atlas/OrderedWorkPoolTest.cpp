#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
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

// The start decision, with the pool's memory as the atlas stage charges it: a
// packet's inflated blocks are resident, an atlas's pixels and PNG in flight.
TEST(OrderedWorkPool, StartDecisionChargesPacketsApartFromAtlasesInFlight) {
    constexpr std::uint64_t MiB = std::uint64_t {1} << 20;
    constexpr std::uint64_t budget = 40 * MiB; // 2 x one 1024-square RGBA atlas + 32 MiB
    struct Case {
        const char* name;
        PoolLoad load;
        ChargeKind kind;
        std::uint64_t cost;
        bool awaited;
        bool starts;
    };
    const Case cases[] = {
        // Twelve 1024-square RGBA atlases in one packet: 48 MiB inflated,
        // over the budget, yet the next atlases start beside the first.
        {"48 MiB packet resident, second 6 MiB atlas", {6 * MiB, 1}, ChargeKind::inFlight, 6 * MiB, false, true},
        {"48 MiB packet resident, none in flight", {0, 1}, ChargeKind::inFlight, 6 * MiB, false, true},
        // 2,100 atlases of 64 x 64: 33 MiB inflated, 24 KiB each in flight.
        {"33 MiB packet resident, many small in flight", {30 * MiB, 1}, ChargeKind::inFlight, 24 * 1024, false, true},
        {"in flight exactly at the budget", {34 * MiB, 1}, ChargeKind::inFlight, 6 * MiB, false, true},
        {"in flight one byte past the budget", {34 * MiB + 1, 1}, ChargeKind::inFlight, 6 * MiB, false, false},
        {"in flight past the budget after an awaited start", {46 * MiB, 0}, ChargeKind::inFlight, 0, false, false},
        {"past the budget but awaited", {38 * MiB, 2}, ChargeKind::inFlight, 6 * MiB, true, true},
        {"atlas larger than the whole budget", {0, 0}, ChargeKind::inFlight, 64 * MiB, false, false},
        {"first packet, larger than the budget", {0, 0}, ChargeKind::resident, 1024 * MiB, false, true},
        {"second packet while one is resident", {40 * MiB, 1}, ChargeKind::resident, 48 * MiB, false, true},
        {"third packet while two are resident", {0, 2}, ChargeKind::resident, 1 * MiB, false, false},
        {"third packet, awaited", {0, 2}, ChargeKind::resident, 1 * MiB, true, true},
        {"stored packet (nothing inflated) while two are resident", {0, 2}, ChargeKind::resident, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(taskMayStart(c.load, budget, 2, c.kind, c.cost, c.awaited), c.starts);
    }
}

// A packet larger than the budget, resident while its atlases run: two of
// them must be able to run at once. Each waits for the other to have
// started; a pool that runs them one at a time leaves them waiting.
TEST(OrderedWorkPool, RunsTwoTasksAtOnceBesideAResidentPacketLargerThanTheBudget) {
    std::mutex mutex;
    std::condition_variable changed;
    int started = 0;
    bool bothAtOnce = true;
    std::promise<void> done;
    std::atomic<int> finished {0};
    auto meet = [&] {
        std::unique_lock lock(mutex);
        ++started;
        changed.notify_all();
        if (!changed.wait_for(lock, 10s, [&] { return started == 2; })) {
            bothAtOnce = false;
        }
    };
    {
        OrderedWorkPool pool(2, 100);
        pool.awaiting(1);
        pool.submitResident(1, 1000, [&](MemoryCharge packet) {
            auto held = std::make_shared<MemoryCharge>(std::move(packet));
            for (const std::uint64_t order : {2U, 3U}) {
                pool.submit(order, 40, [&, held](MemoryCharge) {
                    meet();
                    if (++finished == 2) {
                        done.set_value();
                    }
                });
            }
        });
        std::future<void> allDone = done.get_future();
        const bool ranUnawaited = allDone.wait_for(10s) == std::future_status::ready;
        EXPECT_TRUE(ranUnawaited) << "the atlases of a packet larger than the budget did not start";
        if (!ranUnawaited) {
            pool.awaiting(3); // lets them finish
            allDone.wait();
        }
    }
    EXPECT_TRUE(bothAtOnce) << "the atlases of a packet larger than the budget ran one at a time";
}

// At most two packets are inflated at once; a third waits until one of them
// is let go, or until it is awaited.
TEST(OrderedWorkPool, HoldsAThirdResidentTaskUntilOneIsLetGo) {
    std::mutex heldMutex;
    std::vector<MemoryCharge> held;
    std::promise<void> twoHeld;
    std::promise<void> thirdRan;
    OrderedWorkPool pool(2, 100);
    for (const std::uint64_t order : {1U, 2U}) {
        pool.submitResident(order, 500, [&](MemoryCharge charge) {
            const std::lock_guard lock(heldMutex);
            held.push_back(std::move(charge));
            if (held.size() == 2) {
                twoHeld.set_value();
            }
        });
    }
    twoHeld.get_future().wait();
    std::future<void> third = thirdRan.get_future();
    pool.submitResident(3, 1, [&](MemoryCharge) { thirdRan.set_value(); });
    EXPECT_EQ(third.wait_for(100ms), std::future_status::timeout);
    {
        const std::lock_guard lock(heldMutex);
        held.front().shrinkTo(0);
    }
    EXPECT_EQ(third.wait_for(10s), std::future_status::ready);
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
