#include "dialogs/form_history.h"

#include "platform/window_text.h"
#include "text/cp1252.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("TFormHistory", text);
}

QString ProblemText(HistoryProblem problem) {
    switch (problem) {
    case HistoryProblem::None:
        return QString();
    case HistoryProblem::NotRegular:
        return Tr("not a regular file");
    case HistoryProblem::TooLarge:
        return Tr("too large for a report file");
    case HistoryProblem::Vanished:
        return Tr("the file has vanished");
    case HistoryProblem::Unreadable:
        return Tr("the file cannot be read");
    case HistoryProblem::NotReport:
        return Tr("not a report file, or damaged");
    case HistoryProblem::FolderUnreadable:
        return Tr("the folder cannot be read");
    }
    return QString();
}

QString UnitText(int unit) {
    switch (unit) {
    case unitBar:
        return QStringLiteral("bar");
    case unitKPa:
        return QStringLiteral("kPa");
    case unitPsi:
        return QStringLiteral("psi");
    default:
        return QStringLiteral("?");
    }
}

} // namespace

// The rows as read; the proxy sorts and filters them.
class HistoryTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    std::vector<HistoryEntry> Entries;

    void Append(std::vector<HistoryEntry>&& batch) {
        if (batch.empty())
            return;
        const int first = static_cast<int>(Entries.size());
        beginInsertRows(QModelIndex(), first, first + static_cast<int>(batch.size()) - 1);
        for (HistoryEntry& e : batch)
            Entries.push_back(std::move(e));
        endInsertRows();
    }
    void Clear() {
        beginResetModel();
        Entries.clear();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(Entries.size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : TFormHistory::colCount;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return QVariant();
        const HistoryEntry& e = Entries[index.row()];
        const bool report = e.Problem == HistoryProblem::None;
        // Texts from files are plain data in a table cell: never markup.
        switch (index.column()) {
        case TFormHistory::colDate:
            return report ? DiskToQ(e.Report.DateandTime) : QString();
        case TFormHistory::colVehicle:
            return report ? DiskToQ(e.Report.CarID) : QString();
        case TFormHistory::colOperator:
            return report ? DiskToQ(e.Report.Operator) : QString();
        case TFormHistory::colTester:
            return report ? DiskToQ(e.Report.Texts.DeviceSN) : QString();
        case TFormHistory::colCylinders:
            return report ? QVariant(e.Cylinders) : QVariant();
        case TFormHistory::colUnit:
            return report ? UnitText(e.Report.Unit) : QString();
        case TFormHistory::colWorst:
            return report ? QCoreApplication::translate("Evaluation", FlagText(e.Worst))
                          : QString();
        case TFormHistory::colFile:
            return role == Qt::ToolTipRole ? PathFromCore(e.Path)
                                           : QFileInfo(PathFromCore(e.Path)).fileName();
        case TFormHistory::colNote:
            if (!report)
                return ProblemText(e.Problem);
            return e.When ? QString() : Tr("date not understood");
        }
        return QVariant();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QVariant();
        static const char* const names[TFormHistory::colCount] = {
            QT_TRANSLATE_NOOP("TFormHistory", "Date and time"),
            QT_TRANSLATE_NOOP("TFormHistory", "Vehicle / test piece"),
            QT_TRANSLATE_NOOP("TFormHistory", "Operator"),
            QT_TRANSLATE_NOOP("TFormHistory", "Tester serial number"),
            QT_TRANSLATE_NOOP("TFormHistory", "Cylinders"),
            QT_TRANSLATE_NOOP("TFormHistory", "Unit"),
            QT_TRANSLATE_NOOP("TFormHistory", "Worst flag"),
            QT_TRANSLATE_NOOP("TFormHistory", "File"),
            QT_TRANSLATE_NOOP("TFormHistory", "Note")};
        return section >= 0 && section < TFormHistory::colCount ? Tr(names[section]) : QVariant();
    }
};

namespace {

class HistoryFilter : public QSortFilterProxyModel {
public:
    HistoryFilter(HistoryTableModel* model, QObject* parent)
        : QSortFilterProxyModel(parent), model_(model) {
        setSourceModel(model);
    }
    void SetVehicle(const QString& text) {
        vehicle_ = text.toStdString();
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex&) const override {
        return HistoryVehicleMatches(model_->Entries[row], vehicle_);
    }
    bool lessThan(const QModelIndex& l, const QModelIndex& r) const override {
        const HistoryEntry& a = model_->Entries[l.row()];
        const HistoryEntry& b = model_->Entries[r.row()];
        // Rows that are no reports, and on the date column reports whose
        // date cannot be read, stay last in either direction: 0 known,
        // 1 date unknown, 2 no report.
        const auto rank = [&](const HistoryEntry& e) {
            if (e.Problem != HistoryProblem::None)
                return 2;
            return l.column() == TFormHistory::colDate && !e.When ? 1 : 0;
        };
        const int ra = rank(a), rb = rank(b);
        if (ra != rb)
            return sortOrder() == Qt::AscendingOrder ? ra < rb : ra > rb;
        if (ra != 0)
            return a.Path < b.Path;
        // Equal cells keep the file names' order, so that readings saved
        // within the same second always list in the same order.
        int order = 0;
        switch (l.column()) {
        case TFormHistory::colDate:
            order = *a.When < *b.When ? -1 : *b.When < *a.When ? 1 : 0;
            break;
        case TFormHistory::colCylinders:
            order = a.Cylinders - b.Cylinders;
            break;
        case TFormHistory::colUnit:
            order = a.Report.Unit - b.Report.Unit;
            break;
        case TFormHistory::colWorst:
            order = FlagSeverity(a.Worst) - FlagSeverity(b.Worst);
            break;
        default:
            order = QString::localeAwareCompare(l.data().toString(), r.data().toString());
            break;
        }
        if (order != 0)
            return order < 0;
        return a.Path < b.Path;
    }

private:
    HistoryTableModel* model_;
    std::string vehicle_;
};

} // namespace

TFormHistory::TFormHistory(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormHistory"));
    setWindowTitle(tr("Report history"));
    resize(1080, 520);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("Folder:"), this));
    EditFolder = new QLineEdit(this);
    EditFolder->setObjectName(QStringLiteral("EditFolder"));
    EditFolder->setReadOnly(true);
    top->addWidget(EditFolder, 1);
    ButtonFolder = new QPushButton(tr("&Choose folder..."), this);
    ButtonFolder->setObjectName(QStringLiteral("ButtonFolder"));
    top->addWidget(ButtonFolder);
    CheckSubfolders = new QCheckBox(tr("Include &subfolders"), this);
    CheckSubfolders->setObjectName(QStringLiteral("CheckSubfolders"));
    top->addWidget(CheckSubfolders);
    layout->addLayout(top);

    auto* filter = new QHBoxLayout;
    auto* vehicleLabel = new QLabel(tr("&Vehicle / test piece:"), this);
    filter->addWidget(vehicleLabel);
    EditVehicle = new QLineEdit(this);
    EditVehicle->setObjectName(QStringLiteral("EditVehicle"));
    EditVehicle->setClearButtonEnabled(true);
    vehicleLabel->setBuddy(EditVehicle);
    filter->addWidget(EditVehicle, 1);
    layout->addLayout(filter);

    model_ = new HistoryTableModel(this);
    proxy_ = new HistoryFilter(model_, this);
    Table = new QTableView(this);
    Table->setObjectName(QStringLiteral("TableHistory"));
    Table->setModel(proxy_);
    Table->setSortingEnabled(true);
    Table->sortByColumn(colDate, Qt::AscendingOrder);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setStretchLastSection(true);
    Table->setWordWrap(false);
    layout->addWidget(Table, 1);

    auto* bottom = new QHBoxLayout;
    LabelStatus = new QLabel(this);
    LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
    LabelStatus->setTextFormat(Qt::PlainText);
    bottom->addWidget(LabelStatus, 1);
    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setVisible(false);
    bottom->addWidget(Progress);
    ButtonCancel = new QPushButton(tr("Cancel &listing"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setVisible(false);
    bottom->addWidget(ButtonCancel);
    ButtonOpen = new QPushButton(tr("&Open"), this);
    ButtonOpen->setObjectName(QStringLiteral("ButtonOpen"));
    bottom->addWidget(ButtonOpen);
    ButtonCompare = new QPushButton(tr("Co&mpare"), this);
    ButtonCompare->setObjectName(QStringLiteral("ButtonCompare"));
    bottom->addWidget(ButtonCompare);
    auto* close = new QPushButton(tr("&Close"), this);
    close->setObjectName(QStringLiteral("ButtonClose"));
    bottom->addWidget(close);
    layout->addLayout(bottom);
    // Enter in the table opens its row; no button takes it from there.
    for (QPushButton* b : {ButtonFolder, ButtonCancel, ButtonOpen, ButtonCompare, close})
        b->setAutoDefault(false);

    // The vehicle is what one looks for first.
    EditVehicle->setFocus();
    connect(ButtonFolder, &QPushButton::clicked, this, &TFormHistory::ChooseFolder);
    connect(CheckSubfolders, &QCheckBox::toggled, this, [this] {
        if (!folder_.empty())
            ListFolder(folder_);
    });
    connect(EditVehicle, &QLineEdit::textChanged, this, [this](const QString& text) {
        static_cast<HistoryFilter*>(proxy_)->SetVehicle(text);
        UpdateButtons();
    });
    connect(Table, &QTableView::activated, this, &TFormHistory::OpenCurrent);
    connect(ButtonOpen, &QPushButton::clicked, this, &TFormHistory::OpenCurrent);
    connect(ButtonCompare, &QPushButton::clicked, this, &TFormHistory::CompareSelected);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormHistory::CancelListing);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(Table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormHistory::UpdateButtons);
    UpdateButtons();
}

TFormHistory::~TFormHistory() {
    CancelListing();
}

void TFormHistory::CancelListing() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
    if (!finished_)
        Finish(generation_, false);
}

void TFormHistory::hideEvent(QHideEvent* event) {
    CancelListing();
    QDialog::hideEvent(event);
}

void TFormHistory::ListFolder(const std::string& folder) {
    CancelListing();
    folder_ = folder;
    ++generation_;
    model_->Clear();
    EditFolder->setText(PathFromCore(folder));
    Progress->setRange(0, 0);
    Progress->setVisible(true);
    ButtonCancel->setVisible(true);
    LabelStatus->setText(tr("Reading the folder..."));
    cancel_ = false;
    finished_ = false;
    HistoryOptions options;
    options.Subfolders = CheckSubfolders->isChecked();
    const unsigned generation = generation_;
    auto rules = std::make_shared<RuleSet>(rules_);
    // Rows reach the window through its event queue; a batch posted just
    // before the window goes away is dropped with the window's events.
    worker_ = std::thread([this, folder, options, generation, rules]() mutable {
        options.Rules = rules.get();
        const bool completed = ListReportHistory(
            folder, options,
            [this, generation](std::vector<HistoryEntry>&& batch, HistoryProgress progress) {
                auto rows = std::make_shared<std::vector<HistoryEntry>>(std::move(batch));
                QMetaObject::invokeMethod(
                    this,
                    [this, generation, rows, progress] { Deliver(generation, rows, progress); },
                    Qt::QueuedConnection);
            },
            &cancel_);
        QMetaObject::invokeMethod(
            this, [this, generation, completed] { Finish(generation, completed); },
            Qt::QueuedConnection);
    });
    UpdateButtons();
}

void TFormHistory::Deliver(unsigned generation, std::shared_ptr<std::vector<HistoryEntry>> batch,
                           HistoryProgress progress) {
    if (generation != generation_)
        return;
    const bool first = model_->Entries.empty();
    model_->Append(std::move(*batch));
    if (first)
        Table->resizeColumnsToContents();
    Progress->setRange(0, static_cast<int>(progress.Total));
    Progress->setValue(static_cast<int>(progress.Done));
    LabelStatus->setText(tr("%1 of %2 files read").arg(progress.Done).arg(progress.Total));
    UpdateButtons();
}

void TFormHistory::Finish(unsigned generation, bool completed) {
    if (generation != generation_ || finished_)
        return;
    finished_ = true;
    if (worker_.joinable() && std::this_thread::get_id() != worker_.get_id())
        worker_.join();
    Progress->setVisible(false);
    ButtonCancel->setVisible(false);
    std::size_t reports = 0;
    for (const HistoryEntry& e : model_->Entries)
        reports += e.Problem == HistoryProblem::None;
    const QString count =
        tr("%1 reports, %2 other files").arg(reports).arg(model_->Entries.size() - reports);
    LabelStatus->setText(completed ? count : tr("Listing cancelled: ") + count);
    UpdateButtons();
    emit ListingFinished();
}

void TFormHistory::ChooseFolder() {
    const QString chosen = QFileDialog::getExistingDirectory(
        this, tr("Report history"), EditFolder->text(), QFileDialog::DontUseNativeDialog);
    if (!chosen.isEmpty())
        ListFolder(PathToCore(chosen));
}

int TFormHistory::RowCount() const {
    return proxy_->rowCount();
}

const HistoryEntry& TFormHistory::EntryAt(int shownRow) const {
    return model_->Entries[proxy_->mapToSource(proxy_->index(shownRow, 0)).row()];
}

std::vector<int> TFormHistory::SelectedSourceRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : Table->selectionModel()->selectedRows())
        rows.push_back(proxy_->mapToSource(i).row());
    return rows;
}

void TFormHistory::OpenCurrent() {
    const QModelIndex current = Table->currentIndex();
    if (!current.isValid())
        return;
    const HistoryEntry& e = model_->Entries[proxy_->mapToSource(current).row()];
    if (e.Problem == HistoryProblem::None)
        emit OpenRequested(e.Path);
}

void TFormHistory::CompareSelected() {
    const std::vector<int> rows = SelectedSourceRows();
    if (rows.size() != 2)
        return;
    const HistoryEntry& a = model_->Entries[rows[0]];
    const HistoryEntry& b = model_->Entries[rows[1]];
    if (a.Problem == HistoryProblem::None && b.Problem == HistoryProblem::None)
        emit CompareRequested(a.Path, b.Path);
}

void TFormHistory::UpdateButtons() {
    const std::vector<int> rows = SelectedSourceRows();
    bool reports = !rows.empty();
    for (int r : rows)
        reports = reports && model_->Entries[r].Problem == HistoryProblem::None;
    ButtonOpen->setEnabled(reports && rows.size() == 1);
    ButtonCompare->setEnabled(reports && rows.size() == 2);
}
