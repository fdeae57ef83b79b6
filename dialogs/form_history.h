// The report history: every report of a folder (and its subfolders) with
// date, vehicle, operator, tester, cylinders and unit, read in the
// background and shown batch by batch; a row opens like Open File, two rows
// are compared.
#pragma once

#include "history/report_history.h"

#include <QDialog>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class HistoryTableModel;

class TFormHistory : public QDialog {
    Q_OBJECT
public:
    explicit TFormHistory(QWidget* parent = nullptr);
    ~TFormHistory() override;

    // Lists folder (a path as the file layer takes it) in the background;
    // a listing under way is cancelled first.
    void ListFolder(const std::string& folder);
    // The rule set of the worst-flag column, for the next listing.
    void SetRules(const RuleSet& rules) { rules_ = rules; }
    // Stops a listing under way; the rows so far stay.
    void CancelListing();
    bool Listing() const { return worker_.joinable() && !finished_; }

    // Rows as shown (sorted and filtered), for the window's owner and tests.
    int RowCount() const;
    const HistoryEntry& EntryAt(int shownRow) const;

    enum Column {
        colDate,
        colVehicle,
        colOperator,
        colTester,
        colCylinders,
        colUnit,
        colWorst,
        colFile,
        colNote,
        colCount
    };

    QLineEdit* EditFolder = nullptr;
    QPushButton* ButtonFolder = nullptr;
    QCheckBox* CheckSubfolders = nullptr;
    QLineEdit* EditVehicle = nullptr;
    QTableView* Table = nullptr;
    QProgressBar* Progress = nullptr;
    QPushButton* ButtonCancel = nullptr;
    QPushButton* ButtonOpen = nullptr;
    QPushButton* ButtonCompare = nullptr;
    QLabel* LabelStatus = nullptr;

signals:
    // A report to open as Open File would.
    void OpenRequested(const std::string& path);
    // Two reports to compare.
    void CompareRequested(const std::string& first, const std::string& second);
    // The listing ended (done or cancelled); for tests and the status text.
    void ListingFinished();

protected:
    // A hidden window reads nothing: the listing stops with it.
    void hideEvent(QHideEvent* event) override;

private:
    void ChooseFolder();
    void OpenCurrent();
    void CompareSelected();
    void Deliver(unsigned generation, std::shared_ptr<std::vector<HistoryEntry>> batch,
                 HistoryProgress progress);
    void Finish(unsigned generation, bool completed);
    void UpdateButtons();
    std::vector<int> SelectedSourceRows() const;

    HistoryTableModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    unsigned generation_ = 0;
    bool finished_ = true;
    std::string folder_;
    RuleSet rules_ = DefaultRules();
};
