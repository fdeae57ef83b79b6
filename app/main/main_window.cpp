// The main window's frame: construction, start-up, device detection, the
// close query and the message tables.
#include "app/main/main_window.h"

#include "app/main/main_window_icons.h"
#include "chart/bar_chart.h"
#include "device/tester_link.h"
#include "dialogs/form_about.h"
#include "dialogs/form_change_sens.h"
#include "dialogs/form_company.h"
#include "dialogs/form_msg.h"
#include "dialogs/form_names.h"
#include "evaluation/evaluation.h"
#include "evaluation/rule_storage.h"
#include "platform/device_watcher.h"
#include "platform/screen_fit.h"
#include "platform/version_info.h"
#include "platform/wait_cursor.h"
#include "platform/window_style.h"
#include "platform/window_text.h"
#include "print/printed_texts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtMath>

#include <utility>

TFormMain* FormMain = nullptr;

namespace {

// Design sizes of the frame around the chart area.
constexpr int BorderWidth = 10;
constexpr int Panel1Height = 63;
constexpr int Panel2Width = 370;
constexpr int StatusWidths[4] = {230, 100, 40, 200};

// Panels keep the toolkit's face colour inside the red window, group by
// group, so that a disabled button's caption keeps its disabled colour.
void UseFaceColour(QWidget* w) {
    QPalette pal = w->palette();
    const QPalette face = QApplication::palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (auto role :
             {QPalette::Window, QPalette::WindowText, QPalette::Button, QPalette::ButtonText})
            pal.setColor(group, role, face.color(group, role));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

} // namespace

TFormMain::TFormMain(QWidget* parent) : QMainWindow(parent) {
    // Owned objects, before any control exists.
    settings_ = std::make_unique<SettingsFile>(SettingsFilePath());
    testerLink_ = std::make_unique<TesterLink>("AtUsbHid", [this](const std::string& message) {
        // The library's words are shown as they are, never as markup.
        QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                        DiskToQ(message), QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    });
    operatorNames_.clear();
    versionStrings_ = std::make_unique<VersionStrings>(std::string());
    CreateFreeBase1();

    setWindowTitle(QStringLiteral("KALDORIAN   VRX-310"));
    setWindowIcon(ProgramIcon());
    setMinimumSize(1150, 800);
    setMaximumSize(2100, 1200);
    resize(1150, 800);
    setFont(WindowStyle::FormFont());
    QPalette red = palette();
    red.setColor(QPalette::Window, WindowStyle::BrandRed());
    setPalette(red);
    setAutoFillBackground(true);

    FillMessageTables();
    CreateActions();
    CreateMenus();

    // The client area scrolls only on a screen smaller than the window's
    // minimum; there it keeps its designed size.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ClientScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    ClientArea = new QWidget(scroll);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    ClientArea->setContentsMargins(BorderWidth, BorderWidth, BorderWidth, BorderWidth);
    scroll->setWidget(ClientArea);
    setCentralWidget(scroll);
    ClientArea->installEventFilter(this);
    CreatePanel1();
    CreatePanel2();
    CreateChartArea();
    CreateStatusBar();
    CreateEvaluation();
    // The designed client size is what the minimum window leaves it.
    ensurePolished();
    layout()->activate();
    ClientArea->setMinimumSize(centralWidget()->size());

    deviceWatcher_ = new DeviceWatcher(this);
    connect(deviceWatcher_, &DeviceWatcher::DeviceChanged, this, &TFormMain::DetectTester);

    FormCreate();
}

TFormMain::~TFormMain() {
    FormDestroy();
}

void TFormMain::FillMessageTables() {
    // The texts the printed page shares with the command line.
    const PrintedTexts printed = PrintedReportTexts();
    ListBox1 = QStringList{
        tr("KALDORIAN GmbH | VRX-310 | electronic compression & leakage tester"),
        tr("(error)"),
        tr("(not available)"),
        tr("No VRX-310 device connected!"),
        tr("measures read"),
        tr("No measures available."),
        tr("Error reading VRX-310 device!"),
        tr("Measure values not read! Erase anyway?"),
        tr("measures erased"),
        tr("Erasing measurements failed!"),
        tr("Error opening file!"),
        tr("report saved"),
        tr("The current report is not saved! Save now?"),
        tr("Error saving file!"),
        tr("report printed"),
        tr("."),
        tr("Car identification:"),
        tr("Report date and time:"),
        tr("Compression pressure values"),
        tr("Cylinder "),
        tr("File:"),
        tr("(none)"),
        tr("Printed:"),
        tr("This service is executed by:"),
        tr("Measurement device information"),
        tr("Measurement device:"),
        tr("Device S/N:"),
        tr("Sensor S/N:"),
        tr("No car identification declared."),
        tr("No operator name declared. "),
        tr("Sure to erase device data?"),
        QString(),
        tr("Do you really want change sensor?  Last chance to abort!"),
        printed.CylinderCaption,
    };
    ListBox2 = QStringList(printed.ReportTexts.begin(), printed.ReportTexts.end());
}

QString TFormMain::MessageText(int index) const {
    std::vector<std::string> table;
    table.reserve(ListBox1.size());
    for (const QString& s : ListBox1)
        table.push_back(s.toStdString());
    return QString::fromStdString(::MessageText(table, index));
}

QString TFormMain::PrintText(int index) const {
    return index >= 0 && index < ListBox2.size() ? ListBox2[index] : QString();
}

void TFormMain::CreateActions() {
    struct ActionDef {
        QAction** action;
        const char* name;
        QString category;
        QString caption;
        int image;
        bool enabled;
        void (TFormMain::*handler)();
    };
    const ActionDef defs[] = {
        {&ActionFileOpen, "ActionFileOpen", tr("File"), tr("&Open File"), 6, true,
         &TFormMain::ActionFileOpenExecute},
        {&ActionFileSave, "ActionFileSave", tr("File"), tr("&Save File"), 8, false,
         &TFormMain::ActionFileSaveExecute},
        {&ActionFilePrint, "ActionFilePrint", tr("File"), tr("&Print Report"), 10, false,
         &TFormMain::ActionFilePrintExecute},
        {&ActionExit, "ActionExit", tr("File"), tr("E&xit Program"), 12, true,
         &TFormMain::ActionExitExecute},
        {&ActionDeviceRead, "ActionDeviceRead", tr("Device"), tr("&Read Device"), 0, true,
         &TFormMain::ActionDeviceReadExecute},
        {&ActionDeviceClear, "ActionDeviceClear", tr("Device"), tr("&Clear Measures"), 2, true,
         &TFormMain::ActionDeviceClearExecute},
        {&ActionAutoClear, "ActionAutoClear", tr("Device"), tr("&Clear measurements after reading"),
         4, true, nullptr},
        {&ActionHelpAbout, "ActionHelpAbout", tr("Help"), tr("A&bout..."), 18, true,
         &TFormMain::ActionHelpAboutExecute},
        {&ActionSettingsCompany, "ActionSettingsCompany", tr("Settings"), tr("&Company"), 14, true,
         &TFormMain::ActionSettingsCompanyExecute},
        {&ActionSettingsNames, "ActionSettingsNames", tr("Settings"), tr("&Names of operators"), 16,
         true, &TFormMain::ActionSettingsNamesExecute},
        {&ActionChangeSens, "ActionChangeSens", tr("Device"), tr("Change Sensor"), 20, true,
         &TFormMain::ActionChangeSensExecute},
    };
    for (const ActionDef& s : defs) {
        auto* a = new QAction(ImageListIcon(s.image), s.caption, this);
        a->setObjectName(QLatin1String(s.name));
        a->setProperty("category", s.category);
        a->setProperty("imageIndex", s.image);
        a->setEnabled(s.enabled);
        if (s.handler)
            connect(a, &QAction::triggered, this, s.handler);
        *s.action = a;
    }
    // The tick is the action's own state; menu and CheckBox1 both show it.
    ActionAutoClear->setCheckable(true);
    ActionAutoClear->setChecked(false);
    // The desktop's standard keys beside the menu accelerators; a disabled
    // action ignores its key as it ignores its button.
    const std::pair<QAction*, QKeySequence::StandardKey> keys[] = {
        {ActionFileOpen, QKeySequence::Open},
        {ActionFileSave, QKeySequence::Save},
        {ActionFilePrint, QKeySequence::Print},
        {ActionExit, QKeySequence::Quit},
    };
    for (const auto& [action, key] : keys) {
        action->setShortcuts(key);
        addAction(action);
    }
    // Desktops with a Windows key scheme know no quit key; Ctrl+Q all the same.
    if (ActionExit->shortcuts().isEmpty())
        ActionExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void TFormMain::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    UseFaceColour(bar);
    QMenu* file = bar->addMenu(tr("&File"));
    file->addAction(ActionFileOpen);
    file->addAction(ActionFileSave);
    file->addAction(ActionFilePrint);
    AddHistoryActions(file);
    file->addSeparator();
    file->addAction(ActionExit);
    QMenu* device = bar->addMenu(tr("&Device"));
    device->addAction(ActionDeviceRead);
    device->addAction(ActionDeviceClear);
    device->addSeparator();
    device->addAction(ActionAutoClear);
    device->addSeparator();
    device->addAction(ActionChangeSens);
    QMenu* settings = bar->addMenu(tr("&Settings"));
    settings->addAction(ActionSettingsCompany);
    settings->addAction(ActionSettingsNames);
    QMenu* help = bar->addMenu(tr("&Help"));
    help->addAction(ActionHelpAbout);
}

void TFormMain::CreatePanel1() {
    Panel1 = new QWidget(ClientArea);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->resize(Panel2Width, Panel1Height);
    UseFaceColour(Panel1);
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(4);

    QAction* bound[6] = {ActionDeviceRead, ActionDeviceClear, ActionFileOpen,
                         ActionFileSave,   ActionFilePrint,   ActionExit};
    constexpr int SpeedIconSide = 32;
    QList<int> pictures;
    for (QAction* a : bound)
        pictures << a->property("imageIndex").toInt();
    DecodeActionPicturesAhead(pictures, qCeil(SpeedIconSide * devicePixelRatioF()));
    for (int i = 0; i < 6; ++i) {
        // Bound by hand rather than as default action, so that the hint of
        // the button survives the action's enabling and disabling.
        auto* b = new QToolButton(Panel1);
        b->setObjectName(QStringLiteral("SpeedButton%1").arg(i + 1));
        QAction* a = bound[i];
        b->setIcon(a->icon());
        b->setText(a->iconText());
        b->setIconSize(QSize(SpeedIconSide, SpeedIconSide));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFixedHeight(Panel1Height - 6);
        b->setMinimumWidth(100);
        b->setEnabled(a->isEnabled());
        connect(b, &QToolButton::clicked, a, &QAction::trigger);
        connect(a, &QAction::enabledChanged, b, &QWidget::setEnabled);
        row->addWidget(b);
        SpeedButtons[i] = b;
    }
    SpeedButtons[0]->setToolTip(tr("Read out device measures."));
    SpeedButtons[1]->setToolTip(tr("Erase measures on device."));
    row->addStretch(1);

    PrinterOptions = new QGroupBox(tr("Printer Options"), Panel1);
    PrinterOptions->setObjectName(QStringLiteral("PanelPrinterOptions"));
    auto* opts = new QHBoxLayout(PrinterOptions);
    opts->setContentsMargins(8, 2, 8, 2);
    CheckBox2 = new QCheckBox(tr("Compression Chart"), PrinterOptions);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox3 = new QCheckBox(tr("Leakage Chart"), PrinterOptions);
    CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
    CheckBox4 = new QCheckBox(tr("Print Logo"), PrinterOptions);
    CheckBox4->setObjectName(QStringLiteral("CheckBox4"));
    CheckBox4->hide();
    opts->addWidget(CheckBox2);
    opts->addWidget(CheckBox3);
    opts->addWidget(CheckBox4);
    row->addWidget(PrinterOptions);
}

void TFormMain::CreatePanel2() {
    Panel2 = new QWidget(ClientArea);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->resize(Panel2Width, 600);
    UseFaceColour(Panel2);
    auto* col = new QVBoxLayout(Panel2);
    col->setContentsMargins(12, 10, 12, 10);
    col->setSpacing(4);

    auto caption = [this](const QString& text) {
        auto* l = new QLabel(text, Panel2);
        return l;
    };
    auto value = [this](const char* name) {
        auto* l = new QLabel(Panel2);
        l->setObjectName(QLatin1String(name));
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumHeight(20);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // A report's text that looks like markup must not be drawn as such
        // (a spoofed serial, an image that names a pipe).
        l->setTextFormat(Qt::PlainText);
        return l;
    };

    col->addWidget(caption(tr("Device S/N:")));
    LabelDeviceSN = value("LabelDeviceSN");
    col->addWidget(LabelDeviceSN);
    col->addWidget(caption(tr("Sensor S/N:")));
    LabelSensorSN = value("LabelSensorSN");
    col->addWidget(LabelSensorSN);
    col->addSpacing(8);

    auto* unitCaption = caption(tr("&Unit"));
    ComboBoxUnit = new QComboBox(Panel2);
    ComboBoxUnit->setObjectName(QStringLiteral("ComboBoxUnit"));
    TakeWheelOnlyWithFocus(ComboBoxUnit);
    ComboBoxUnit->addItems({QStringLiteral("bar"), QStringLiteral("kPa"), QStringLiteral("psi")});
    unitCaption->setBuddy(ComboBoxUnit);
    col->addWidget(unitCaption);
    col->addWidget(ComboBoxUnit);

    auto* namesCaption = caption(tr("&Name of operator"));
    ComboBoxNames = new QComboBox(Panel2);
    ComboBoxNames->setObjectName(QStringLiteral("ComboBoxNames"));
    TakeWheelOnlyWithFocus(ComboBoxNames);
    namesCaption->setBuddy(ComboBoxNames);
    col->addWidget(namesCaption);
    col->addWidget(ComboBoxNames);

    auto* carCaption = caption(tr("Vehicle / Test piece"));
    LabeledEditCarID = new QLineEdit(Panel2);
    LabeledEditCarID->setObjectName(QStringLiteral("LabeledEditCarID"));
    LabeledEditCarID->setToolTip(tr("Characteristics of the vehicle / test piece."));
    carCaption->setBuddy(LabeledEditCarID);
    col->addWidget(carCaption);
    col->addWidget(LabeledEditCarID);
    col->addSpacing(8);

    PanelDateTime = new QFrame(Panel2);
    PanelDateTime->setObjectName(QStringLiteral("PanelDateTime"));
    static_cast<QFrame*>(PanelDateTime)->setFrameShape(QFrame::StyledPanel);
    auto* dt = new QVBoxLayout(PanelDateTime);
    dt->setContentsMargins(6, 4, 6, 4);
    dt->addWidget(new QLabel(tr("Date and Time:"), PanelDateTime));
    LabelDateTime = new QLabel(PanelDateTime);
    LabelDateTime->setObjectName(QStringLiteral("LabelDateTime"));
    LabelDateTime->setTextFormat(Qt::PlainText);
    dt->addWidget(LabelDateTime);
    col->addWidget(PanelDateTime);
    col->addSpacing(8);

    CheckBox1 = new QCheckBox(ActionAutoClear->text(), Panel2);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    connect(CheckBox1, &QCheckBox::toggled, ActionAutoClear, &QAction::setChecked);
    connect(ActionAutoClear, &QAction::toggled, CheckBox1, &QCheckBox::setChecked);
    col->addWidget(CheckBox1);
    SAYSCheckBox = new QCheckBox(tr("Save what you see"), Panel2);
    SAYSCheckBox->setObjectName(QStringLiteral("SAYSCheckBox"));
    SAYSCheckBox->setToolTip(tr("Saves only the selected  Values."));
    col->addWidget(SAYSCheckBox);

    Image3 = new QLabel(Panel2);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setAlignment(Qt::AlignCenter);
    Image3->setMinimumSize(120, 80);
    Image3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    col->addWidget(Image3, 1);
    Image3->installEventFilter(this);

    connect(LabeledEditCarID, &QLineEdit::textEdited, this, &TFormMain::ChangeSomethingAndSave);
    // Programmatic changes are made under a signal blocker (ShowReport).
    connect(ComboBoxNames, &QComboBox::currentIndexChanged, this,
            &TFormMain::ChangeSomethingAndSave);
    // Choosing an item raises the click, then the change, in this order.
    connect(ComboBoxUnit, &QComboBox::activated, this, [this] {
        ComboBoxUnitClick();
        ComboBoxUnitChange();
    });
}

void TFormMain::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    UseFaceColour(bar);
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 4; ++i) {
        auto* l = new QLabel(bar);
        l->setFixedWidth(StatusWidths[i]);
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignCenter);
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        bar->addWidget(l);
        statusPanels_[i] = l;
    }
    // The language mark of the window texts.
    statusPanels_[2]->setText(tr("en"));
}

void TFormMain::SetStatusText(const QString& text) {
    statusPanels_[3]->setText(text);
}

QString TFormMain::StatusText(int panel) const {
    return panel >= 0 && panel < 4 ? statusPanels_[panel]->text() : QString();
}

void TFormMain::SetOperatorItems() {
    QSignalBlocker block(ComboBoxNames);
    ComboBoxNames->clear();
    // One insertion for the whole list: item by item, the selector measures
    // itself again after each.
    QStringList items;
    items.reserve(static_cast<qsizetype>(operatorNames_.size()));
    for (const std::string& name : operatorNames_)
        items.append(DiskToQ(name));
    ComboBoxNames->addItems(items);
}

void TFormMain::SetTesterActionsEnabled(bool enabled) {
    ActionDeviceRead->setEnabled(enabled);
    ActionDeviceClear->setEnabled(enabled);
    ActionChangeSens->setEnabled(enabled);
}

void TFormMain::FormCreate() {
    // 1. The 24 selectors show slot p at position p; no values yet.
    for (int i = 0; i < 24; ++i) {
        QSignalBlocker block(selectors_[i]);
        selectors_[i]->setCurrentIndex(i % 12 + 1);
    }
    report_.Reset();
    // 2. Flags and file name (Reset has cleared them).
    report_.ValuesRead = false;
    report_.Unsaved = false;
    report_.FileName.clear();
    // 3. Company details.
    // 4. Operators; the stored selection only when there is any name. The
    // file is read once for all of them.
    StartupSettings startup;
    EvaluationSettings evaluation;
    settings_->Inspect([&](const ProfileText& text) {
        startup = ReadStartupSettings(text);
        evaluation = ReadEvaluationSettings(text);
    });
    companyDetails_ = std::move(startup.Company);
    operatorNames_ = std::move(startup.Names);
    const MainWindowSettings stored = startup.Main;
    SetOperatorItems();
    if (ComboBoxNames->count() > 0) {
        QSignalBlocker block(ComboBoxNames);
        ComboBoxNames->setCurrentIndex(stored.LastUser);
    }
    // 5. Caption and the "(not available)" labels.
    setWindowTitle(MessageText(msgWindowTitle));
    LabelDateTime->setText(MessageText(msgNotAvailable));
    LabelDeviceSN->setText(MessageText(msgNotAvailable));
    LabelSensorSN->setText(MessageText(msgNotAvailable));
    // The evaluation panel when it was left shown (off: nothing changes).
    RestoreEvaluation(evaluation);
    // 6. Position as stored, unless that leaves the title bar off every
    // screen; a screen smaller than the window gets a scrolling window.
    ScreenFit::MoveToStoredPosition(this, QPoint(stored.X, stored.Y));
    const auto* scroll = static_cast<const QScrollArea*>(centralWidget());
    ScreenFit::FitIntoScreen(this, {scroll->verticalScrollBar()->sizeHint().width(),
                                    scroll->horizontalScrollBar()->sizeHint().height()});
    // 7.
    LayoutChartArea();
    // 8.
    {
        QSignalBlocker block(ComboBoxUnit);
        // A damaged entry outside 0..2 would hide every compression bar.
        ComboBoxUnit->setCurrentIndex(stored.Unit >= 0 && stored.Unit <= 2 ? stored.Unit : 0);
    }
    // 9. Copyright and version.
    statusPanels_[0]->setText(DiskToQ(GetVersionString(*versionStrings_, 4)));
    statusPanels_[1]->setText(QStringLiteral("V") + DiskToQ(GetVersionString(*versionStrings_, 2)));
    // 10.
    ActionAutoClear->setChecked(stored.AutoClear);
    // 11. The result only matters in FinishStartup.
    testerLink_->Open();
    // 12. Both series are still empty.
    RefreshCharts();
}

void TFormMain::FinishStartup() {
    ConnectDialogs();
    if (!testerLink_->Open()) {
        testerLink_->Close();
        SetTesterActionsEnabled(false);
    }
    LoadCompanyLogo(companyDetails_.VerzFirmenlogo);
}

void TFormMain::ConnectDialogs() {
    if (FormCompany)
        FormCompany->SetSettings(settings_.get());
    if (FormNames)
        FormNames->SetSettings(settings_.get());
    if (FormChangeSens) {
        FormChangeSens->SetSettings(settings_.get());
        FormChangeSens->SetTesterLink(testerLink_.get());
        FormChangeSens->OnTesterLost = [this] { SetTesterActionsEnabled(false); };
    }
    if (FormAbout)
        FormAbout->SetVersionStrings(versionStrings_.get());
    if (FormMsg)
        FormMsg->SetPlacementAnchor(this);
}

void TFormMain::DetectTester() {
    WaitCursor wait;
    emit TesterAsked();
    if (testerLink_->Open()) {
        SetTesterActionsEnabled(true);
        // Results ignored: a failed request keeps the block's old content.
        testerLink_->ReadDeviceInfo(report_.DeviceInfo);
        testerLink_->ReadSensorData(report_.Sensor);
        testerLink_->ReadDeviceStatus(report_.DeviceStatus);
        report_.ValuesRead = false;
    } else {
        QApplication::beep();
        testerLink_->Close();
        SetTesterActionsEnabled(false);
    }
}

bool TFormMain::FormCloseQuery() {
    return MayReplaceReport();
}

bool TFormMain::MayReplaceReport() {
    if (!report_.Unsaved)
        return true;
    const int answer =
        FormMsg->ShowMsg(MessageText(msgReportNotSaved), mkConfirmation, btnYesNo, true);
    if (answer == mrYes) {
        // As "&Save File": saved only when the file was really written.
        ActionFileSaveExecute();
        return !report_.Unsaved;
    }
    // Closing the question without a button keeps the report.
    return answer != mrCancel;
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    testerLink_->SendControlValue(0);
    testerLink_->Close();
    MainWindowSettings values;
    values.X = x();
    values.Y = y();
    values.Unit = ComboBoxUnit->currentIndex();
    values.AutoClear = ActionAutoClear->isChecked();
    values.LastUser = ComboBoxNames->currentIndex();
    WriteMainWindowSettings(*settings_, values);
    event->accept();
}

void TFormMain::FormDestroy() {
    DestroyFreeBase1();
    operatorNames_.clear();
    if (FormChangeSens) {
        FormChangeSens->SetTesterLink(nullptr);
        FormChangeSens->OnTesterLost = nullptr;
    }
    testerLink_.reset();
    settings_.reset();
    versionStrings_.reset();
}

void TFormMain::ActionExitExecute() {
    close();
}

void TFormMain::TakeWheelOnlyWithFocus(QComboBox* box) {
    // The default wheel focus would hand the list the focus first.
    box->setFocusPolicy(Qt::StrongFocus);
    box->installEventFilter(this);
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        auto* box = qobject_cast<QComboBox*>(watched);
        if (box && !box->hasFocus()) {
            // Ignored and not delivered: the wheel goes on to the parent.
            event->ignore();
            return true;
        }
    } else if (event->type() == QEvent::Resize) {
        if (watched == ClientArea)
            Panel6Resize();
        else if (watched == Image3)
            ShowLogo(logo_);
    } else if (event->type() == QEvent::Show && watched == Image3) {
        ShowLogo(logo_);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::ShowLogo(const QImage& picture) {
    if (&picture != &logo_)
        logo_ = picture;
    if (logo_.isNull() || Image3->width() <= 0 || Image3->height() <= 0) {
        Image3->clear();
        shownLogoKey_ = 0;
        return;
    }
    // A hidden box is sized by the window's first layout only as it shows:
    // its Show event brings the picture here again, scaled once for that size.
    if (!Image3->isVisible())
        return;
    const QSize box = Image3->size() - QSize(4, 4);
    const bool fits = logo_.width() <= box.width() && logo_.height() <= box.height();
    const QSize size = fits ? logo_.size() : logo_.size().scaled(box, Qt::KeepAspectRatio);
    // The same picture at the same size is shown already.
    if (logo_.cacheKey() == shownLogoKey_ && size == shownLogoSize_)
        return;
    const QImage shown =
        fits ? logo_ : logo_.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    Image3->setPixmap(QPixmap::fromImage(shown));
    shownLogoKey_ = logo_.cacheKey();
    shownLogoSize_ = size;
}

MeasurementReport& TFormMain::Report() {
    report_.CarID = QToDisk(LabeledEditCarID->text());
    report_.Operator = QToDisk(ComboBoxNames->currentText());
    report_.DateandTime = QToDisk(LabelDateTime->text());
    report_.Unit = ComboBoxUnit->currentIndex();
    for (int p = 0; p < 12; ++p) {
        report_.CompressionAssignment[p] = selectors_[p]->currentIndex();
        report_.LeakageAssignment[p] = selectors_[12 + p]->currentIndex();
    }
    return report_;
}

void TFormMain::SetAssignmentSelectors(const std::array<int, 12>& compression,
                                       const std::array<int, 12>& leakage) {
    for (int p = 0; p < 12; ++p) {
        QSignalBlocker a(selectors_[p]);
        QSignalBlocker b(selectors_[12 + p]);
        // Values outside 0..12 leave the selector without a selection.
        selectors_[p]->setCurrentIndex(compression[p] >= 0 && compression[p] <= 12 ? compression[p]
                                                                                   : -1);
        selectors_[12 + p]->setCurrentIndex(leakage[p] >= 0 && leakage[p] <= 12 ? leakage[p] : -1);
    }
}

void TFormMain::ShowReport() {
    {
        QSignalBlocker block(LabeledEditCarID);
        LabeledEditCarID->setText(DiskToQ(report_.CarID));
    }
    {
        // The last item of that name, as opening a report searches.
        QSignalBlocker block(ComboBoxNames);
        const QString name = DiskToQ(report_.Operator);
        int found = -1;
        for (int i = ComboBoxNames->count() - 1; i >= 0 && found < 0; --i)
            if (ComboBoxNames->itemText(i) == name)
                found = i;
        ComboBoxNames->setCurrentIndex(found);
    }
    LabelDateTime->setText(DiskToQ(report_.DateandTime));
    {
        QSignalBlocker block(ComboBoxUnit);
        ComboBoxUnit->setCurrentIndex(report_.Unit >= 0 && report_.Unit <= 2 ? report_.Unit : -1);
    }
    SetAssignmentSelectors(report_.CompressionAssignment, report_.LeakageAssignment);
}
