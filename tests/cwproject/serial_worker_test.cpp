#include "cwproject/serial_worker.h"

#include <gtest/gtest.h>

#include <future>
#include <new>
#include <string>
#include <thread>

namespace tessaly {
namespace {

TEST(SerialWorkerTest, RunsTasksInPostingOrderAndReportsTheFirstFailureAfterAllRan) {
    SerialWorker worker;
    worker.finish();  // nothing posted: returns at once

    std::string order;
    for (char step : std::string("abc")) {
        worker.post([&order, step] { order += step; });
    }
    worker.post([] { throw std::bad_alloc(); });
    worker.post([&order] { order += 'd'; });
    worker.post([] { throw std::bad_alloc(); });
    EXPECT_THROW(worker.finish(), std::bad_alloc);
    EXPECT_EQ(order, "abcd");
    worker.finish();  // the failure was reported once

    worker.post([&order] { order += 'e'; });
    worker.waitIdle();
    EXPECT_EQ(order, "abcde");
}

TEST(SerialWorkerTest, GoingAwayWaitsForTheTaskInProgress) {
    std::promise<void> started;
    std::promise<void> release;
    bool finished = false;
    std::thread releaser;
    {
        SerialWorker worker;
        worker.post([&] {
            started.set_value();
            release.get_future().wait();
            finished = true;
        });
        worker.post([] {});  // may run or be dropped; either way nothing hangs
        started.get_future().wait();
        releaser = std::thread([&] { release.set_value(); });
    }
    releaser.join();
    EXPECT_TRUE(finished);
}

}  // namespace
}  // namespace tessaly
