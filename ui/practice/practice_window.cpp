#include "ui/practice/practice_window.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <filesystem>

#include "engine/catalogue.h"
#include "records/practice_progress.h"
#include "reports/technique_profile_builder.h"
#include "ui/practice/practice_charts.h"
#include "ui/dialogs/result_dlg.h"

using namespace Qt::StringLiterals;
using masuvo::DrillChoice;
using masuvo::kTechniqueCount;
using masuvo::TechniqueFigures;

namespace {

QString NameOf(int technique) { return QString::fromUtf8(masuvo::TechniqueName(technique)); }

QString Ratio(double value) { return value < 0 ? u"-"_s : QString::number(value, 'f', 2); }

// "1.40 → 0.90" of the first and last ten, or "-" when they are the same
// moves (ten or fewer).
QString Trend(const TechniqueFigures& f) {
    if (f.moves + f.drills <= f.first.count) return u"-"_s;
    return Ratio(f.first.medianRatio) + u" → "_s + Ratio(f.last.medianRatio);
}

QString StretchText(const masuvo::FigureStretch& s) {
    return u"時間比 %1 ・ ヒント %2/%3"_s.arg(Ratio(s.medianRatio)).arg(s.hinted).arg(s.count);
}

QTableWidgetItem* Cell(const QString& text, Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(align);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

QFont FixedFont() {
    QFont font(u"ＭＳ ゴシック"_s, 10);
    font.setFamilies({u"ＭＳ ゴシック"_s, u"Noto Sans Mono CJK JP"_s, u"monospace"_s});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

}  // namespace

CPracticeWindow::CPracticeWindow(const masuvo::DataFolders& folders, QWidget* parent)
    : QDialog(parent), folders_(folders) {
    setWindowTitle(u"練習"_s);
    setObjectName(u"practiceWindow"_s);
    setSizeGripEnabled(true);

    status_ = new QLabel(this);
    status_->setObjectName(u"practiceStatus"_s);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(u"practiceProgress"_s);
    cancelButton_ = new QPushButton(u"キャンセル"_s, this);
    cancelButton_->setObjectName(u"practiceCancel"_s);
    folderButton_ = new QPushButton(u"フォルダ追加…"_s, this);
    folderButton_->setObjectName(u"practiceAddFolder"_s);
    folderButton_->setToolTip(u"完成問題のほかに、完成したファイルのあるフォルダを加えます。"_s);
    auto* top = new QHBoxLayout;
    top->addWidget(status_, 1);
    top->addWidget(progress_);
    top->addWidget(cancelButton_);
    top->addWidget(folderButton_);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(u"practiceTabs"_s);
    tabs_->addTab(BuildProfilePage(), u"プロファイル"_s);
    tabs_->addTab(BuildRecommendPage(), u"おすすめ"_s);
    tabs_->addTab(BuildPickPage(), u"解法を選ぶ"_s);
    tabs_->addTab(BuildProgressPage(), u"推移"_s);

    auto* close = new QPushButton(u"閉じる"_s, this);
    close->setObjectName(u"practiceClose"_s);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tabs_, 1);
    layout->addLayout(bottom);

    connect(cancelButton_, &QPushButton::clicked, this, &CPracticeWindow::OnCancel);
    connect(folderButton_, &QPushButton::clicked, this, &CPracticeWindow::OnChooseFolder);
    resize(1040, 700);
    Rebuild();
}

CPracticeWindow::~CPracticeWindow() { StopWorker(); }

void CPracticeWindow::StopWorker() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

QWidget* CPracticeWindow::BuildProfilePage() {
    auto* page = new QSplitter(Qt::Horizontal);
    table_ = new QTableWidget(kTechniqueCount, 8, page);
    table_->setObjectName(u"profileTable"_s);
    table_->setHorizontalHeaderLabels({u"解法"_s, u"手数"_s, u"ヒント"_s, u"ヒント率"_s, u"時間比"_s, u"最終日"_s,
                                       u"箱"_s, u"推移 (最初→最近の10回)"_s});
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    // A double click opens the technique's progress.
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        progressTechnique_->setCurrentIndex(row);
        tabs_->setCurrentIndex(3);
    });
    chart_ = new CProfileChart(page);
    page->addWidget(table_);
    page->addWidget(chart_);
    page->setStretchFactor(0, 1);
    page->setStretchFactor(1, 1);
    page->setSizes({560, 440});
    FillTable();
    return page;
}

QWidget* CPracticeWindow::BuildRecommendPage() {
    auto* page = new QWidget;
    auto* explain = new QLabel(
        u"記録から選んだ10問です。箱の低い解法から、ヒント率や時間比の悪いものを先に、一つの解法は4問までにしています。"
        "基本の解法が箱2以上になると、まだ出会っていない解法が一つずつ加わります。"_s,
        page);
    explain->setWordWrap(true);
    recommendList_ = new QListWidget(page);
    recommendList_->setObjectName(u"recommendList"_s);
    startRecommended_ = new QPushButton(u"おすすめを開始"_s, page);
    startRecommended_->setObjectName(u"startRecommended"_s);
    startRecommended_->setDefault(true);
    connect(startRecommended_, &QPushButton::clicked, this, &CPracticeWindow::StartRecommended);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(explain);
    layout->addWidget(recommendList_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(startRecommended_);
    layout->addLayout(buttons);
    return page;
}

QWidget* CPracticeWindow::BuildPickPage() {
    auto* page = new QWidget;
    pickList_ = new QListWidget(page);
    pickList_->setObjectName(u"pickList"_s);
    for (int t = 0; t < kTechniqueCount; ++t) {
        auto* item = new QListWidgetItem(NameOf(t), pickList_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    // A click anywhere on the line ticks it, not only on the box.
    connect(pickList_, &QListWidget::itemActivated, this, [](QListWidgetItem* item) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
    perTechnique_ = new QSpinBox(page);
    perTechnique_->setObjectName(u"drillsPerTechnique"_s);
    perTechnique_->setRange(1, 10);
    perTechnique_->setValue(3);
    startPicked_ = new QPushButton(u"選んだ解法で開始"_s, page);
    startPicked_->setObjectName(u"startPicked"_s);
    startPicked_->setEnabled(false);
    connect(pickList_, &QListWidget::itemChanged, this, [this] {
        bool any = false;
        for (int i = 0; i < pickList_->count(); ++i) any = any || pickList_->item(i)->checkState() == Qt::Checked;
        startPicked_->setEnabled(any && !Building());
    });
    connect(startPicked_, &QPushButton::clicked, this, &CPracticeWindow::StartPicked);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(u"練習する解法に印を付けてください。"_s, page));
    layout->addWidget(pickList_, 1);
    auto* row = new QHBoxLayout;
    auto* count = new QLabel(u"各解法の問題数："_s, page);
    count->setBuddy(perTechnique_);
    row->addWidget(count);
    row->addWidget(perTechnique_);
    row->addStretch(1);
    row->addWidget(startPicked_);
    layout->addLayout(row);
    return page;
}

QWidget* CPracticeWindow::BuildProgressPage() {
    auto* page = new QWidget;
    progressTechnique_ = new QComboBox(page);
    progressTechnique_->setObjectName(u"progressTechnique"_s);
    for (int t = 0; t < kTechniqueCount; ++t) progressTechnique_->addItem(NameOf(t));
    connect(progressTechnique_, &QComboBox::currentIndexChanged, this, &CPracticeWindow::ShowProgressOf);
    weeksChart_ = new CDrillWeeksChart(page);
    progressText_ = new QLabel(page);
    progressText_->setObjectName(u"progressText"_s);
    progressText_->setFont(FixedFont());
    progressText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    progressText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The same text in a result window, to save or copy.
    auto* asText = new QPushButton(u"結果表示で開く"_s, page);
    asText->setObjectName(u"progressAsText"_s);
    connect(asText, &QPushButton::clicked, this, [this] {
        QString text = progressTechnique_->currentText() + u"\n\n"_s + progressText_->text();
        text.replace(u"\n"_s, u"\r\n"_s);
        auto* window = new CResultDlg(text, u"推移 ・ "_s + progressTechnique_->currentText(), 560, 420, 1.0, 1.0, this);
        window->show();
    });
    auto* layout = new QVBoxLayout(page);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(u"解法："_s, page);
    label->setBuddy(progressTechnique_);
    row->addWidget(label);
    row->addWidget(progressTechnique_);
    row->addStretch(1);
    row->addWidget(asText);
    layout->addLayout(row);
    layout->addWidget(weeksChart_, 2);
    layout->addWidget(progressText_, 1);
    return page;
}

void CPracticeWindow::Rebuild() {
    StopWorker();
    cancel_ = false;
    const int generation = ++generation_;
    masuvo::ProfileSources sources;
    sources.folders.emplace_back(folders_.finishedFolder);
    for (const QString& folder : extraFolders_) sources.folders.emplace_back(folder.toStdString());
    const std::filesystem::path record = std::filesystem::path(folders_.dataFolder) / masuvo::kPracticeRecordName;
    sources.practiceRecord = record;
    sources.cancel = &cancel_;
    status_->setText(u"完成した問題を読んでいます…"_s);
    progress_->setRange(0, 0);
    progress_->show();
    cancelButton_->show();
    folderButton_->setEnabled(false);
    startRecommended_->setEnabled(false);
    startPicked_->setEnabled(false);
    worker_ = std::thread([this, sources, record, generation]() mutable {
        sources.progress = [this](int done, int total) {
            // Every hundredth file is enough for the bar.
            if (done % 100 != 0 && done != total) return;
            QMetaObject::invokeMethod(this, [this, done, total] { OnProgress(done, total); }, Qt::QueuedConnection);
        };
        masuvo::TechniqueProfile profile = masuvo::BuildTechniqueProfile(sources);
        std::vector<masuvo::PracticeEntry> entries = masuvo::ReadPracticeRecord(record);
        QMetaObject::invokeMethod(
            this,
            [this, profile = std::move(profile), entries = std::move(entries), generation] {
                if (generation != generation_) return;
                if (worker_.joinable()) worker_.join();
                OnBuilt(profile, entries);
            },
            Qt::QueuedConnection);
    });
}

void CPracticeWindow::AddFolder(const QString& folder) {
    if (folder.isEmpty()) return;
    for (const QString& known : extraFolders_)
        if (known == folder) return;
    extraFolders_.push_back(folder);
    Rebuild();
}

void CPracticeWindow::OnChooseFolder() {
    AddFolder(QFileDialog::getExistingDirectory(this, u"完成したファイルのあるフォルダ"_s,
                                                QString::fromStdString(folders_.dataFolder)));
}

void CPracticeWindow::OnProgress(int done, int total) {
    if (!Building()) return;
    progress_->setRange(0, total);
    progress_->setValue(done);
    status_->setText(u"完成した問題を読んでいます… %1 / %2"_s.arg(done).arg(total));
}

void CPracticeWindow::OnCancel() { cancel_ = true; }

void CPracticeWindow::OnBuilt(const masuvo::TechniqueProfile& profile, const std::vector<masuvo::PracticeEntry>& record) {
    profile_ = profile;
    record_ = record;
    recommended_ = masuvo::RecommendDrills(profile_);
    progress_->hide();
    cancelButton_->hide();
    folderButton_->setEnabled(true);

    int drills = 0;
    for (const TechniqueFigures& f : profile_.techniques) drills += f.drills;
    QString text = u"完成問題 %1 件 ・ 練習 %2 問"_s.arg(profile_.filesRead).arg(drills);
    if (profile_.filesSkipped > 0) text += u" （読めないファイル %1 件は除きました）"_s.arg(profile_.filesSkipped);
    if (profile_.recordLinesSkipped > 0) text += u" （練習記録の読めない行 %1 行は除きました）"_s.arg(profile_.recordLinesSkipped);
    if (profile_.cancelled) text = u"読み込みを中止しました。途中までの記録で表示しています。 "_s + text;
    status_->setText(text);

    FillTable();
    chart_->SetProfile(profile_);
    recommendList_->clear();
    for (const DrillChoice& d : recommended_) {
        const TechniqueFigures& f = profile_.techniques[d.technique];
        QString why = u"箱 %1"_s.arg(f.box);
        if (f.moves > 0)
            why += u" ・ ヒント率 %1% ・ 時間比 %2"_s.arg(qRound(f.HintRate() * 100)).arg(Ratio(f.medianRatio));
        else if (!f.Met())
            why += u" ・ 未経験"_s;
        recommendList_->addItem(u"%1 ・ 問題 %2 （%3）"_s.arg(NameOf(d.technique)).arg(d.number).arg(why));
    }
    startRecommended_->setEnabled(!recommended_.empty());
    bool any = false;
    for (int i = 0; i < pickList_->count(); ++i) any = any || pickList_->item(i)->checkState() == Qt::Checked;
    startPicked_->setEnabled(any);
    ShowProgressOf(progressTechnique_->currentIndex());
}

void CPracticeWindow::FillTable() {
    table_->setSortingEnabled(false);
    for (int t = 0; t < kTechniqueCount; ++t) {
        const TechniqueFigures& f = profile_.techniques[t];
        table_->setItem(t, 0, Cell(NameOf(t), Qt::AlignLeft | Qt::AlignVCenter));
        if (!f.Met()) {
            table_->setItem(t, 1, Cell(u"未経験"_s, Qt::AlignLeft | Qt::AlignVCenter));
            for (int c = 2; c < 8; ++c) table_->setItem(t, c, Cell(QString()));
            table_->setItem(t, 6, Cell(QString::number(f.box)));
            continue;
        }
        table_->setItem(t, 1, Cell(QString::number(f.moves)));
        table_->setItem(t, 2, Cell(QString::number(f.hinted)));
        table_->setItem(t, 3, Cell(f.moves > 0 ? QString::number(qRound(f.HintRate() * 100)) + u"%"_s : u"-"_s));
        table_->setItem(t, 4, Cell(Ratio(f.medianRatio)));
        table_->setItem(t, 5, Cell(QString::fromStdString(f.lastMet)));
        table_->setItem(t, 6, Cell(QString::number(f.box)));
        table_->setItem(t, 7, Cell(Trend(f)));
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
}

void CPracticeWindow::ShowProgressOf(int technique) {
    if (technique < 0 || technique >= kTechniqueCount) return;
    const std::vector<masuvo::DrillWeek> weeks = masuvo::DrillWeeks(record_, technique);
    weeksChart_->SetWeeks(weeks);
    const TechniqueFigures& f = profile_.techniques[technique];
    QString text;
    if (f.Met() && f.moves + f.drills <= f.first.count) {
        text = u"これまでの%1回：%2\n"_s.arg(f.first.count).arg(StretchText(f.first));
        text += u"（完成問題の手 %1 と練習 %2 問）\n\n"_s.arg(f.moves).arg(f.drills);
    } else if (f.Met()) {
        text = u"最初の%1回：%2\n"_s.arg(f.first.count).arg(StretchText(f.first));
        text += u"最近の%1回：%2\n"_s.arg(f.last.count).arg(StretchText(f.last));
        text += u"（完成問題の手 %1 と練習 %2 問、日付の順）\n\n"_s.arg(f.moves).arg(f.drills);
    } else {
        text = u"未経験\n\n"_s;
    }
    text += QString::fromStdString(masuvo::FormatDrillWeeks(weeks));
    progressText_->setText(text);
}

void CPracticeWindow::StartRecommended() {
    if (recommended_.empty()) return;
    emit startRequested(recommended_);
    accept();
}

void CPracticeWindow::StartPicked() {
    std::vector<DrillChoice> drills;
    for (int t = 0; t < pickList_->count() && t < kTechniqueCount; ++t) {
        if (pickList_->item(t)->checkState() != Qt::Checked) continue;
        for (int number : masuvo::NextDrillNumbers(profile_.techniques[t].drillNumbers, perTechnique_->value()))
            drills.push_back({t, number});
    }
    if (drills.empty()) return;
    emit startRequested(drills);
    accept();
}
