// The creation dialogs' search thread: progress and the outcome come back to
// the thread that owns the task through its event loop, a cancel reaches
// the search, and a task destroyed while its search runs stops and joins
// it. Built with Qt Core alone, so that it also runs under ThreadSanitizer.
#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "ui/creation_task.h"

namespace masuvo {
namespace {

// Runs the event loop until done() or a minute has passed.
template <typename Done>
bool SpinUntil(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(CreationTask, ReportsProgressAndTheOutcomeOnItsOwnThread) {
    CreationTask task;
    const std::thread::id owner = std::this_thread::get_id();
    std::vector<int> progress;
    bool finished = false;
    CreationOutcome outcome;
    CreationRequest request;
    request.number = 1;
    request.rank = 0;  // the quickest rank
    request.threads = 2;
    task.Start(CreateRated, request,
               [&](int done) {
                   EXPECT_EQ(std::this_thread::get_id(), owner);
                   progress.push_back(done);
               },
               [&](const CreationOutcome& result) {
                   EXPECT_EQ(std::this_thread::get_id(), owner);
                   outcome = result;
                   finished = true;
               });
    EXPECT_TRUE(task.Running());
    ASSERT_TRUE(SpinUntil([&] { return finished; }));
    EXPECT_FALSE(task.Running());
    EXPECT_EQ(outcome.status, CreationStatus::Found);
    ASSERT_FALSE(progress.empty());
    for (size_t k = 1; k < progress.size(); ++k) EXPECT_LE(progress[k - 1], progress[k]);
    EXPECT_GT(progress.back(), outcome.iteration);
    EXPECT_LE(progress.back(), kCreationIterations);
}

// A search that only waits for its cancel flag, counting as it goes.
CreationOutcome WaitForCancel(const CreationRequest& request) {
    int done = 0;
    while (!request.cancel->load()) {
        if (request.progress) request.progress(++done);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    CreationOutcome outcome;
    outcome.status = CreationStatus::Cancelled;
    return outcome;
}

TEST(CreationTask, CancelReachesTheSearchAndTheTaskCanStartAgain) {
    CreationTask task;
    for (int round = 0; round < 2; ++round) {
        int lastProgress = 0;
        bool finished = false;
        CreationOutcome outcome;
        task.Start(WaitForCancel, CreationRequest{}, [&](int done) { lastProgress = done; },
                   [&](const CreationOutcome& result) {
                       outcome = result;
                       finished = true;
                   });
        ASSERT_TRUE(SpinUntil([&] { return lastProgress >= 5; }));
        task.Cancel();
        EXPECT_TRUE(task.Cancelled());
        ASSERT_TRUE(SpinUntil([&] { return finished; }));
        EXPECT_EQ(outcome.status, CreationStatus::Cancelled);
        EXPECT_FALSE(task.Running());
    }
}

TEST(CreationTask, DestroyedWhileSearchingStopsAndJoinsTheSearch) {
    std::atomic<bool> searched{false};
    bool finished = false;
    {
        CreationTask task;
        task.Start(
            [&](const CreationRequest& request) {
                searched = true;
                return WaitForCancel(request);
            },
            CreationRequest{}, nullptr, [&](const CreationOutcome&) { finished = true; });
        while (!searched) std::this_thread::yield();
    }
    // The outcome posted by the joined thread has no task left to reach.
    QCoreApplication::processEvents();
    EXPECT_FALSE(finished);
}

}  // namespace
}  // namespace masuvo

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
