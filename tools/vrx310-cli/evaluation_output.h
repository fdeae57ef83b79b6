// The evaluation on the command line: in "show", as a JSON object and as
// CSV columns after the report's own, and the options that choose it.
#pragma once

#include "evaluation/evaluation.h"

#include <nlohmann/json.hpp>

#include <string>

struct EvaluationChoice {
    bool On = true;
    RuleSet Rules = DefaultRules();
};

// "--no-evaluation" or "--rules FILE" at args[i] (i moves past FILE):
// true when taken. A rules file that cannot be read: status becomes
// exitFailure after the message.
bool TakeEvaluationOption(const std::vector<std::string>& args, std::size_t& i,
                          EvaluationChoice& choice, int& status);

// The flag's word for machines: "good", "acceptable", "warning", "check",
// "fault", "bad", or "" for no verdict.
std::string FlagKey(EvalFlag flag);

std::string EvaluationText(const Evaluation& e);
nlohmann::ordered_json EvaluationJson(const Evaluation& e);
// The added CSV header fields, and the fields of position p (0..11) but the
// last (the rule set's name, quoted by the CSV writer); each starts with a
// comma.
std::string EvaluationCsvHeader();
std::string EvaluationCsvFields(const Evaluation& e, int p);
