// The workshop's evaluation rules: presets, each rule switchable and
// adjustable, the maker's data in a chosen unit, the leakage bands.
// Unreadable or contradictory values are refused with a message.
#pragma once

#include "evaluation/evaluation.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

class TFormRules : public QDialog {
    Q_OBJECT
public:
    explicit TFormRules(QWidget* parent = nullptr);

    // Shows rules; true (rules changed) when accepted.
    bool EditRules(RuleSet& rules);
    // The rules the dialog holds now; false (and the message shown) when a
    // value cannot be read or the set contradicts itself.
    bool Collect(RuleSet& rules);
    void Show(const RuleSet& rules);

    void accept() override;

    // The controls, for tests by their object names as well.
    QComboBox* ComboBoxPreset = nullptr;
    QLineEdit* EditName = nullptr;
    QCheckBox* CheckRelativeMin = nullptr;
    QLineEdit* EditRelativeMin = nullptr;
    QCheckBox* CheckRelativeSpread = nullptr;
    QLineEdit* EditRelativeSpread = nullptr;
    QComboBox* ComboBoxAbsoluteUnit = nullptr;
    QCheckBox* CheckAbsoluteMin = nullptr;
    QLineEdit* EditAbsoluteMin = nullptr;
    QCheckBox* CheckAbsoluteSpread = nullptr;
    QLineEdit* EditAbsoluteSpread = nullptr;
    QCheckBox* CheckLeakage = nullptr;
    QLineEdit* EditLeakageGood = nullptr;
    QLineEdit* EditLeakageAcceptable = nullptr;
    QLineEdit* EditLeakageBad = nullptr;
    QCheckBox* CheckHints = nullptr;

private:
    void ChoosePreset(int index);
    void ChangeUnit(int unit);
    void Refuse(const QString& text);

    int shownUnit_ = unitBar;
    QLabel* unitLabels_[2] = {}; // behind the maker's two figures
};
