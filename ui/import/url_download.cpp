#include "ui/import/url_download.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <QUrl>

#include "session/image_names.h"
#include "ui/user_error_qt.h"

namespace masuvo {

namespace {

const QString kUrlFailed = QStringLiteral("URLをオープンできません。: ");

// Streams one reply into its file and remembers why it stopped, if it did.
class Transfer {
public:
    Transfer(QNetworkReply* reply, const QString& path, const DownloadLimits& limits)
        : reply_(reply), file_(path), limits_(limits) {}

    // Called for every piece of the reply; false once the transfer failed.
    bool Take() {
        if (!failure_.isEmpty()) return false;
        if (!CheckHeaders()) return false;
        const QByteArray bytes = reply_->readAll();
        total_ += bytes.size();
        if (total_ > limits_.maxBytes) return Fail(kUrlFailed + TooLarge());
        if (!OpenFile()) return false;
        if (!bytes.isEmpty() && file_.write(bytes) != bytes.size())
            return Fail(QStringLiteral("ファイルをオープンできません。: ") + UserErrorQt(file_.errorString()));
        return true;
    }

    bool Finish() {
        if (!failure_.isEmpty()) return false;
        if (reply_->error() != QNetworkReply::NoError && !CheckHeaders()) return false;
        if (reply_->error() != QNetworkReply::NoError) return Fail(kUrlFailed + reply_->errorString());
        if (!Take()) return false;
        if (!file_.flush()) return Fail(QStringLiteral("ファイルをオープンできません。: ") + UserErrorQt(file_.errorString()));
        file_.close();
        return true;
    }

    bool Fail(const QString& message) {
        if (failure_.isEmpty()) failure_ = message;
        if (file_.isOpen()) file_.close();
        if (opened_) QFile::remove(file_.fileName());
        return false;
    }

    void Cancel() {
        cancelled_ = true;
        Fail(QStringLiteral("cancelled"));
    }

    QString failure() const { return cancelled_ ? QString() : failure_; }

private:
    QString TooLarge() const {
        return QStringLiteral("ファイルが大きすぎます（上限 %1 バイト）").arg(QLocale::c().toString(limits_.maxBytes));
    }

    bool CheckHeaders() {
        const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && status.toInt() >= 400) {
            const QString reason = reply_->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
            return Fail(kUrlFailed + QStringLiteral("HTTP %1 %2").arg(status.toInt()).arg(reason).trimmed());
        }
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits_.maxBytes) return Fail(kUrlFailed + TooLarge());
        return true;
    }

    bool OpenFile() {
        if (opened_) return true;
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return Fail(QStringLiteral("ファイルをオープンできません。: ") + UserErrorQt(file_.errorString()));
        opened_ = true;
        return true;
    }

    QNetworkReply* reply_;
    QFile file_;
    DownloadLimits limits_;
    qint64 total_ = 0;
    bool opened_ = false;
    bool cancelled_ = false;
    QString failure_;
};

}  // namespace

DownloadOutcome DownloadPicture(const QString& address, const QString& folder, QWidget* parent,
                                const DownloadLimits& limits) {
    DownloadOutcome outcome;
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty()) {
        outcome.message = QStringLiteral("URLをオープンできません。：\n") + address;
        return outcome;
    }

    std::string name;
    const QDir tmp(folder);
    const QString path = DownloadFileName(address.toStdString(), name)
                             ? QDir::cleanPath(tmp.absoluteFilePath(QString::fromStdString(name)))
                             : QString();
    // The name has no "/" of its own; "." and ".." are the ways out of the folder.
    if (path.isEmpty() || QFileInfo(path).absolutePath() != QDir::cleanPath(tmp.absolutePath())) {
        outcome.message = QStringLiteral("ファイルをオープンできません。: ") +
                          QStringLiteral("ファイル名がありません（%1）").arg(address);
        return outcome;
    }
    QDir().mkpath(folder);

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = manager.get(request);
    Transfer transfer(reply, path, limits);

    QProgressDialog progress(QStringLiteral("画像をダウンロードしています...\n%1").arg(address),
                             QStringLiteral("キャンセル"), 0, 0, parent);
    progress.setWindowTitle(QStringLiteral("マスヴォ"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);

    QEventLoop loop;
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(limits.idleMilliseconds);
    bool stopped = false;
    auto stop = [&] {
        stopped = true;
        reply->abort();
        loop.quit();
    };
    QObject::connect(&idle, &QTimer::timeout, &loop, [&] {
        transfer.Fail(kUrlFailed + QStringLiteral("%1 秒間応答がありません").arg(limits.idleMilliseconds / 1000.0));
        stop();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        idle.start();
        if (!transfer.Take()) stop();
    });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        idle.start();
        if (!transfer.Take()) stop();
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, &progress, [&](qint64 received, qint64 total) {
        if (total > 0) {
            progress.setMaximum(100);
            progress.setValue(static_cast<int>(received * 100 / total));
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, [&] { loop.quit(); });
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        transfer.Cancel();
        stop();
    });

    idle.start();
    progress.show();
    if (!reply->isFinished()) loop.exec();
    idle.stop();
    progress.hide();

    outcome.ok = !stopped && transfer.Finish();
    if (!outcome.ok) {
        if (!stopped) reply->abort();
        outcome.message = transfer.failure();
    }
    reply->deleteLater();
    outcome.path = path;
    return outcome;
}

}  // namespace masuvo
