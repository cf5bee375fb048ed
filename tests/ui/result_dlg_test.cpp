// 結果表示: paging, saving the stored page, copying the shown one, the keys
// that close it and those that do not, and the fixed-width face. With
// MASUVO_SCREENSHOT_DIR set, the last test writes result_window.png there
// (docs/screenshots is made under xvfb-run -a -s "-screen 0 1400x1000x24"
// with QT_QPA_PLATFORM=xcb).
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "engine/board.h"
#include "files/user_error_text.h"
#include "files/cp932.h"
#include "reports/solution_steps_report.h"
#include "ui/main_window/kenrow_app.h"
#include "ui/dialogs/result_dlg.h"

using namespace Qt::StringLiterals;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<unreadable>";
    return file.readAll();
}

QByteArray Cp932(const QString& text) { return QByteArray::fromStdString(masuvo::Utf8ToCp932(text.toStdString())); }

// Clicks OK on the next message box that opens and keeps its caption and text.
void AnswerNextBox(QString* text) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        *text = box->windowTitle() + u"|"_s + box->text();
        timer->stop();
        timer->deleteLater();
        box->button(QMessageBox::Ok)->click();
    });
    timer->start();
}

QString Page(int n) { return u"第%1頁\r\n  行  値\r\n"_s.arg(n); }

}  // namespace

class ResultDialogTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;

    // A window of 17 pages, shown.
    CResultDlg* Open(int pages = 17, const QString& title = u"履歴統計"_s) {
        auto* dialog = new CResultDlg(Page(1), title, 400, 300, 1.0, 1.0);
        for (int n = 2; n <= pages; ++n) dialog->AddPage(Page(n));
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog)) qWarning("the result window was not exposed");
        return dialog;
    }
    static QPlainTextEdit* Text(QWidget* dialog) { return dialog->findChild<QPlainTextEdit*>(u"resultText"_s); }
    static QLineEdit* Box(QWidget* dialog) { return dialog->findChild<QLineEdit*>(u"pageNumber"_s); }
    static QString Count(QWidget* dialog) { return dialog->findChild<QLabel*>(u"pageCount"_s)->text(); }
    static void Click(QWidget* dialog, const QString& name) { dialog->findChild<QPushButton*>(name)->click(); }
    static void Trigger(QWidget* dialog, const QString& name) { dialog->findChild<QAction*>(name)->trigger(); }
    // Types over the page box's whole text, as a user would after selecting
    // it; nothing typed erases it.
    static void Type(QWidget* dialog, const QString& keys) {
        QLineEdit* box = Box(dialog);
        box->selectAll();
        if (keys.isEmpty()) QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, keys);
    }

private slots:
    void initTestCase() { QVERIFY(temp_.isValid()); }
    void aSinglePageShowsOneOfOne();
    void pagesAndThePageNumberBox();
    void typedPageNumbers_data();
    void typedPageNumbers();
    void savesTheStoredPageInCodePage932WithCrLf();
    void aFailedSaveSaysSoAndKeepsTheWindow();
    void theSaveDialogStartsWhereItWasLastUsed();
    void copyAllTakesWhatTheBoxShows();
    void enterDoesNotCloseEscapeAndCloseDo_data();
    void enterDoesNotCloseEscapeAndCloseDo();
    void keyboardFocusStartsAtTheTop();
    void columnsLineUpInTheReportFace();
    void screenshot();  // last: it sets the program's fonts
};

void ResultDialogTest::aSinglePageShowsOneOfOne() {
    QPointer<CResultDlg> dialog = new CResultDlg(u"一行目\r\n二行目\r\n"_s, u"解法"_s, 400, 300, 0.5, 1.5);
    QCOMPARE(dialog->windowTitle(), u"解法"_s);
    QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!dialog->isModal());
    QVERIFY(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->size(), QSize(200, 450));
    QCOMPARE(Box(dialog)->text(), u"1"_s);
    QCOMPARE(Count(dialog), u"/ 1"_s);
    // CR LF is one line break, not two.
    QCOMPARE(Text(dialog)->toPlainText(), u"一行目\n二行目\n"_s);
    QCOMPARE(Text(dialog)->document()->blockCount(), 3);
    Click(dialog, u"previousButton"_s);
    Click(dialog, u"nextButton"_s);
    QCOMPARE(dialog->CurrentPage(), 1);
    QCOMPARE(Box(dialog)->text(), u"1"_s);
    dialog->close();
    QTRY_VERIFY(dialog.isNull());
}

void ResultDialogTest::pagesAndThePageNumberBox() {
    QPointer<CResultDlg> dialog = Open(3);
    QCOMPARE(Count(dialog), u"/ 3"_s);
    Click(dialog, u"nextButton"_s);
    Click(dialog, u"nextButton"_s);
    QCOMPARE(dialog->CurrentPage(), 3);
    QCOMPARE(Box(dialog)->text(), u"3"_s);
    QCOMPARE(Text(dialog)->toPlainText(), u"第3頁\n  行  値\n"_s);
    Click(dialog, u"nextButton"_s);  // already the last
    QCOMPARE(dialog->CurrentPage(), 3);

    // A page added while the window is open: the count follows, the page
    // shown stays.
    dialog->AddPage(Page(4));
    QCOMPARE(Count(dialog), u"/ 4"_s);
    QCOMPARE(dialog->CurrentPage(), 3);
    Click(dialog, u"nextButton"_s);
    QCOMPARE(Box(dialog)->text(), u"4"_s);

    // Edits in the box are lost when the page changes.
    Text(dialog)->setPlainText(u"書き換えた"_s);
    Click(dialog, u"previousButton"_s);
    Click(dialog, u"nextButton"_s);
    QCOMPARE(Text(dialog)->toPlainText(), u"第4頁\n  行  値\n"_s);

    // Letters cannot be typed into the page box; a non-number that gets in
    // some other way reads as 0, page 1.
    QTest::keyClicks(Box(dialog), u"ab"_s);
    QCOMPARE(Box(dialog)->text(), u"4"_s);
    QCOMPARE(dialog->CurrentPage(), 4);
    Box(dialog)->setText(u"ab"_s);
    QCOMPARE(dialog->CurrentPage(), 1);
    QCOMPARE(Box(dialog)->text(), u"1"_s);
    QCOMPARE(Text(dialog)->toPlainText(), u"第1頁\n  行  値\n"_s);
    dialog->close();
}

void ResultDialogTest::typedPageNumbers_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("box");
    QTest::newRow("0") << u"0"_s << 1 << u"1"_s;
    QTest::newRow("nothing") << QString() << 1 << u"1"_s;
    QTest::newRow("5") << u"5"_s << 5 << u"5"_s;
    QTest::newRow("17") << u"17"_s << 17 << u"17"_s;
    QTest::newRow("99") << u"99"_s << 17 << u"17"_s;
    // Each key counts: 0 → 1, 11, then 118 → 17.
    QTest::newRow("018") << u"018"_s << 17 << u"17"_s;
    QTest::newRow("huge") << u"99999999999999"_s << 17 << u"17"_s;
}

void ResultDialogTest::typedPageNumbers() {
    QFETCH(QString, typed);
    QFETCH(int, page);
    QFETCH(QString, box);
    QPointer<CResultDlg> dialog = Open(17);
    Click(dialog, u"nextButton"_s);  // start from page 2
    Type(dialog, typed);
    QCOMPARE(dialog->CurrentPage(), page);
    QCOMPARE(Box(dialog)->text(), box);
    QCOMPARE(Box(dialog)->cursorPosition(), box.size());
    QCOMPARE(Text(dialog)->toPlainText(), Page(page).replace(u"\r\n"_s, u"\n"_s));
    dialog->close();
}

void ResultDialogTest::savesTheStoredPageInCodePage932WithCrLf() {
    auto* dialog = new CResultDlg(u"技法　回数\r\n～ブロックの完成～  12\r\nLF だけ\n最後"_s, u"統計"_s, 400, 300, 1, 1);
    dialog->AddPage(u"二頁目\r\n"_s);
    dialog->show();
    // What is typed into the box is not what gets saved.
    Text(dialog)->setPlainText(u"書き換えた"_s);
    const QString path = temp_.filePath(u"統計.txt"_s);
    QVERIFY(dialog->SaveTo(path));
    QCOMPARE(ReadAll(path), Cp932(u"技法　回数\r\n～ブロックの完成～  12\r\nLF だけ\r\n最後"_s));
    QVERIFY(!ReadAll(path).contains("\r\r"));

    // The current page, replacing the file as a whole.
    Click(dialog, u"nextButton"_s);
    QVERIFY(dialog->SaveTo(path));
    QCOMPARE(ReadAll(path), Cp932(u"二頁目\r\n"_s));
    dialog->close();
}

void ResultDialogTest::aFailedSaveSaysSoAndKeepsTheWindow() {
    QPointer<CResultDlg> dialog = Open(1);
    QString text;
    AnswerNextBox(&text);
    QVERIFY(!dialog->SaveTo(temp_.filePath(u"ない/統計.txt"_s)));
    QCOMPARE(text, u"マスヴォ|保存ファイルをオープンできません。：\n"_s + QString::fromStdString(masuvo::UserErrorText(ENOENT)));
    QVERIFY(dialog->isVisible());
    dialog->close();
}

void ResultDialogTest::theSaveDialogStartsWhereItWasLastUsed() {
    QDir(temp_.path()).mkpath(u"データ"_s);
    QDir(temp_.path()).mkpath(u"別"_s);
    CResultDlg::SetSaveFolder(temp_.filePath(u"データ"_s));
    QPointer<CResultDlg> dialog = Open(1, u"a/b 統計"_s);

    // Answers the file dialog with a name without suffix in the folder "別".
    QString seen;
    QTimer timer;
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, this, [&] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (files == nullptr) return;
        timer.stop();
        seen = QDir(files->directory()).dirName() + u"|"_s + files->defaultSuffix() + u"|"_s +
               files->nameFilters().join(u";"_s) + u"|"_s + QFileInfo(files->selectedFiles().value(0)).fileName() +
               (files->testOption(QFileDialog::DontConfirmOverwrite) ? u"|no prompt"_s : u"|prompt"_s);
        // Typed into the name field, as a user does.
        files->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(temp_.filePath(u"別/結果"_s));
        static_cast<QDialog*>(files)->accept();  // the file dialog's own accept, as its button does
    });
    timer.start();
    Trigger(dialog, u"saveAction"_s);
    QCOMPARE(seen, u"データ|txt|Text Files (*.txt)|a_b 統計.txt|prompt"_s);
    QCOMPARE(ReadAll(temp_.filePath(u"別/結果.txt"_s)), Cp932(Page(1)));
    QCOMPARE(CResultDlg::SaveFolder(), temp_.filePath(u"別"_s));
    dialog->close();
}

void ResultDialogTest::copyAllTakesWhatTheBoxShows() {
    QPointer<CResultDlg> dialog = Open(2);
    QPlainTextEdit* text = Text(dialog);
    text->moveCursor(QTextCursor::End);
    text->insertPlainText(u"追記\n\n次の行"_s);
    QApplication::clipboard()->clear();
    Trigger(dialog, u"copyAllAction"_s);
    QCOMPARE(QApplication::clipboard()->text(), u"第1頁\n  行  値\n追記\n\n次の行"_s);
    QVERIFY(!text->textCursor().hasSelection());
    QCOMPARE(text->textCursor().position(), 0);
    dialog->close();
}

void ResultDialogTest::enterDoesNotCloseEscapeAndCloseDo_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Escape") << 0;
    QTest::newRow("閉じる") << 1;
    QTest::newRow("close box") << 2;
}

void ResultDialogTest::enterDoesNotCloseEscapeAndCloseDo() {
    QFETCH(int, how);
    QPointer<CResultDlg> dialog = Open(3);
    dialog->activateWindow();
    // Enter breaks a line in the text box and does nothing anywhere else.
    Text(dialog)->setFocus();
    Text(dialog)->moveCursor(QTextCursor::End);
    QTest::keyClick(Text(dialog), Qt::Key_Return);
    QCOMPARE(Text(dialog)->toPlainText(), u"第1頁\n  行  値\n\n"_s);
    for (const QString& name : {u"pageNumber"_s, u"nextButton"_s, u"previousButton"_s}) {
        QWidget* widget = dialog->findChild<QWidget*>(name);
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Return);
        QTest::keyClick(widget, Qt::Key_Enter);
        QVERIFY2(dialog->isVisible(), qPrintable(name));
    }
    QCOMPARE(dialog->CurrentPage(), 1);

    if (how == 0) QTest::keyClick(Text(dialog), Qt::Key_Escape);
    if (how == 1) Trigger(dialog, u"closeAction"_s);
    if (how == 2) dialog->close();
    QTRY_VERIFY(dialog.isNull());  // closed and deleted
}

void ResultDialogTest::keyboardFocusStartsAtTheTop() {
    QString long_;
    for (int i = 0; i < 200; ++i) long_ += u"行 %1\r\n"_s.arg(i);
    QPointer<CResultDlg> dialog = new CResultDlg(long_, u"長い"_s, 300, 200, 1, 1);
    dialog->show();
    dialog->activateWindow();  // focus events reach the active window only
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QPlainTextEdit* text = Text(dialog);
    Box(dialog)->setFocus();
    text->moveCursor(QTextCursor::End);
    QVERIFY(text->verticalScrollBar()->value() > 0);
    // A click keeps the caret where it is.
    text->setFocus(Qt::MouseFocusReason);
    QVERIFY(text->textCursor().position() > 0);
    // Tab into the box: start, nothing selected, scrolled there.
    Box(dialog)->setFocus();
    text->selectAll();
    text->setFocus(Qt::TabFocusReason);
    QCOMPARE(text->textCursor().position(), 0);
    QVERIFY(!text->textCursor().hasSelection());
    QCOMPARE(text->verticalScrollBar()->value(), 0);
    dialog->close();
}

void ResultDialogTest::columnsLineUpInTheReportFace() {
    QPointer<CResultDlg> dialog = Open(1);
    const QFont font = Text(dialog)->font();
    QCOMPARE(font.pointSize(), 10);
    const QFontMetricsF metrics(font);
    const qreal latin = metrics.horizontalAdvance(u"A"_s);
    qInfo() << "report face:" << QFontInfo(font).family() << latin << metrics.horizontalAdvance(u"あ"_s);
    // A Latin character is half a kana or kanji, so padded columns line up.
    for (const QString& text : {u"0"_s, u"i"_s, u"W"_s, u" "_s, u"*"_s})
        QCOMPARE(metrics.horizontalAdvance(text), latin);
    for (const QString& text : {u"あ"_s, u"技"_s, u"ア"_s, u"　"_s, u"（"_s})
        QCOMPARE(metrics.horizontalAdvance(text), 2 * latin);
    QCOMPARE(metrics.horizontalAdvance(u"ブロックの完成 12"_s), metrics.horizontalAdvance(u"iiiiiiiiiiiiii WW"_s));
    dialog->close();
}

void ResultDialogTest::screenshot() {
    masuvo::InstallFontSubstitutions();
    QApplication::setFont(QFont(u"Meiryo UI"_s, 9));
    const char* const puzzle = "4...7.1....19.46.5.....1......7....2..2.3....847..6....14...8.6.2....3..6...9....";
    masuvo::KR_base grid;
    for (int cell = 0; cell < 81; ++cell)
        grid.value[cell / 9][cell % 9] = puzzle[cell] == '.' ? 0 : puzzle[cell] - '0';
    const QString report = QString::fromStdString(masuvo::SolutionStepsReport("例題 超上級", grid));
    // The steps on page 1, the summary with its padded columns on page 2.
    const qsizetype summary = report.indexOf(u"◆ サマリ"_s);
    QVERIFY(summary > 0 && report.contains(u"\r\n"_s));
    QPointer<CResultDlg> dialog = new CResultDlg(report.left(summary), u"解答手順"_s, 640, 520, 1.0, 1.0);
    dialog->AddPage(report.mid(summary));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    Click(dialog, u"nextButton"_s);
    QTest::qWait(50);
    const QImage image = dialog->grab().toImage();
    QCOMPARE(image.size() / image.devicePixelRatio(), dialog->size());
    const QString folder = qEnvironmentVariable("MASUVO_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        QVERIFY(image.save(folder + u"/result_window.png"_s));
    }
    dialog->close();
}

QTEST_MAIN(ResultDialogTest)
#include "result_dlg_test.moc"
