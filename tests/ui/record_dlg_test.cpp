// 履歴管理: the columns, sorting by heading clicks, and deletion through the
// real buttons with the file's bytes checked. With MASUVO_SCREENSHOT_DIR set,
// the last test writes history_dialog.png there (docs/screenshots is made
// under xvfb-run -a -s "-screen 0 1400x1000x24" with QT_QPA_PLATFORM=xcb).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <string>

#include "engine/rating.h"
#include "files/user_error_text.h"
#include "files/cp932.h"
#include "records/record_file.h"
#include "ui/main_window/kenrow_app.h"
#include "ui/dialogs/record_dlg.h"

using namespace Qt::StringLiterals;

namespace {

// A record line as completion writes it (UTF-8).
std::string Record(const std::string& name, const std::string& time, int difficulty, int seconds) {
    std::string line = "version 3.1.0,2024,03,09," + time + "," + name + "," + std::to_string(difficulty) + ",850,0," +
                       std::to_string(seconds) + ",1,0,0,0,60,5.0,,";
    for (int list = 0; list < 2; ++list) {
        for (int i = 0; i < 30; ++i) line += " 0,";
        line += ",";
    }
    line.resize(line.size() - 2);
    return line;
}

QByteArray Crlf(const std::string& utf8) {
    return QByteArray::fromStdString(masuvo::Utf8ToCp932(utf8)) + "\r\n";
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<unreadable>";
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write the test file");
    file.write(bytes);
}

// Clicks OK on the next message box that opens and keeps its text.
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

const QString kOpenFailed = u"マスヴォ|達成記録ファイルをオープンできません。：\n"_s;

}  // namespace

class RecordDialogTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir temp_;
    QString path_;
    QByteArray lines_[7];

    QByteArray Original() const {
        QByteArray all;
        for (const QByteArray& line : lines_) all += line;
        return all;
    }
    static QTreeWidget* List(QDialog& dialog) { return dialog.findChild<QTreeWidget*>(u"recordList"_s); }
    static void Click(QDialog& dialog, const QString& button) {
        dialog.findChild<QPushButton*>(button)->click();
    }
    // The texts of one column from the top of the list down.
    static QStringList Column(QDialog& dialog, int column) {
        QStringList texts;
        QTreeWidget* list = List(dialog);
        for (int i = 0; i < list->topLevelItemCount(); ++i) texts << list->topLevelItem(i)->text(column);
        return texts;
    }
    static void ClickHeading(QDialog& dialog, int column) {
        QHeaderView* header = List(dialog)->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    static void SelectRow(QDialog& dialog, const QString& title) {
        QTreeWidget* list = List(dialog);
        const QList<QTreeWidgetItem*> found = list->findItems(title, Qt::MatchExactly, 4);
        QCOMPARE(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
        QCOMPARE(list->selectedItems(), found);
    }

private slots:
    void init();
    void listsTheColumnsOfEveryRecord();
    void scrollsTheLastRowIntoView();
    void headingClicksSortWithOneAlternatingDirection();
    void deleteThenOkMarksTheLineInTheFile();
    void deleteThenCancelLeavesTheFile_data();
    void deleteThenCancelLeavesTheFile();
    void okThatCannotWriteSaysSoAndStaysOpen();
    void aFileThatCannotBeReadShowsAnEmptyList();
    void screenshot();  // last: it sets the program's fonts
};

void RecordDialogTest::init() {
    QVERIFY(temp_.isValid());
    path_ = temp_.filePath(u"達成記録.csv"_s);
    lines_[0] = Crlf(masuvo::RecordHeader());
    lines_[1] = Crlf(Record("朝の問題", "12,30", 1200, 1140));
    lines_[2] = "#" + Crlf(Record("消した", "8,00", 10, 10));
    lines_[3] = Crlf(Record("ｱ絵", "9,05", 95, 65));
    lines_[4] = QByteArray::fromStdString(masuvo::Utf8ToCp932(Record("～波", "23,59", 120, 3600))) + "\xFF\r\n";
    lines_[5] = "\r\n";
    lines_[6] = Crlf(Record("負", "0,01", 0, 5));
    WriteAll(path_, Original());
}

void RecordDialogTest::listsTheColumnsOfEveryRecord() {
    CRecordDlg dialog(path_, 1.25, 1.0);
    QCOMPARE(dialog.windowTitle(), u"履歴管理"_s);
    QVERIFY(dialog.LoadFailure().isEmpty());
    QTreeWidget* list = List(dialog);
    QVERIFY(list != nullptr);
    QVERIFY(!list->isSortingEnabled());
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);

    const QStringList headings = {u"行番号"_s,   u"プログラム"_s,     u"年.月.日"_s,       u"時:分"_s,
                                  u"タイトル"_s, u"実行時間"_s,       u"階級"_s,           u"難易度"_s,
                                  u"実行度"_s,   u"解答時間"_s,       u"ペナルティ"_s,     u"ヒント回数"_s,
                                  u"詳細ヒント回数"_s, u"ヒント実行回数"_s, u"候補表示容易度"_s, u"余力度"_s,
                                  u"余力率(%)"_s};
    const int widths[] = {0, 90, 80, 50, 220, 60, 80, 60, 0, 60, 60, 40, 40, 40, 60, 60, 80};
    QCOMPARE(list->columnCount(), 17);
    for (int c = 0; c < 17; ++c) {
        QCOMPARE(list->headerItem()->text(c), headings[c]);
        const bool hidden = c == 0 || c == 8;
        QCOMPARE(list->isColumnHidden(c), hidden);
        // Scaled, and never so narrow that the heading is cut.
        if (hidden) continue;
        QVERIFY(list->columnWidth(c) >= static_cast<int>(widths[c] * 1.25));
        QVERIFY(list->columnWidth(c) >= list->header()->fontMetrics().horizontalAdvance(headings[c]) + 8);
    }
    QCOMPARE(list->columnWidth(4), 275);  // タイトル: wide enough as it is

    // Deleted and blank lines get no row; column 0 is the line in the file.
    QCOMPARE(list->topLevelItemCount(), 4);
    QCOMPARE(Column(dialog, 0), (QStringList{u"1"_s, u"3"_s, u"4"_s, u"6"_s}));
    QCOMPARE(Column(dialog, 4), (QStringList{u"朝の問題"_s, u"ｱ絵"_s, u"～波"_s, u"負"_s}));
    QTreeWidgetItem* first = list->topLevelItem(0);
    const QStringList expected = {u"1"_s,    u"version 3.1.0"_s, u"2024.03.09"_s, u"12:30"_s, u"朝の問題"_s,
                                  u"19:00"_s, QString::fromUtf8(masuvo::RankName(1200)), u"1200"_s, u"850"_s,
                                  u"1140"_s, u"0"_s, u"1"_s, u"0"_s, u"0"_s, u"0"_s, u"60"_s, u"5.0"_s};
    for (int c = 0; c < 17; ++c) QCOMPARE(first->text(c), expected[c]);
    QCOMPARE(list->topLevelItem(3)->text(6), QString());  // difficulty 0: no rank
    for (int c : {1, 2, 3, 5, 7, 9, 16})
        QCOMPARE(Qt::Alignment(first->textAlignment(c)) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    for (int c : {4, 6}) QCOMPARE(Qt::Alignment(first->textAlignment(c)) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);

    dialog.reject();

    // The hidden columns take no room: the rows start with プログラム.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    int visible = 0;
    for (int c = 0; c < 17; ++c) visible += c == 0 || c == 8 ? 0 : list->columnWidth(c);
    QCOMPARE(list->header()->length(), visible);
    QCOMPARE(list->header()->sectionViewportPosition(1), 0);
    QCOMPARE(list->header()->sectionViewportPosition(9),
             list->header()->sectionViewportPosition(7) + list->columnWidth(7));
    ClickHeading(dialog, 9);
    QCOMPARE(list->header()->length(), visible);
    dialog.reject();

    // 1200 × 450 scaled, centred on the screen (the test screen is small).
    CRecordDlg small(path_, 0.5, 0.5);
    small.show();
    QVERIFY(QTest::qWaitForWindowExposed(&small));
    QCOMPARE(small.size(), QSize(600, 225));
    const QRect area = small.screen()->availableGeometry();
    QVERIFY((small.frameGeometry().center() - area.center()).manhattanLength() <= 4);
    small.reject();
}

void RecordDialogTest::scrollsTheLastRowIntoView() {
    QByteArray bytes = lines_[0];
    for (int i = 0; i < 60; ++i) bytes += Crlf(Record("問題" + std::to_string(i), "7,05", 100 + i, 600));
    WriteAll(path_, bytes);
    CRecordDlg dialog(path_, 0.5, 0.5);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTreeWidget* list = List(dialog);
    QScrollBar* bar = list->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QTRY_COMPARE(bar->value(), bar->maximum());
    QTreeWidgetItem* last = list->topLevelItem(59);
    QCOMPARE(last->text(4), u"問題59"_s);
    const QRect row = list->visualItemRect(last);
    QVERIFY(row.top() >= 0 && row.bottom() <= list->viewport()->rect().bottom());
    dialog.reject();
}

void RecordDialogTest::headingClicksSortWithOneAlternatingDirection() {
    CRecordDlg dialog(path_, 1.0, 1.0);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    // No arrow before the first sort; then it shows the column and the
    // direction the list is in.
    QHeaderView* header = List(dialog)->header();
    QVERIFY(!header->isSortIndicatorShown());
    // First click ascending: 時:分 as times (0:01 9:05 12:30 23:59).
    ClickHeading(dialog, 3);
    QCOMPARE(Column(dialog, 3), (QStringList{u"0:01"_s, u"9:05"_s, u"12:30"_s, u"23:59"_s}));
    QVERIFY(header->isSortIndicatorShown());
    QCOMPARE(header->sortIndicatorSection(), 3);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    // Second click, on another column, descending: 難易度 as numbers.
    ClickHeading(dialog, 7);
    QCOMPARE(Column(dialog, 7), (QStringList{u"1200"_s, u"120"_s, u"95"_s, u"0"_s}));
    QCOMPARE(header->sortIndicatorSection(), 7);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    // Third ascending again: タイトル by UTF-16 code units (朝 U+671D, 負
    // U+8CA0, ～ U+FF5E, ｱ U+FF71), not by the file's code page 932 bytes
    // (ｱ B1 would come first, ～ 8160 before the kanji).
    ClickHeading(dialog, 4);
    QCOMPARE(Column(dialog, 4), (QStringList{u"朝の問題"_s, u"負"_s, u"～波"_s, u"ｱ絵"_s}));
    ClickHeading(dialog, 4);
    QCOMPARE(Column(dialog, 4), (QStringList{u"ｱ絵"_s, u"～波"_s, u"負"_s, u"朝の問題"_s}));
    // 実行時間 (1140 s → 19:00, 65 → 1:05, 3600 → 60:00, 5 → 0:05) as times.
    ClickHeading(dialog, 5);
    QCOMPARE(Column(dialog, 5), (QStringList{u"0:05"_s, u"1:05"_s, u"19:00"_s, u"60:00"_s}));

    // A selected row stays selected through a sort.
    SelectRow(dialog, u"～波"_s);
    ClickHeading(dialog, 7);
    QCOMPARE(List(dialog)->selectedItems().value(0)->text(4), u"～波"_s);
    QCOMPARE(Column(dialog, 7), (QStringList{u"1200"_s, u"120"_s, u"95"_s, u"0"_s}));
    dialog.reject();
    QCOMPARE(ReadAll(path_), Original());
}

void RecordDialogTest::deleteThenOkMarksTheLineInTheFile() {
    CRecordDlg dialog(path_, 1.0, 1.0);
    dialog.show();
    dialog.activateWindow();  // the Delete key acts in the active window only
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTreeWidget* list = List(dialog);

    // Without a selection 削除 does nothing.
    list->clearSelection();
    Click(dialog, u"deleteButton"_s);
    QCOMPARE(list->topLevelItemCount(), 4);

    // The record with the byte outside the code page, then the first one
    // with the Delete key; neither touches the file before OK.
    SelectRow(dialog, u"～波"_s);
    Click(dialog, u"deleteButton"_s);
    QCOMPARE(list->topLevelItemCount(), 3);
    QVERIFY(list->selectedItems().isEmpty());
    Click(dialog, u"deleteButton"_s);  // the selection went with the row
    QCOMPARE(list->topLevelItemCount(), 3);
    SelectRow(dialog, u"朝の問題"_s);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(Column(dialog, 4), (QStringList{u"ｱ絵"_s, u"負"_s}));
    QCOMPARE(ReadAll(path_), Original());

    QSignalSpy accepted(&dialog, &QDialog::accepted);
    Click(dialog, u"okButton"_s);
    QCOMPARE(accepted.size(), 1);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(ReadAll(path_),
             lines_[0] + "#" + lines_[1] + lines_[2] + lines_[3] + "#" + lines_[4] + lines_[5] + lines_[6]);

    // Opened again, the list holds what is left.
    CRecordDlg again(path_, 1.0, 1.0);
    QCOMPARE(Column(again, 4), (QStringList{u"ｱ絵"_s, u"負"_s}));
}

void RecordDialogTest::deleteThenCancelLeavesTheFile_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("キャンセル") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close box") << 2;
}

void RecordDialogTest::deleteThenCancelLeavesTheFile() {
    QFETCH(int, how);
    CRecordDlg dialog(path_, 1.0, 1.0);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (const QString& title : {u"朝の問題"_s, u"ｱ絵"_s, u"～波"_s, u"負"_s}) {
        SelectRow(dialog, title);
        Click(dialog, u"deleteButton"_s);
    }
    QCOMPARE(List(dialog)->topLevelItemCount(), 0);
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    if (how == 0) Click(dialog, u"cancelButton"_s);
    if (how == 1) QTest::keyClick(List(dialog), Qt::Key_Escape);
    if (how == 2) dialog.close();
    QCOMPARE(rejected.size(), 1);
    QCOMPARE(ReadAll(path_), Original());
}

void RecordDialogTest::okThatCannotWriteSaysSoAndStaysOpen() {
    CRecordDlg dialog(path_, 1.0, 1.0);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    SelectRow(dialog, u"負"_s);
    Click(dialog, u"deleteButton"_s);

    // The file was replaced by something else meanwhile: it is not written.
    const QByteArray foreign = "名前,点数\r\n";
    WriteAll(path_, foreign);
    QString text;
    AnswerNextBox(&text);
    Click(dialog, u"okButton"_s);
    QCOMPARE(text, kOpenFailed + u"達成記録の形式ではありません（見出し行が違います）。"_s);
    QVERIFY(dialog.isVisible());
    QCOMPARE(ReadAll(path_), foreign);

    // Put back, the same OK goes through.
    WriteAll(path_, Original());
    Click(dialog, u"okButton"_s);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(ReadAll(path_),
             lines_[0] + lines_[1] + lines_[2] + lines_[3] + lines_[4] + lines_[5] + "#" + lines_[6]);
}

void RecordDialogTest::aFileThatCannotBeReadShowsAnEmptyList() {
    QFile::remove(path_);
    CRecordDlg dialog(path_, 1.0, 1.0);
    QCOMPARE(List(dialog)->topLevelItemCount(), 0);
    QString text;
    AnswerNextBox(&text);
    dialog.show();
    QTRY_VERIFY(!text.isEmpty());
    QCOMPARE(text, kOpenFailed + QString::fromStdString(masuvo::UserErrorText(ENOENT)));
    QVERIFY(dialog.isVisible());
    // OK writes nothing (there is nothing to write) and creates no file.
    Click(dialog, u"okButton"_s);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!QFile::exists(path_));
}

void RecordDialogTest::screenshot() {
    masuvo::InstallFontSubstitutions();
    QApplication::setFont(QFont(u"Meiryo UI"_s, 9));
    QByteArray bytes = lines_[0];
    const struct {
        const char* name;
        const char* time;
        int difficulty, seconds;
    } plays[] = {
        {"朝の一問", "7,05", 95, 412},          {"例題１ 基本の確認", "7,48", 160, 530},
        {"2024-03-09 08:12", "8,12", 420, 1262}, {"～難問に挑戦～", "12,30", 1850, 2711},
        {"昼休み", "12,58", 720, 955},           {"カメラで読んだ問題", "18,20", 3300, 3904},
        {"夜の特訓 No.7", "21,03", 6400, 5220},  {"最後の一問", "23,59", 12500, 7313},
    };
    for (const auto& play : plays) bytes += Crlf(Record(play.name, play.time, play.difficulty, play.seconds));
    WriteAll(path_, bytes);

    CRecordDlg dialog(path_, 1.0, 1.0);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    ClickHeading(dialog, 7);  // by difficulty
    SelectRow(dialog, u"～難問に挑戦～"_s);
    QTest::qWait(50);
    const QImage image = dialog.grab().toImage();
    QCOMPARE(image.size() / image.devicePixelRatio(), dialog.size());
    const QString folder = qEnvironmentVariable("MASUVO_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        QVERIFY(image.save(folder + u"/history_dialog.png"_s));
    }
    dialog.reject();
}

QTEST_MAIN(RecordDialogTest)
#include "record_dlg_test.moc"
