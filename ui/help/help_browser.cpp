#include "ui/help/help_browser.h"

#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextDocument>

namespace masuvo {

namespace {

const QString kOpen = QStringLiteral("<!-- answer ");
const QString kClose = QStringLiteral("<!-- /answer -->");

}  // namespace

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent) {}

QString HelpBrowser::PageKey(const QString& key) const {
    return QFileInfo(source().path()).fileName() + u'#' + key;
}

bool HelpBrowser::AnswerShown(const QString& key) const { return shown_.contains(PageKey(key)); }

void HelpBrowser::ToggleAnswer(const QString& key) {
    const QString pageKey = PageKey(key);
    if (!shown_.remove(pageKey)) shown_.insert(pageKey);
    const int vertical = verticalScrollBar()->value();
    reload();
    verticalScrollBar()->setValue(vertical);
}

QString HelpBrowser::WithAnswersHidden(const QString& html, const QString& page, const QSet<QString>& shown) {
    QString out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = html.indexOf(kOpen, from);
        if (open < 0) break;
        const qsizetype keyEnd = html.indexOf(QStringLiteral(" -->"), open + kOpen.size());
        const qsizetype close = keyEnd < 0 ? -1 : html.indexOf(kClose, keyEnd);
        if (close < 0) break;  // an unfinished marker hides nothing
        const QString key = html.mid(open + kOpen.size(), keyEnd - open - kOpen.size()).trimmed();
        const qsizetype end = close + kClose.size();
        out += html.mid(from, open - from);
        if (shown.contains(page + u'#' + key)) {
            out += QStringLiteral("<p class=\"answerlink\"><a href=\"answer:%1\">答えを隠す</a></p>").arg(key);
            out += html.mid(open, end - open);
        } else {
            out += QStringLiteral("<p class=\"answerlink\"><a href=\"answer:%1\">答えを見る</a></p>").arg(key);
        }
        from = end;
    }
    out += html.mid(from);
    return out;
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    if (type != QTextDocument::HtmlResource || !name.isLocalFile()) return QTextBrowser::loadResource(type, name);
    QFile file(name.toLocalFile());
    if (!file.open(QIODevice::ReadOnly)) return QTextBrowser::loadResource(type, name);
    const QString html = QString::fromUtf8(file.readAll());
    return WithAnswersHidden(html, QFileInfo(name.path()).fileName(), shown_);
}

}  // namespace masuvo
