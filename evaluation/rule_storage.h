// The workshop's rule set in the settings file, section "Evaluation", and
// the window's two switches for it. A value that cannot be read or makes no
// sense falls back to the default of its rule.
#pragma once

#include "evaluation/evaluation.h"

class ProfileText;
class SettingsFile;

inline constexpr const char* EvaluationSection = "Evaluation";

RuleSet ReadRules(const SettingsFile& settings);
// Writes only the keys whose value differs between before (what the dialog
// showed) and after, in one write: another window's other changes stay.
bool WriteRuleChanges(SettingsFile& settings, const RuleSet& before, const RuleSet& after);

// The evaluation panel of the main window (key "Panel") and the block on the
// printed page (key "PrintBlock"); both off unless switched on (value 1).
// They are read with the rules, in ReadEvaluationSettings.
bool WriteEvaluationSwitch(SettingsFile& settings, const char* key, bool on);

// The rule set and both switches from a text already read, for the start-up,
// which reads the file once for everything.
struct EvaluationSettings {
    RuleSet Rules = DefaultRules();
    bool Panel = false;
    bool PrintBlock = false;
};
EvaluationSettings ReadEvaluationSettings(const ProfileText& text);
