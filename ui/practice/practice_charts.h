// The drawn pictures of the practice window: the profile's bars (hint rate
// and time ratio per technique) and a technique's weeks of drills.
#pragma once

#include <QWidget>

#include <vector>

#include "records/practice_progress.h"
#include "records/technique_profile.h"

// One row per technique: its name, a bar of the hint rate (0–100 %) and a
// bar of the median time ratio (0–3, a mark at 1 = the estimate). A
// technique never met shows "未経験".
class CProfileChart : public QWidget {
    Q_OBJECT
public:
    explicit CProfileChart(QWidget* parent = nullptr);
    void SetProfile(const masuvo::TechniqueProfile& profile);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    masuvo::TechniqueProfile profile_;
};

// One column per week: the median time ratio of the week's drills, the
// estimate as a dashed line at 1, the week's Monday and drill count below.
class CDrillWeeksChart : public QWidget {
    Q_OBJECT
public:
    explicit CDrillWeeksChart(QWidget* parent = nullptr);
    void SetWeeks(const std::vector<masuvo::DrillWeek>& weeks);
    const std::vector<masuvo::DrillWeek>& Weeks() const { return weeks_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<masuvo::DrillWeek> weeks_;
};
