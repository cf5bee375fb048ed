// 練習: the player's technique profile (a table and its chart), the
// おすすめ set chosen from it, techniques picked by hand, and each
// technique's progress in practice. Starting a set is asked of the main
// window, which plays the drills.
#pragma once

#include <QDialog>
#include <QString>

#include <atomic>
#include <thread>
#include <vector>

#include "records/practice_choice.h"
#include "records/practice_record.h"
#include "records/technique_profile.h"
#include "session/app_settings.h"

class CDrillWeeksChart;
class CProfileChart;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTabWidget;

class CPracticeWindow : public QDialog {
    Q_OBJECT
public:
    // Reads folders.finishedFolder and the practice record in
    // folders.dataFolder on a thread of its own, showing its progress.
    CPracticeWindow(const masuvo::DataFolders& folders, QWidget* parent = nullptr);
    ~CPracticeWindow() override;

    // The profile shown (empty until the reading has finished).
    const masuvo::TechniqueProfile& Profile() const { return profile_; }
    const std::vector<masuvo::DrillChoice>& Recommended() const { return recommended_; }
    bool Building() const { return worker_.joinable(); }

    // Reads the profile again, over the finished copies and the folders the
    // player added with フォルダ追加….
    void Rebuild();
    // Adds a folder of finished copies and reads the profile again.
    void AddFolder(const QString& folder);

signals:
    void startRequested(std::vector<masuvo::DrillChoice> drills);

private:
    QWidget* BuildProfilePage();
    QWidget* BuildRecommendPage();
    QWidget* BuildPickPage();
    QWidget* BuildProgressPage();
    void OnProgress(int done, int total);
    void OnBuilt(const masuvo::TechniqueProfile& profile, const std::vector<masuvo::PracticeEntry>& record);
    void OnCancel();
    void OnChooseFolder();
    void FillTable();
    void ShowProgressOf(int technique);
    void StartRecommended();
    void StartPicked();
    void StopWorker();

    masuvo::DataFolders folders_;
    std::vector<QString> extraFolders_;
    masuvo::TechniqueProfile profile_;
    std::vector<masuvo::PracticeEntry> record_;
    std::vector<masuvo::DrillChoice> recommended_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    int generation_ = 0;  // of the reading whose results are awaited

    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* cancelButton_;
    QPushButton* folderButton_;
    QTabWidget* tabs_;
    QTableWidget* table_;
    CProfileChart* chart_;
    QListWidget* recommendList_;
    QPushButton* startRecommended_;
    QListWidget* pickList_;
    QSpinBox* perTechnique_;
    QPushButton* startPicked_;
    QComboBox* progressTechnique_;
    CDrillWeeksChart* weeksChart_;
    QLabel* progressText_;
};
