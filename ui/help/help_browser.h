// The text view of the help window. Pages are read as they are, except that
// each part between "<!-- answer KEY -->" and "<!-- /answer -->" is replaced
// by a link "answer:KEY" until that answer is shown: a practice position's
// answer waits until the reader asks for it.
#pragma once

#include <QSet>
#include <QString>
#include <QTextBrowser>

namespace masuvo {

class HelpBrowser : public QTextBrowser {
    Q_OBJECT

public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    // Shows a hidden answer of the page, or hides a shown one, keeping the
    // reader's place on the page.
    void ToggleAnswer(const QString& key);
    bool AnswerShown(const QString& key) const;

    // The page text with the answers not yet shown replaced by their links.
    static QString WithAnswersHidden(const QString& html, const QString& page, const QSet<QString>& shown);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QString PageKey(const QString& key) const;

    QSet<QString> shown_;  // page file name + '#' + key
};

}  // namespace masuvo
