#include "evaluation/rule_storage.h"

#include "settings/profile_text.h"
#include "settings/settings_file.h"

#include <charconv>
#include <optional>

namespace {

std::optional<double> ParseNumber(const std::optional<std::string>& text) {
    if (!text || text->empty())
        return std::nullopt;
    double v = 0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, v);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return v;
}

std::optional<bool> ParseSwitch(const std::optional<std::string>& text) {
    if (text && *text == "1")
        return true;
    if (text && *text == "0")
        return false;
    return std::nullopt;
}

std::string NumberText(double v) {
    char buf[64];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, ptr) : std::string("0");
}

// Key, value and switch of one rule; a rule falls back as a whole.
struct RuleKeys {
    const char* ValueKey;
    const char* SwitchKey;
    double RuleSet::*Value;
    bool RuleSet::*On;
};

constexpr RuleKeys Rules[] = {
    {"RelativeMin", "RelativeMinOn", &RuleSet::RelativeMinPercent, &RuleSet::RelativeMinOn},
    {"RelativeSpread", "RelativeSpreadOn", &RuleSet::RelativeSpreadPercent,
     &RuleSet::RelativeSpreadOn},
    {"AbsoluteMin", "AbsoluteMinOn", &RuleSet::AbsoluteMin, &RuleSet::AbsoluteMinOn},
    {"AbsoluteSpread", "AbsoluteSpreadOn", &RuleSet::AbsoluteSpread, &RuleSet::AbsoluteSpreadOn},
};
constexpr const char* LeakageKeys[] = {"LeakageGood", "LeakageAcceptable", "LeakageBad"};
constexpr double RuleSet::*LeakageValues[] = {&RuleSet::LeakageGood, &RuleSet::LeakageAcceptable,
                                              &RuleSet::LeakageBad};

// Applies one group of keys to r when every key present can be read and
// the result makes sense; otherwise r keeps the group's defaults.
class Reader {
public:
    explicit Reader(const ProfileText& text) : text_(text) {}

    std::optional<std::string> Text(const char* key) const {
        return text_.Value(EvaluationSection, key);
    }
    void Number(RuleSet& probe, const char* key, double RuleSet::*field) {
        const auto t = Text(key);
        const auto v = ParseNumber(t);
        if (v)
            probe.*field = *v;
        else if (t)
            ok_ = false;
    }
    void Switch(RuleSet& probe, const char* key, bool RuleSet::*field) {
        const auto t = Text(key);
        const auto v = ParseSwitch(t);
        if (v)
            probe.*field = *v;
        else if (t)
            ok_ = false;
    }
    bool Apply(RuleSet& r, const RuleSet& probe) {
        const bool take = ok_ && CheckRules(probe) == RuleProblem::None;
        if (take)
            r = probe;
        ok_ = true;
        return take;
    }

private:
    const ProfileText& text_;
    bool ok_ = true;
};

RuleSet FromText(const ProfileText& text) {
    RuleSet r = DefaultRules();
    Reader in(text);
    if (auto name = in.Text("Name"); name && name->find_first_not_of(" \t") != std::string::npos)
        r.Name = *name;
    // The relative pair together first, so that switching one off makes
    // room for the other; failing that, each on its own.
    RuleSet pair = r;
    for (int i = 0; i < 2; ++i) {
        in.Number(pair, Rules[i].ValueKey, Rules[i].Value);
        in.Switch(pair, Rules[i].SwitchKey, Rules[i].On);
    }
    if (!in.Apply(r, pair)) {
        for (int i = 0; i < 2; ++i) {
            RuleSet probe = r;
            in.Number(probe, Rules[i].ValueKey, Rules[i].Value);
            in.Switch(probe, Rules[i].SwitchKey, Rules[i].On);
            in.Apply(r, probe);
        }
    }

    // The maker's data go together with their unit.
    RuleSet maker = r;
    if (const auto t = in.Text("AbsoluteUnit")) {
        const auto unit = ParseNumber(t);
        maker.AbsoluteUnit =
            unit && (*unit == 0 || *unit == 1 || *unit == 2) ? static_cast<int>(*unit) : -1;
    }
    for (const RuleKeys& k : Rules) {
        if (k.Value == &RuleSet::AbsoluteMin || k.Value == &RuleSet::AbsoluteSpread) {
            in.Number(maker, k.ValueKey, k.Value);
            in.Switch(maker, k.SwitchKey, k.On);
        }
    }
    in.Apply(r, maker);

    RuleSet bands = r;
    for (int i = 0; i < 3; ++i)
        in.Number(bands, LeakageKeys[i], LeakageValues[i]);
    in.Switch(bands, "LeakageOn", &RuleSet::LeakageOn);
    in.Apply(r, bands);

    RuleSet hints = r;
    in.Switch(hints, "Hints", &RuleSet::HintsOn);
    in.Apply(r, hints);
    return r;
}

} // namespace

RuleSet ReadRules(const SettingsFile& settings) {
    RuleSet r = DefaultRules();
    settings.Inspect([&](const ProfileText& text) { r = FromText(text); });
    return r;
}

bool WriteRuleChanges(SettingsFile& settings, const RuleSet& before, const RuleSet& after) {
    auto change = [&](ProfileText& text) {
        auto set = [&](const char* key, const std::string& a, const std::string& b) {
            if (a != b)
                text.SetValue(EvaluationSection, key, b);
        };
        auto sw = [](bool on) { return std::string(on ? "1" : "0"); };
        set("Name", before.Name, after.Name);
        for (const RuleKeys& k : Rules) {
            set(k.SwitchKey, sw(before.*k.On), sw(after.*k.On));
            set(k.ValueKey, NumberText(before.*k.Value), NumberText(after.*k.Value));
        }
        set("AbsoluteUnit", std::to_string(before.AbsoluteUnit),
            std::to_string(after.AbsoluteUnit));
        set("LeakageOn", sw(before.LeakageOn), sw(after.LeakageOn));
        for (int i = 0; i < 3; ++i)
            set(LeakageKeys[i], NumberText(before.*LeakageValues[i]),
                NumberText(after.*LeakageValues[i]));
        set("Hints", sw(before.HintsOn), sw(after.HintsOn));
    };
    return settings.Edit(change);
}

EvaluationSettings ReadEvaluationSettings(const ProfileText& text) {
    const auto on = [&](const char* key) {
        const auto value = text.Value(EvaluationSection, key);
        return value && *value == "1";
    };
    EvaluationSettings values;
    values.Rules = FromText(text);
    values.Panel = on("Panel");
    values.PrintBlock = on("PrintBlock");
    return values;
}

bool WriteEvaluationSwitch(SettingsFile& settings, const char* key, bool on) {
    return settings.WriteString(EvaluationSection, key, on ? "1" : "0");
}
