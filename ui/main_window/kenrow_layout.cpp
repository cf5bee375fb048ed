// The main window's controls, their places for the board size, the
// background and what is painted on the window itself.
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <functional>

#include "ui/drawing/board_painter.h"
#include "ui/drawing/fitted_font.h"
#include "ui/main_window/kenrow_dlg.h"
#include "ui/drawing/wood_background.h"

namespace masuvo {

namespace {

// A plain widget whose painting and mouse presses the window does.
class DelegateWidget : public QWidget {
public:
    explicit DelegateWidget(QWidget* parent) : QWidget(parent) {}
    std::function<void(QPainter&)> paint;
    std::function<void(QMouseEvent*)> press;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (paint) paint(painter);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (press) press(event);
    }
};

QLabel* MakeLabel(QWidget* parent, const QString& objectName, const QString& text, Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setAlignment(alignment);
    return label;
}

QLineEdit* MakeReadOnlyField(QWidget* parent, const QString& objectName) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setAlignment(Qt::AlignCenter);
    field->setTextMargins(0, 0, 0, 0);
    return field;
}

QPushButton* MakeButton(QWidget* parent, const QString& objectName, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    // The keyboard stays with the board; buttons are for the mouse.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    return button;
}

// The height that shows the longest result of a completion whole at the
// area's width: four-digit figures, after a digit's own completion line.
int MessageHeightForResult(const QPlainTextEdit& area) {
    static const QString kLongestResult = QStringLiteral(
        "9 が完了しました。すべて完成しました。\n"
        "難易度：12,345、ペナルティ：1,234、解答時間：12,345、余力度：-12,345 (-100.0%)\n"
        "実行度：12,345");
    // Laid out line by line as the area lays its own text out (leading
    // included, the fallback faces' heights with it).
    const qreal margin = area.document()->documentMargin();
    const int frame = 2 * area.frameWidth();
    const qreal width = area.width() - frame - 2 * margin;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal height = 2 * margin;
    for (const QString& paragraph : kLongestResult.split(u'\n')) {
        QTextLayout layout(paragraph, area.font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(width);
            height += line.height();
        }
        layout.endLayout();
    }
    return static_cast<int>(std::ceil(height)) + frame;
}

}  // namespace

void CKenrowDlg::CreateControls() {
    auto* client = new DelegateWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->paint = [this](QPainter& p) { PaintClient(p); };
    client->press = [this](QMouseEvent* e) { ClientMousePress(e); };
    // A click on the board takes the keyboard from the name field.
    client->setFocusPolicy(Qt::ClickFocus);
    client_ = client;
    setCentralWidget(client_);

    auto* board = new DelegateWidget(client_);
    board->setObjectName(QStringLiteral("board"));
    board->paint = [this](QPainter& p) { PaintBoardView(p); };
    // Clicks on the board are the client area's: it hit-tests them.
    board->setAttribute(Qt::WA_TransparentForMouseEvents);
    board_ = board;

    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment centre = Qt::AlignCenter;
    modeText_ = MakeLabel(client_, QStringLiteral("modeText"), QString(), left);
    status_ = MakeLabel(client_, QStringLiteral("statusLine"), QString(), left);
    for (QLabel* label : {modeText_, status_}) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setIndent(3);
    }
    name_ = new QLineEdit(client_);
    name_->setObjectName(QStringLiteral("nameField"));
    connect(name_, &QLineEdit::textEdited, this,
            [this](const QString& text) { session_->SetName(text.toStdString()); });
    message_ = new QPlainTextEdit(client_);
    message_->setObjectName(QStringLiteral("messageArea"));
    message_->setReadOnly(true);
    message_->setFocusPolicy(Qt::NoFocus);

    auto* create = MakeButton(client_, QStringLiteral("createButton"), QStringLiteral("問題自動作成"));
    auto* clearAll = MakeButton(client_, QStringLiteral("clearAllButton"), QStringLiteral("オールクリア"));
    auto* start = MakeButton(client_, QStringLiteral("startButton"), QStringLiteral("解答開始"));
    auto* pause = MakeButton(client_, QStringLiteral("pauseButton"), QStringLiteral("一時停止"));
    auto* reset = MakeButton(client_, QStringLiteral("resetButton"), QStringLiteral("リセット"));
    auto* hint = MakeButton(client_, QStringLiteral("hintButton"), QStringLiteral("ヒント"));
    auto* execute = MakeButton(client_, QStringLiteral("executeHintButton"), QStringLiteral("ヒント実行"));
    candidatesButton_ = MakeButton(client_, QStringLiteral("candidatesButton"), QStringLiteral("候補表示"));
    candidatesButton_->setCheckable(true);
    auto* resetCandidates =
        MakeButton(client_, QStringLiteral("resetCandidatesButton"), QStringLiteral("候補リセット"));
    auto* review = MakeButton(client_, QStringLiteral("reviewButton"), QStringLiteral("リヴュー"));
    auto* clearColours = MakeButton(client_, QStringLiteral("clearColoursButton"), QStringLiteral("カラークリア"));
    auto* clearMemos = MakeButton(client_, QStringLiteral("clearMemosButton"), QStringLiteral("数字メモクリア"));

    auto* elapsedLabel = MakeLabel(client_, QStringLiteral("elapsedLabel"), QStringLiteral("経過時間："), left);
    auto* elapsedTime = MakeReadOnlyField(client_, QStringLiteral("elapsedTime"));
    auto* elapsedRatio = MakeReadOnlyField(client_, QStringLiteral("elapsedRatio"));
    auto* targetLabel = MakeLabel(client_, QStringLiteral("targetLabel"), QStringLiteral("目標時間："), left);
    auto* targetTime = MakeReadOnlyField(client_, QStringLiteral("targetTime"));
    auto* targetRank = MakeReadOnlyField(client_, QStringLiteral("targetRank"));
    auto* hintCountLabel =
        MakeLabel(client_, QStringLiteral("hintCountLabel"), QStringLiteral("ヒント(詳細)回数："), left);
    auto* hintCounts = MakeReadOnlyField(client_, QStringLiteral("hintCounts"));
    auto* execLabel = MakeLabel(client_, QStringLiteral("execCountLabel"), QStringLiteral("ヒント実行回数："), left);
    auto* execCount = MakeReadOnlyField(client_, QStringLiteral("execCount"));
    auto* easeLabel = MakeLabel(client_, QStringLiteral("candidateEaseLabel"), QStringLiteral("候補容易度："), left);
    auto* ease = MakeReadOnlyField(client_, QStringLiteral("candidateEase"));
    auto* penaltyLabel = MakeLabel(client_, QStringLiteral("penaltyLabel"), QStringLiteral("合計ペナルティ："), left);
    auto* penalty = MakeReadOnlyField(client_, QStringLiteral("penalty"));

    cellInfoLabel_ = MakeLabel(client_, QStringLiteral("cellInfoLabel"), QStringLiteral("セル情報"), left);
    counts_ = MakeLabel(client_, QStringLiteral("cellInfo"), QString(), left);
    for (int k = 0; k < 9; ++k) {
        // The digit labels draw their text on one line, vertically centred.
        digitLabels_[k] = MakeLabel(client_, QStringLiteral("digitLabel%1").arg(k + 1), QString::number(k + 1), left);
        digitCounts_[k] = MakeLabel(client_, QStringLiteral("digitCount%1").arg(k + 1), QString(), centre);
    }
    version_ = MakeLabel(client_, QStringLiteral("versionText"), QString::fromUtf8(kVersionText), left);
    secondInfo_ = MakeLabel(client_, QStringLiteral("secondInfo"), QString(), left);

    fields_ = {
        {Field::Mode, modeText_},
        {Field::Status, status_},
        {Field::Message, message_},
        {Field::Counts, counts_},
        {Field::ElapsedTime, elapsedTime},
        {Field::ElapsedRatio, elapsedRatio},
        {Field::TargetTime, targetTime},
        {Field::TargetRank, targetRank},
        {Field::HintCounts, hintCounts},
        {Field::ExecCount, execCount},
        {Field::CandidateEase, ease},
        {Field::Penalty, penalty},
        {Field::Name, name_},
    };
    controls_ = {
        {Control::CreatePuzzleButton, {create}},
        {Control::ClearAllButton, {clearAll}},
        {Control::StartButton, {start}},
        {Control::PauseButton, {pause}},
        {Control::ResetButton, {reset}},
        {Control::HintButton, {hint}},
        {Control::ExecuteHintButton, {execute}},
        {Control::CandidatesButton, {candidatesButton_}},
        {Control::ResetCandidatesButton, {resetCandidates}},
        {Control::ReviewButton, {review}},
        {Control::ElapsedFields, {elapsedLabel, elapsedTime, elapsedRatio}},
        {Control::TargetFields, {targetLabel, targetTime, targetRank}},
        {Control::CounterFields,
         {hintCountLabel, hintCounts, execLabel, execCount, easeLabel, ease, penaltyLabel, penalty}},
    };

    connect(create, &QPushButton::clicked, this, &CKenrowDlg::OnCreatePuzzle);
    connect(clearAll, &QPushButton::clicked, this, [this] { session_->ClearAll(); });
    connect(start, &QPushButton::clicked, this, [this] { session_->StartSolving(); });
    connect(pause, &QPushButton::clicked, this, [this] { session_->PauseSolving(); });
    connect(reset, &QPushButton::clicked, this, [this] { session_->ResetToGivens(); });
    connect(hint, &QPushButton::clicked, this, [this] { session_->RequestHint(); });
    connect(execute, &QPushButton::clicked, this, [this] { session_->ExecuteHint(); });
    // clicked, not toggled: the session presses and releases it quietly.
    connect(candidatesButton_, &QPushButton::clicked, this,
            [this](bool pressed) { session_->ToggleCandidates(pressed); });
    connect(resetCandidates, &QPushButton::clicked, this, [this] { session_->ResetCandidates(); });
    connect(clearColours, &QPushButton::clicked, this, [this] { session_->ClearColours(); });
    connect(clearMemos, &QPushButton::clicked, this, [this] { session_->ClearMemos(); });
    connect(review, &QPushButton::clicked, this, &CKenrowDlg::OnReview);
}

void CKenrowDlg::LayoutControls() {
    const int S = settings_.size;
    auto place = [this](QWidget* w, int x, int y, int width, int height) {
        w->setGeometry(static_cast<int>(X(x)), static_cast<int>(Y(y)), static_cast<int>(X(width)),
                       static_cast<int>(Y(height)));
    };
    auto widget = [this](const char* objectName) {
        return client_->findChild<QWidget*>(QString::fromLatin1(objectName));
    };
    const int B = 9 * S;  // the board's edge
    const int h = S * 20 / 50;

    place(board_, 20, 20, B + 1, B + 1);
    place(modeText_, 20, B + 40, 107, 20);
    place(status_, 130, B + 40, B - 109, 20);
    place(name_, B + 50, B + 40, 270, 20);
    place(message_, 20, B + 70, B + 1, 60);
    message_->setFont(font());
    message_->resize(message_->width(), std::max(message_->height(), MessageHeightForResult(*message_)));
    place(widget("createButton"), B + 45, S * 30 / 50, 80, h);
    place(widget("clearAllButton"), B + 245, S * 30 / 50, 80, h);
    place(widget("startButton"), B + 45, S * 65 / 50, 80, S * 30 / 50);
    place(widget("pauseButton"), B + 145, S * 70 / 50, 80, h);
    place(widget("resetButton"), B + 245, S * 70 / 50, 80, h);
    place(widget("elapsedLabel"), B + 65, S * 103 / 50, 80, h);
    place(widget("elapsedTime"), B + 145, 2 * S, 80, h);
    place(widget("elapsedRatio"), B + 245, 2 * S, 80, h);
    place(widget("targetLabel"), B + 65, S * 133 / 50, 80, h);
    place(widget("targetTime"), B + 145, S * 130 / 50, 80, h);
    place(widget("targetRank"), B + 245, S * 130 / 50, 80, h);
    place(widget("hintButton"), B + 45, S * 170 / 50, 80, h);
    place(widget("hintCountLabel"), B + 150, S * 173 / 50, 100, h);
    place(widget("hintCounts"), B + 245, S * 170 / 50, 80, h);
    place(widget("executeHintButton"), B + 45, 4 * S, 80, h);
    place(widget("execCountLabel"), B + 150, S * 203 / 50, 100, h);
    place(widget("execCount"), B + 245, 4 * S, 80, h);
    place(widget("candidatesButton"), B + 45, S * 230 / 50, 80, h);
    place(widget("candidateEaseLabel"), B + 150, S * 233 / 50, 100, h);
    place(widget("candidateEase"), B + 245, S * 230 / 50, 80, h);
    place(widget("resetCandidatesButton"), B + 45, S * 260 / 50, 80, h);
    place(widget("penaltyLabel"), B + 150, S * 263 / 50, 100, h);
    place(widget("penalty"), B + 245, S * 260 / 50, 80, h);
    place(widget("reviewButton"), B + 45, 6 * S, 80, h);
    place(widget("clearColoursButton"), B + 145, 6 * S, 80, h);
    place(widget("clearMemosButton"), B + 245, 6 * S, 80, h);
    place(cellInfoLabel_, B + 50, B - 80, 270, 20);
    place(counts_, B + 50, B - 60, 270, 20);
    for (int k = 0; k < 9; ++k) {
        place(digitLabels_[k], B + 62 + 30 * k, B - 30, 20, 18);
        place(digitCounts_[k], B + 53 + 30 * k, B - 8, 24, 22);
    }
    place(version_, B + 50, B + 98, 270, 20);
    place(secondInfo_, B + 50, B + 114, 270, 20);

    // The client area holds the last control and a margin like the left one,
    // and below the message area a margin like the board's.
    const int bottom = std::max(static_cast<int>(Y(B + 150)), message_->geometry().bottom() + 1 + static_cast<int>(Y(20)));
    client_->setFixedSize(static_cast<int>(X(B + 350)), bottom);

    for (QWidget* w : client_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (auto* button = qobject_cast<QPushButton*>(w)) FitFont(button, button->text());
        if (auto* label = qobject_cast<QLabel*>(w)) FitFont(label, label->text());
        // The widest value a field shows: a time of three-digit minutes.
        if (auto* field = qobject_cast<QLineEdit*>(w); field != nullptr && field != name_)
            FitFont(field, QStringLiteral("000分 00秒"));
    }
    setFixedSize(client_->width(), client_->height() + menuWidget()->sizeHint().height());
}

void CKenrowDlg::RebuildBackground() {
    background_ =
        BuildBackground(client_->size(), settings_.wood_pattern == 1, static_cast<uint32_t>(WallClockSeconds()));
    client_->update();
}

void CKenrowDlg::PaintClient(QPainter& p) {
    const int S = settings_.size;
    const int B = 9 * S;
    p.drawImage(0, 0, background_);
    auto line = [&](int x0, int y0, int x1, int y1) { p.drawLine(QPointF(X(x0), Y(y0)), QPointF(X(x1), Y(y1))); };

    p.setPen(QPen(QColor(160, 160, 160), 1));
    for (int y : {S * 20 / 50, S * 60 / 50, S * 160 / 50, S * 290 / 50, S * 330 / 50}) line(B + 40, y, B + 330, y);
    line(B + 50, B - 12, B + 320, B - 12);

    // The frames of the digit-count strip: labels above, counts below.
    p.setPen(QPen(QColor(128, 128, 128), 2));
    line(B + 50, B - 34, B + 320, B - 34);
    line(B + 50, B + 18, B + 320, B + 18);
    for (int k = 0; k <= 9; ++k) line(B + 50 + 30 * k, B - 34, B + 50 + 30 * k, B + 18);

    QFont title(QStringLiteral("Meiryo"));
    title.setBold(true);
    // A cell height of 24 pixels: the em of the CJK face is about two thirds of it.
    title.setPixelSize(static_cast<int>(Y(24) * 0.69));
    p.setFont(title);
    p.setPen(QColor(64, 64, 64));
    p.drawText(QRectF(X(B + 50), Y(B + 74), X(270), Y(24)), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("マスヴォ"));

    if (session_->overtime && settings_.time_disp == 1) {
        p.setPen(QPen(QColor(255, 0, 0), 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        const int bottom = S * 121 / 50;
        p.drawPolyline(
            QPolygonF({QPointF(X(B + 226), Y(2 * S)), QPointF(X(B + 226), Y(bottom)), QPointF(X(B + 146), Y(bottom))}));
        p.drawPolyline(
            QPolygonF({QPointF(X(B + 326), Y(2 * S)), QPointF(X(B + 326), Y(bottom)), QPointF(X(B + 246), Y(bottom))}));
    }
}

void CKenrowDlg::PaintBoardView(QPainter& p) {
    BoardPaintOptions options;
    options.cellSize = settings_.size;
    options.fontSize = settings_.font_size;
    options.sx = sx_;
    options.sy = sy_;
    p.drawImage(0, 0, RenderBoard(*session_, options));
}

}  // namespace masuvo
