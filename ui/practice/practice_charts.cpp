#include "ui/practice/practice_charts.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

#include "engine/catalogue.h"

using namespace Qt::StringLiterals;

namespace {

// Ratios beyond this are drawn at the edge with their figure.
constexpr double kRatioScale = 3.0;
const QColor kHintColour(0xE0, 0x8A, 0x3C);
const QColor kRatioColour(0x4A, 0x7F, 0xC1);
const QColor kSlowColour(0xC8, 0x4B, 0x4B);

QString Figure(double value) { return QString::number(value, 'f', 2); }

}  // namespace

CProfileChart::CProfileChart(QWidget* parent) : QWidget(parent) {
    setObjectName(u"profileChart"_s);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setMinimumHeight(masuvo::kTechniqueCount * 14 + 40);
}

void CProfileChart::SetProfile(const masuvo::TechniqueProfile& profile) {
    profile_ = profile;
    update();
}

QSize CProfileChart::sizeHint() const { return {460, masuvo::kTechniqueCount * 20 + 44}; }

void CProfileChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(font());
    int nameWidth = 0;
    for (int t = 0; t < masuvo::kTechniqueCount; ++t)
        nameWidth = std::max(nameWidth, metrics.horizontalAdvance(QString::fromUtf8(masuvo::TechniqueName(t))));
    nameWidth += 8;
    const int top = metrics.height() + 10;
    const double rowHeight = std::max(12.0, (height() - top - 6.0) / masuvo::kTechniqueCount);
    const int gap = 12;
    const int chartWidth = std::max(40, (width() - nameWidth - 3 * gap) / 2);
    const int hintLeft = nameWidth + gap;
    const int ratioLeft = hintLeft + chartWidth + gap;

    // Headings and the estimate's mark.
    p.setPen(palette().color(QPalette::Text));
    p.drawText(QRect(hintLeft, 2, chartWidth, metrics.height()), Qt::AlignLeft, u"ヒント率 (0–100%)"_s);
    p.drawText(QRect(ratioLeft, 2, chartWidth, metrics.height()), Qt::AlignLeft, u"時間比 (想定 = 1)"_s);
    const double one = ratioLeft + chartWidth / kRatioScale;
    QPen dashed(palette().color(QPalette::Mid), 1, Qt::DashLine);

    for (int t = 0; t < masuvo::kTechniqueCount; ++t) {
        const masuvo::TechniqueFigures& f = profile_.techniques[t];
        const double y = top + t * rowHeight;
        const QRectF row(0, y, width(), rowHeight);
        if (t % 2 == 1) p.fillRect(row, palette().color(QPalette::AlternateBase));
        p.setPen(palette().color(f.Met() ? QPalette::Text : QPalette::PlaceholderText));
        p.drawText(QRectF(4, y, nameWidth - 8, rowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromUtf8(masuvo::TechniqueName(t)));
        const double barHeight = rowHeight * 0.6;
        const double barTop = y + (rowHeight - barHeight) / 2;
        if (!f.Met()) {
            p.drawText(QRectF(hintLeft, y, chartWidth, rowHeight), Qt::AlignVCenter | Qt::AlignLeft, u"未経験"_s);
            continue;
        }
        if (f.moves == 0) {
            p.drawText(QRectF(hintLeft, y, chartWidth, rowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                       u"練習のみ (%1問)"_s.arg(f.drills));
            continue;
        }
        const double rate = f.HintRate();
        if (rate >= 0) {
            p.fillRect(QRectF(hintLeft, barTop, chartWidth * rate, barHeight), kHintColour);
            p.setPen(palette().color(QPalette::Text));
            p.drawText(QRectF(hintLeft + chartWidth * rate + 3, y, 60, rowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                       QString::number(qRound(rate * 100)) + u"%"_s);
        }
        if (f.medianRatio >= 0) {
            const double shown = std::min(f.medianRatio, kRatioScale);
            p.fillRect(QRectF(ratioLeft, barTop, chartWidth * shown / kRatioScale, barHeight),
                       f.medianRatio > 1.0 ? kSlowColour : kRatioColour);
            p.setPen(palette().color(QPalette::Text));
            const double end = ratioLeft + chartWidth * shown / kRatioScale;
            const QRectF label(std::min(end + 3, ratioLeft + chartWidth - 34.0), y, 40, rowHeight);
            p.drawText(label, Qt::AlignVCenter | Qt::AlignLeft, Figure(f.medianRatio));
        }
    }
    p.setPen(dashed);
    p.drawLine(QPointF(one, top), QPointF(one, top + masuvo::kTechniqueCount * rowHeight));
}

CDrillWeeksChart::CDrillWeeksChart(QWidget* parent) : QWidget(parent) {
    setObjectName(u"drillWeeksChart"_s);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setMinimumHeight(180);
}

void CDrillWeeksChart::SetWeeks(const std::vector<masuvo::DrillWeek>& weeks) {
    weeks_ = weeks;
    update();
}

QSize CDrillWeeksChart::sizeHint() const { return {560, 260}; }

void CDrillWeeksChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(font());
    const QColor text = palette().color(QPalette::Text);
    if (weeks_.empty()) {
        p.setPen(text);
        p.drawText(rect(), Qt::AlignCenter, u"この解法の練習記録はまだありません。"_s);
        return;
    }
    double highest = 1.5;
    for (const masuvo::DrillWeek& w : weeks_) highest = std::max(highest, w.medianRatio);
    highest = std::min(highest, 2 * kRatioScale);
    const int left = metrics.horizontalAdvance(u"0.00"_s) + 10;
    const int bottom = height() - 2 * metrics.height() - 8;
    // Room above the tallest bar for its figure, below the title.
    const int top = 2 * metrics.height() + 12;
    const double plotHeight = std::max(20, bottom - top);
    const auto yOf = [&](double ratio) { return bottom - plotHeight * std::min(ratio, highest) / highest; };

    p.setPen(text);
    p.drawText(QRect(left, 2, width() - left, metrics.height()), Qt::AlignLeft, u"週ごとの時間比 (中央値、想定 = 1)"_s);
    p.drawLine(left, top, left, bottom);
    p.drawLine(left, bottom, width() - 6, bottom);
    for (double mark : {0.0, 1.0, highest}) {
        p.drawText(QRectF(0, yOf(mark) - metrics.height() / 2.0, left - 4, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, Figure(mark));
    }

    const double slot = static_cast<double>(width() - left - 10) / static_cast<double>(weeks_.size());
    const double barWidth = std::min(48.0, slot * 0.6);
    QPainterPath trend;
    for (size_t i = 0; i < weeks_.size(); ++i) {
        const masuvo::DrillWeek& w = weeks_[i];
        const double centre = left + 5 + slot * (static_cast<double>(i) + 0.5);
        if (w.medianRatio >= 0) {
            const double y = yOf(w.medianRatio);
            p.fillRect(QRectF(centre - barWidth / 2, y, barWidth, bottom - y),
                       w.medianRatio > 1.0 ? kSlowColour : kRatioColour);
            p.setPen(text);
            p.drawText(QRectF(centre - slot / 2, y - metrics.height() - 1, slot, metrics.height()), Qt::AlignCenter,
                       Figure(w.medianRatio));
            const QPointF point(centre, y);
            if (trend.elementCount() == 0)
                trend.moveTo(point);
            else
                trend.lineTo(point);
        }
        p.setPen(text);
        p.drawText(QRectF(centre - slot / 2, bottom + 2, slot, metrics.height()), Qt::AlignCenter,
                   QString::fromStdString(w.monday.substr(5)));
        p.drawText(QRectF(centre - slot / 2, bottom + 2 + metrics.height(), slot, metrics.height()), Qt::AlignCenter,
                   QString::number(w.drills) + u"問"_s);
    }
    p.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
    p.drawLine(QPointF(left, yOf(1.0)), QPointF(width() - 6, yOf(1.0)));
    p.setPen(QPen(text, 1.5));
    p.drawPath(trend);
}
