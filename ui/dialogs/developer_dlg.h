// CDeveloperDlg (開発者用ツール): the hidden tools menu opened by the
// Control+Q, X, J sequence. It only chooses; the main window runs the tool.
#pragma once

#include <QDialog>

class QComboBox;

namespace masuvo {

enum DeveloperTool {
    kEvaluateAllFiles = 0,     // 全ファイル評価
    kResaveAllFiles = 1,       // 全ファイル再保存
    kSkipTrivialSteps = 2,     // 単一解法のスキップ
    kDiversifyPuzzle = 3,      // 問題の多様化
    kContinuousCreation = 4,   // 連続問題自動作成の保存
};

class CDeveloperDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDeveloperDlg(QWidget* parent = nullptr);

    // The tool chosen when OK was pressed.
    int tool() const;
    QComboBox* toolList() const { return list_; }

private:
    QComboBox* list_;
};

}  // namespace masuvo
