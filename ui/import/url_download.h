// A dropped picture address fetched into the temporary download folder,
// behind a modal progress dialog whose キャンセル stops it.
#pragma once

#include <QString>

class QWidget;

namespace masuvo {

struct DownloadLimits {
    qint64 maxBytes = qint64{32} << 20;  // by Content-Length and by the running total
    int idleMilliseconds = 30'000;        // without any data
};

struct DownloadOutcome {
    bool ok = false;
    QString path;     // the stored file when ok
    QString message;  // the text to show; empty for a cancelled download
};

// Only http and https addresses are fetched. The file is named after the
// text following the address's last "/" (see DownloadFileName) and is
// replaced when it exists; a download that fails leaves no file behind.
DownloadOutcome DownloadPicture(const QString& address, const QString& folder, QWidget* parent,
                                const DownloadLimits& limits = {});

}  // namespace masuvo
