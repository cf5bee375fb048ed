#include "ui/import/digit_model_loading.h"

#include <future>
#include <string>

#include "vision/model_file.h"

namespace masuvo {

namespace {

// Touched from the window's thread only; the reading itself runs on the
// future's thread, and get() orders it before any use of the model.
std::future<std::string>& Loading() {
    static std::future<std::string> loading;
    return loading;
}

QString lastMessage;

}  // namespace

void StartLoadingDigitModel(const QString& path) {
    WaitForDigitModel();
    Loading() = std::async(std::launch::async, [file = path.toStdString()] {
        std::string message;
        if (LoadDigitModel(file, message)) message.clear();
        return message;
    });
}

QString WaitForDigitModel() {
    std::future<std::string>& loading = Loading();
    if (loading.valid()) lastMessage = QString::fromStdString(loading.get());
    return lastMessage;
}

}  // namespace masuvo
