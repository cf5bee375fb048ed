// The creation search's own thread, for the creation dialogs. Qt Core only:
// the thread checks build it without the widgets.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

#include "generator/creation.h"

namespace masuvo {

// One creation search on its own thread. The window thread never waits for it
// while it runs: progress and the outcome come back as queued calls, and the
// object's destructor cancels a search still running and joins its thread.
class CreationTask : public QObject {
public:
    using Search = std::function<CreationOutcome(const CreationRequest&)>;

    explicit CreationTask(QObject* parent = nullptr);
    ~CreationTask() override;
    CreationTask(const CreationTask&) = delete;
    CreationTask& operator=(const CreationTask&) = delete;

    // onProgress gets the number of iterations finished; calls are coalesced,
    // so it may skip values. onFinished gets the outcome once the thread is done.
    // Both run on the thread that owns this object.
    void Start(Search search, CreationRequest request, std::function<void(int)> onProgress,
               std::function<void(const CreationOutcome&)> onFinished);
    // Iterations not yet begun skip their work; those under way finish.
    void Cancel();
    bool Cancelled() const { return cancel_.load(); }
    // From Start until onFinished has been called.
    bool Running() const { return running_; }

private:
    void Deliver(const CreationOutcome& outcome);

    std::atomic<bool> cancel_{false};
    std::atomic<int> done_{0};
    std::atomic<bool> progressPosted_{false};
    bool running_ = false;
    std::function<void(int)> onProgress_;
    std::function<void(const CreationOutcome&)> onFinished_;
    std::thread worker_;
};

}  // namespace masuvo
