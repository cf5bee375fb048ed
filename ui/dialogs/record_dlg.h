// 履歴管理: the records of the achievement file in a list that sorts by any
// column, with deletion that reaches the file only on OK.
#pragma once

#include <QDialog>
#include <QString>

#include "records/record_list.h"

class QPushButton;
class QTreeWidget;

class CRecordDlg : public QDialog {
    Q_OBJECT
public:
    // path: the record file; sx, sy: the display scale factors.
    CRecordDlg(const QString& path, double sx, double sy, QWidget* parent = nullptr);

    // The reason the file could not be listed, empty when it was. The box
    // that says so opens once the dialog is on screen.
    const QString& LoadFailure() const { return loadFailure_; }
    const masuvo::RecordList& Records() const { return records_; }

public slots:
    // OK: writes the deletions; on failure says why and stays open.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnColumnClick(int column);
    void OnDelete();
    void Fill();
    void Warn(const QString& text);

    masuvo::RecordList records_;
    QString loadFailure_;
    QTreeWidget* list_;
    QPushButton* deleteButton_;
    bool descending_ = false;  // of the next sort, whichever column it is
    bool shown_ = false;
};
