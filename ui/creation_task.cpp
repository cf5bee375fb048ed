#include "ui/creation_task.h"

#include <QMetaObject>

#include <utility>

namespace masuvo {

CreationTask::CreationTask(QObject* parent) : QObject(parent) {}

CreationTask::~CreationTask() {
    cancel_.store(true);
    if (worker_.joinable()) worker_.join();
}

void CreationTask::Start(Search search, CreationRequest request, std::function<void(int)> onProgress,
                         std::function<void(const CreationOutcome&)> onFinished) {
    if (running_) return;
    if (worker_.joinable()) worker_.join();
    cancel_.store(false);
    done_.store(0);
    progressPosted_.store(false);
    onProgress_ = std::move(onProgress);
    onFinished_ = std::move(onFinished);
    running_ = true;

    request.cancel = &cancel_;
    request.progress = [this](int done) {
        done_.store(done);
        // At most one progress call waits in the queue: 10,000 iterations must
        // not flood the window thread.
        if (!progressPosted_.exchange(true)) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    progressPosted_.store(false);
                    if (onProgress_) onProgress_(done_.load());
                },
                Qt::QueuedConnection);
        }
    };
    worker_ = std::thread([this, search = std::move(search), request = std::move(request)] {
        const CreationOutcome outcome = search(request);
        QMetaObject::invokeMethod(this, [this, outcome] { Deliver(outcome); }, Qt::QueuedConnection);
    });
}

void CreationTask::Cancel() { cancel_.store(true); }

void CreationTask::Deliver(const CreationOutcome& outcome) {
    // The thread has nothing left to do but return.
    if (worker_.joinable()) worker_.join();
    running_ = false;
    if (onProgress_) onProgress_(done_.load());
    if (onFinished_) onFinished_(outcome);
}

}  // namespace masuvo
