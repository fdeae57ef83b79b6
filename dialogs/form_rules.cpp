#include "dialogs/form_rules.h"

#include "dialogs/form_msg.h"
#include "platform/window_style.h"
#include "platform/window_text.h"
#include "print/evaluation_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace {

QString Number(double v) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(v, 'g', 10);
}

// The locale's form first ("9,8" in German), the point form as well.
std::optional<double> ReadNumber(const QLineEdit* edit) {
    const QString text = edit->text().trimmed();
    bool ok = false;
    double v = QLocale().toDouble(text, &ok);
    if (!ok)
        v = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QLineEdit* NumberEdit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setFixedWidth(80);
    e->setAlignment(Qt::AlignRight);
    return e;
}

// A switch, its value and the unit behind it on one row.
QWidget* RuleRow(QWidget* parent, QCheckBox* check, QLineEdit* edit, const QString& unit,
                 QLabel** unitLabel = nullptr) {
    auto* row = new QWidget(parent);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(check, 1);
    h->addWidget(edit);
    auto* u = new QLabel(unit, row);
    u->setMinimumWidth(30);
    h->addWidget(u);
    if (unitLabel)
        *unitLabel = u;
    QObject::connect(check, &QCheckBox::toggled, edit, &QWidget::setEnabled);
    return row;
}

} // namespace

TFormRules::TFormRules(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormRules"));
    setWindowTitle(tr("Evaluation Rules"));
    setFont(WindowStyle::UiFont());
    auto* box = new QVBoxLayout(this);

    auto* top = new QFormLayout;
    ComboBoxPreset = new QComboBox(this);
    ComboBoxPreset->setObjectName(QStringLiteral("ComboBoxPreset"));
    ComboBoxPreset->addItems({tr("(choose a preset)"), RuleSetTitle(DefaultRules().Name),
                              RuleSetTitle(RelativeRules70().Name),
                              RuleSetTitle(MakerRules(unitBar).Name)});
    connect(ComboBoxPreset, &QComboBox::activated, this, &TFormRules::ChoosePreset);
    EditName = new QLineEdit(this);
    EditName->setObjectName(QStringLiteral("EditName"));
    EditName->setMaxLength(80);
    top->addRow(tr("Preset:"), ComboBoxPreset);
    top->addRow(tr("Name of the rule set:"), EditName);
    box->addLayout(top);

    auto* relative = new QGroupBox(tr("Compression, relative"), this);
    auto* rv = new QVBoxLayout(relative);
    CheckRelativeMin = new QCheckBox(tr("Lowest cylinder at least this share of the highest"));
    EditRelativeMin = NumberEdit(relative, "EditRelativeMin");
    rv->addWidget(RuleRow(relative, CheckRelativeMin, EditRelativeMin, QStringLiteral("%")));
    CheckRelativeSpread =
        new QCheckBox(tr("No cylinder more than this below the highest (else a warning)"));
    EditRelativeSpread = NumberEdit(relative, "EditRelativeSpread");
    rv->addWidget(RuleRow(relative, CheckRelativeSpread, EditRelativeSpread, QStringLiteral("%")));
    box->addWidget(relative);

    auto* maker = new QGroupBox(tr("Compression, engine maker's data (take precedence)"), this);
    auto* mv = new QVBoxLayout(maker);
    auto* unitRow = new QHBoxLayout;
    unitRow->addWidget(new QLabel(tr("Unit of the maker's data:"), maker));
    ComboBoxAbsoluteUnit = new QComboBox(maker);
    ComboBoxAbsoluteUnit->setObjectName(QStringLiteral("ComboBoxAbsoluteUnit"));
    ComboBoxAbsoluteUnit->addItems(
        {QStringLiteral("bar"), QStringLiteral("kPa"), QStringLiteral("psi")});
    connect(ComboBoxAbsoluteUnit, &QComboBox::currentIndexChanged, this, &TFormRules::ChangeUnit);
    unitRow->addWidget(ComboBoxAbsoluteUnit);
    unitRow->addStretch(1);
    mv->addLayout(unitRow);
    CheckAbsoluteMin = new QCheckBox(tr("Minimum compression (wear limit)"));
    EditAbsoluteMin = NumberEdit(maker, "EditAbsoluteMin");
    mv->addWidget(RuleRow(maker, CheckAbsoluteMin, EditAbsoluteMin, QString(), &unitLabels_[0]));
    CheckAbsoluteSpread = new QCheckBox(tr("Largest difference between cylinders"));
    EditAbsoluteSpread = NumberEdit(maker, "EditAbsoluteSpread");
    mv->addWidget(
        RuleRow(maker, CheckAbsoluteSpread, EditAbsoluteSpread, QString(), &unitLabels_[1]));
    box->addWidget(maker);

    auto* leak = new QGroupBox(tr("Leakage"), this);
    auto* lv = new QFormLayout(leak);
    CheckLeakage = new QCheckBox(tr("Judge the leakage by these limits"), leak);
    CheckLeakage->setObjectName(QStringLiteral("CheckLeakage"));
    EditLeakageGood = NumberEdit(leak, "EditLeakageGood");
    EditLeakageAcceptable = NumberEdit(leak, "EditLeakageAcceptable");
    EditLeakageBad = NumberEdit(leak, "EditLeakageBad");
    lv->addRow(CheckLeakage);
    lv->addRow(tr("Good up to (%):"), EditLeakageGood);
    lv->addRow(tr("Acceptable up to (%):"), EditLeakageAcceptable);
    lv->addRow(tr("Bad from (%):"), EditLeakageBad);
    for (QLineEdit* e : {EditLeakageGood, EditLeakageAcceptable, EditLeakageBad})
        connect(CheckLeakage, &QCheckBox::toggled, e, &QWidget::setEnabled);
    lv->addRow(new QLabel(
        tr("Leakage figures compare only on the same tester and reference pressure."), leak));
    box->addWidget(leak);

    CheckHints = new QCheckBox(tr("Show hints to possible causes (head gasket, rings, valve)"));
    CheckHints->setObjectName(QStringLiteral("CheckHints"));
    box->addWidget(CheckHints);

    CheckRelativeMin->setObjectName(QStringLiteral("CheckRelativeMin"));
    CheckRelativeSpread->setObjectName(QStringLiteral("CheckRelativeSpread"));
    CheckAbsoluteMin->setObjectName(QStringLiteral("CheckAbsoluteMin"));
    CheckAbsoluteSpread->setObjectName(QStringLiteral("CheckAbsoluteSpread"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFormRules::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFormRules::reject);
    box->addWidget(buttons);
}

void TFormRules::Show(const RuleSet& r) {
    EditName->setText(RuleSetTitle(r.Name));
    CheckRelativeMin->setChecked(r.RelativeMinOn);
    EditRelativeMin->setText(Number(r.RelativeMinPercent));
    CheckRelativeSpread->setChecked(r.RelativeSpreadOn);
    EditRelativeSpread->setText(Number(r.RelativeSpreadPercent));
    {
        const QSignalBlocker block(ComboBoxAbsoluteUnit);
        ComboBoxAbsoluteUnit->setCurrentIndex(r.AbsoluteUnit);
        shownUnit_ = r.AbsoluteUnit;
    }
    for (QLabel* l : unitLabels_)
        l->setText(ComboBoxAbsoluteUnit->currentText());
    CheckAbsoluteMin->setChecked(r.AbsoluteMinOn);
    EditAbsoluteMin->setText(Number(r.AbsoluteMin));
    CheckAbsoluteSpread->setChecked(r.AbsoluteSpreadOn);
    EditAbsoluteSpread->setText(Number(r.AbsoluteSpread));
    CheckLeakage->setChecked(r.LeakageOn);
    EditLeakageGood->setText(Number(r.LeakageGood));
    EditLeakageAcceptable->setText(Number(r.LeakageAcceptable));
    EditLeakageBad->setText(Number(r.LeakageBad));
    CheckHints->setChecked(r.HintsOn);
    for (QCheckBox* c : {CheckRelativeMin, CheckRelativeSpread, CheckAbsoluteMin,
                         CheckAbsoluteSpread, CheckLeakage})
        emit c->toggled(c->isChecked());
}

void TFormRules::ChoosePreset(int index) {
    if (index == 1)
        Show(DefaultRules());
    else if (index == 2)
        Show(RelativeRules70());
    else if (index == 3)
        Show(MakerRules(ComboBoxAbsoluteUnit->currentIndex()));
}

void TFormRules::ChangeUnit(int unit) {
    // The maker's figures follow the unit, so a change of unit keeps what
    // they say; a field that cannot be read stays as typed.
    const double factor = UnitsPerBar(unit) / UnitsPerBar(shownUnit_);
    const int decimals = unit == unitKPa ? 0 : unit == unitPsi ? 1 : 2;
    for (QLineEdit* e : {EditAbsoluteMin, EditAbsoluteSpread}) {
        if (const auto v = ReadNumber(e); v && factor > 0) {
            const double scale = std::pow(10.0, decimals);
            e->setText(Number(std::round(*v * factor * scale) / scale));
        }
    }
    shownUnit_ = unit;
    for (QLabel* l : unitLabels_)
        l->setText(ComboBoxAbsoluteUnit->currentText());
}

void TFormRules::Refuse(const QString& text) {
    if (FormMsg) {
        FormMsg->ShowMsg(text, mkWarning, btnOk, false);
        return;
    }
    QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool TFormRules::Collect(RuleSet& r) {
    r.Name = QToDisk(EditName->text().trimmed());
    for (const RuleSet& preset : {DefaultRules(), RelativeRules70(), MakerRules(unitBar)}) {
        if (EditName->text().trimmed() == RuleSetTitle(preset.Name))
            r.Name = preset.Name; // stored in the presets' own words, shown translated
    }
    struct Field {
        QLineEdit* Edit;
        double RuleSet::*Value;
        QString Caption;
    };
    const Field fields[] = {
        {EditRelativeMin, &RuleSet::RelativeMinPercent, CheckRelativeMin->text()},
        {EditRelativeSpread, &RuleSet::RelativeSpreadPercent, CheckRelativeSpread->text()},
        {EditAbsoluteMin, &RuleSet::AbsoluteMin, CheckAbsoluteMin->text()},
        {EditAbsoluteSpread, &RuleSet::AbsoluteSpread, CheckAbsoluteSpread->text()},
        {EditLeakageGood, &RuleSet::LeakageGood, tr("Good up to (%):")},
        {EditLeakageAcceptable, &RuleSet::LeakageAcceptable, tr("Acceptable up to (%):")},
        {EditLeakageBad, &RuleSet::LeakageBad, tr("Bad from (%):")},
    };
    for (const Field& f : fields) {
        const auto v = ReadNumber(f.Edit);
        if (!v) {
            Refuse(tr("Please enter a number for \"%1\".").arg(f.Caption));
            f.Edit->setFocus();
            return false;
        }
        r.*f.Value = *v;
    }
    r.RelativeMinOn = CheckRelativeMin->isChecked();
    r.RelativeSpreadOn = CheckRelativeSpread->isChecked();
    r.AbsoluteUnit = ComboBoxAbsoluteUnit->currentIndex();
    r.AbsoluteMinOn = CheckAbsoluteMin->isChecked();
    r.AbsoluteSpreadOn = CheckAbsoluteSpread->isChecked();
    r.LeakageOn = CheckLeakage->isChecked();
    r.HintsOn = CheckHints->isChecked();
    if (const RuleProblem problem = CheckRules(r); problem != RuleProblem::None) {
        Refuse(RuleProblemMessage(problem));
        return false;
    }
    return true;
}

void TFormRules::accept() {
    RuleSet r;
    if (Collect(r))
        QDialog::accept();
}

bool TFormRules::EditRules(RuleSet& rules) {
    Show(rules);
    ComboBoxPreset->setCurrentIndex(0);
    if (exec() != QDialog::Accepted)
        return false;
    RuleSet r;
    if (!Collect(r) || r == rules)
        return false;
    rules = r;
    return true;
}
