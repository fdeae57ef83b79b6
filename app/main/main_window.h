// The main window: the one current report, the tester actions, the two
// charts with their 24 slot selectors, and the orderly start and close.
#pragma once

#include "app/main/slot_combo_box.h"
#include "report/report_model.h"
#include "settings/profile_text.h"
#include "settings/settings_file.h"

#include <QImage>
#include <QMainWindow>
#include <QStringList>

#include <array>
#include <memory>
#include <string>
#include <vector>

class BarChart;
class BarSeries;
class QDockWidget;
class TEvaluationPanel;
struct ReportPageData;
struct RuleSet;
struct EvaluationSettings;
class DeviceWatcher;
class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;
class TesterLink;
class TFreeBase;
class TFormCompare;
class TFormHistory;
class QMenu;
struct VersionStrings;

// Indexes into the main message table (ListBox1, filled in
// main_window.cpp); the table's order is fixed for the German module.
enum MessageIndex : int {
    msgWindowTitle = 0,          // "KALDORIAN GmbH | VRX-310 | electronic compression & ..."
    msgError = 1,                // "(error)"
    msgNotAvailable = 2,         // "(not available)"
    msgNoDeviceConnected = 3,    // "No VRX-310 device connected!"
    msgMeasuresRead = 4,         // "measures read"
    msgNoMeasuresAvailable = 5,  // "No measures available."
    msgErrorReadingDevice = 6,   // "Error reading VRX-310 device!"
    msgEraseUnreadMeasures = 7,  // "Measure values not read! Erase anyway?"
    msgMeasuresErased = 8,       // "measures erased"
    msgErasingFailed = 9,        // "Erasing measurements failed!"
    msgErrorOpeningFile = 10,    // "Error opening file!"
    msgReportSaved = 11,         // "report saved"
    msgReportNotSaved = 12,      // "The current report is not saved! Save now?"
    msgErrorSavingFile = 13,     // "Error saving file!"
    msgNoCarIdentification = 28, // "No car identification declared."
    msgNoOperatorName = 29,      // "No operator name declared. "
    msgSureToErase = 30,         // "Sure to erase device data?"
    msgReallyChangeSensor = 32,  // "Do you really want change sensor?  Last chance to abort!"
    msgCylinderCaption = 33,     // the printed page's "Cyl. no."
};

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    // Runs once all six windows exist: hands the shared objects to the
    // dialogs, looks for the tester and loads the company logo.
    void FinishStartup();
    // The dialogs' part of it alone, for dialogs made after the main window
    // was shown (FinishStartup skips those that do not exist yet).
    void ConnectDialogs();

    // Entry of the main message table (ListBox1); "" outside it. The first
    // backslash-n becomes a carriage return.
    QString MessageText(int index) const;
    // The printed report's table (ListBox2); "" outside it.
    QString PrintText(int index) const;

    // The report as every reader must see it: the fields the controls show
    // (CarID, Operator, DateandTime, Unit, both assignments) are taken from
    // the controls first. After changing those fields call ShowReport().
    MeasurementReport& Report();
    // Puts CarID, Operator, DateandTime, Unit and both assignments of the
    // report into the controls without raising their change handlers.
    void ShowReport();

    // Rebuilds both chart series from the report; both must be empty.
    void RefreshCharts();
    // Sizes the chart area and places selectors and number labels.
    void LayoutChartArea();
    // Empties both series (every caller of RefreshCharts but start-up).
    void ClearSeries();

    // Status bar panel 3: the last short outcome.
    void SetStatusText(const QString& text);
    QString StatusText(int panel) const;

    // Fills the operator selector from Operators(), nothing selected.
    void SetOperatorItems();

    // Enables or disables Read Device, Clear Measures and Change Sensor.
    void SetTesterActionsEnabled(bool enabled);

    // Opens the report file at path exactly as Open File does once it has
    // been chosen in the dialog (main_window_file.cpp).
    void OpenReportFile(const QString& path);
    // The same for a name as the file layer takes it (PathToCore), which
    // need not be valid in any character set.
    void OpenReportPath(const std::string& path);
    // The program's arguments (the program first): a single one that is no
    // option names a report to open; anything else is ignored.
    void OpenReportArgument(const QStringList& arguments);
    // The same, as ArgumentsToCore gives them.
    void OpenReportArgument(const std::vector<std::string>& arguments);
    TesterLink* Link() const { return testerLink_.get(); }
    SettingsFile* Settings() const { return settings_.get(); }
    CompanyDetails& Company() { return companyDetails_; }
    OperatorNames& Operators() { return operatorNames_; }
    const VersionStrings* Versions() const { return versionStrings_.get(); }

    // The 24 selectors: 0..11 compression positions 1..12, 12..23 leakage.
    const std::array<SlotComboBox*, 24>& Selectors() const { return selectors_; }
    // The number label under selector i (same order as Selectors()).
    QLabel* NumberLabel(int i) const { return numberLabels_[i]; }

    // Actions.
    QAction* ActionFileOpen = nullptr;
    QAction* ActionFileSave = nullptr;
    QAction* ActionFilePrint = nullptr;
    QAction* ActionExit = nullptr;
    QAction* ActionDeviceRead = nullptr;
    QAction* ActionDeviceClear = nullptr;
    QAction* ActionAutoClear = nullptr;
    QAction* ActionHelpAbout = nullptr;
    QAction* ActionSettingsCompany = nullptr;
    QAction* ActionSettingsNames = nullptr;
    QAction* ActionChangeSens = nullptr;

    // Panels and controls, by their form names.
    // The client area, inside the scroll area that is the central widget.
    QWidget* ClientArea = nullptr;
    QWidget* Panel1 = nullptr; // tool bar
    QWidget* Panel2 = nullptr; // left column
    QFrame* Panel6 = nullptr;  // chart area
    QWidget* Panel3 = nullptr; // compression part
    QWidget* Panel5 = nullptr; // leakage part
    std::array<QToolButton*, 6> SpeedButtons{};
    QGroupBox* PrinterOptions = nullptr;
    QCheckBox* CheckBox1 = nullptr; // automatic clearing
    QCheckBox* CheckBox2 = nullptr; // print the compression chart
    QCheckBox* CheckBox3 = nullptr; // print the leakage chart
    QCheckBox* CheckBox4 = nullptr; // print the logo (hidden)
    QCheckBox* SAYSCheckBox = nullptr;
    QLabel* LabelDeviceSN = nullptr;
    QLabel* LabelSensorSN = nullptr;
    QComboBox* ComboBoxUnit = nullptr;
    QComboBox* ComboBoxNames = nullptr;
    QLineEdit* LabeledEditCarID = nullptr;
    QWidget* PanelDateTime = nullptr;
    QLabel* LabelDateTime = nullptr;
    QLabel* Image3 = nullptr;
    QLabel* LabelCompression = nullptr;
    QLabel* LabelUnit = nullptr;
    QLabel* Label43 = nullptr;
    QLabel* LabelLeakage = nullptr;
    QLabel* LabelLeak = nullptr;
    QLabel* LabelCylinder1 = nullptr;
    QLabel* LabelCylinder2 = nullptr;
    QFrame* Bevel1 = nullptr;
    BarChart* DiagKomp = nullptr;
    BarChart* DiagLeak = nullptr;
    BarSeries* KompressSerie = nullptr;
    BarSeries* VerlustSerie = nullptr;
    QStringList ListBox1; // main message table
    QStringList ListBox2; // printed report table

    // The evaluation (main_window_evaluation.cpp): off by default, and then
    // the window is as it always was.
    QAction* ActionShowEvaluation = nullptr;
    QAction* ActionEvaluationRules = nullptr;
    QCheckBox* CheckBox5 = nullptr;        // print the evaluation block; shown with the panel
    QDockWidget* EvaluationDock = nullptr; // made when first shown
    TEvaluationPanel* EvaluationPanel = nullptr;
    // The rule set in use, as last read from the settings.
    const RuleSet& Rules() const { return *rules_; }
    // The report history and two tests compared (main_window_history.cpp):
    // the window and the comparison are created on first use.
    QAction* ActionFileHistory = nullptr;
    QAction* ActionFileCompare = nullptr;
    void ActionFileHistoryExecute();
    void ActionFileCompareExecute();
    TFormHistory* History() const { return history_; }
    TFormCompare* Comparison() const { return compare_; }
    // Compares two report files; a message when one cannot be opened.
    void CompareReportFiles(const std::string& first, const std::string& second);

    // The logo shown in Image3 (the default picture when none loads).
    const QImage& LogoPicture() const { return logo_; }

public slots:
    // Device-change notice: looks for the tester again.
    void DetectTester();

    void ActionFileOpenExecute();
    void ActionFileSaveExecute();
    void ActionFilePrintExecute();
    void ActionExitExecute();
    void ActionDeviceReadExecute();
    void ActionDeviceClearExecute();
    void ActionAutoClearExecute();
    void ActionHelpAboutExecute();
    void ActionSettingsCompanyExecute();
    void ActionSettingsNamesExecute();
    void ActionChangeSensExecute();

    void ActionShowEvaluationExecute();
    void ActionEvaluationRulesExecute();

    void ComboBoxCom1CloseUp();
    void ChangeSomethingAndSave();
    void ComboBoxUnitClick();
    void ComboBoxUnitChange();

signals:
    // The window is asking the tester (read, erase, detection) and shows the
    // wait cursor until the answers are in; emitted at the start of each ask.
    void TesterAsked();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreatePanel1();
    void CreatePanel2();
    void CreateChartArea();
    void CreateStatusBar();
    void FillMessageTables();
    void FormCreate();
    // Returns whether the window may close (the unsaved-report question).
    bool FormCloseQuery();
    // Whether the current report may go: an unsaved one asks "The current
    // report is not saved! Save now?"; Yes saves, No lets it go, Cancel
    // keeps it.
    bool MayReplaceReport();
    void FormDestroy();
    void Panel6Resize();
    void LayoutChartPart(QWidget* panel, BarChart* chart, int chartTop, int bottomMargin,
                         int firstSelector, QLabel* cylinderLabel, int cylinderBottom);
    // A list that takes the mouse wheel only while it has the keyboard
    // focus: a wheel turned over it on the way elsewhere must not change a
    // slot, the unit or the operator.
    void TakeWheelOnlyWithFocus(QComboBox* box);
    void SetAssignmentSelectors(const std::array<int, 12>& compression,
                                const std::array<int, 12>& leakage);
    void ShowLogo(const QImage& picture);

    // The evaluation (main_window_evaluation.cpp).
    void CreateEvaluation();
    void RestoreEvaluation(const EvaluationSettings& stored);
    void RereadRules();
    void SetEvaluationShown(bool shown);
    // Evaluates the report as the charts show it, fills the panel and marks
    // the charts; nothing while the panel is hidden.
    void UpdateEvaluation();
    // The values with the unit and the assignments the controls show.
    MeasurementReport ShownReport() const;
    // The page's evaluation block when CheckBox5 asks for it.
    void SetPageEvaluation(ReportPageData& data);

    // Report files (main_window_file.cpp): FreeBase1 is created with the
    // window and is active only during one open or save.
    void CreateFreeBase1();
    void DestroyFreeBase1();
    void CloseFreeBase1();
    bool SaveTheFile();
    // One local file dropped on the window opens as a report
    // (main_window_drop.cpp).
    void AcceptReportDrops();
    // Company details and operator names as the settings file holds them
    // now (main_window_dialogs.cpp).
    void RereadSharedSettings();
    // The company logo (main_window_dialogs.cpp).
    void LoadCompanyLogo(const std::string& path);

    void AddHistoryActions(QMenu* file);
    // Where the history starts and the file chosen to compare with
    // (main_window_file.cpp, beside the report dialogs).
    QString HistoryStartFolder() const;
    QString ChooseReportFileToOpen();
    TFormHistory* history_ = nullptr;
    TFormCompare* compare_ = nullptr;

    MeasurementReport report_;
    std::unique_ptr<SettingsFile> settings_;
    std::unique_ptr<TesterLink> testerLink_;
    CompanyDetails companyDetails_;
    OperatorNames operatorNames_;
    std::unique_ptr<VersionStrings> versionStrings_;
    TFreeBase* FreeBase1 = nullptr;
    DeviceWatcher* deviceWatcher_ = nullptr;
    std::array<SlotComboBox*, 24> selectors_{};
    std::array<QLabel*, 24> numberLabels_{};
    std::array<QLabel*, 4> statusPanels_{};
    QImage logo_;
    // What Image3 shows of logo_, so that an unchanged size is not scaled again.
    qint64 shownLogoKey_ = 0;
    QSize shownLogoSize_;
    std::unique_ptr<RuleSet> rules_;
    int widthBeforeEvaluation_ = 0;
};

extern TFormMain* FormMain;
