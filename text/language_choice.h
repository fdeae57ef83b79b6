// The language choice made once at start-up: the German module is chosen by
// the presence of "VRX310_Application.DEU" (or ".deu") in the current folder.
#pragma once

#include "text/date_format.h"

#include <string>
#include <vector>

inline constexpr unsigned LocaleGerman = 1031;
inline constexpr unsigned LocaleEnglishUK = 2057;

struct LanguageChoice {
    unsigned LocaleId = LocaleEnglishUK;
    bool German = false;
    DateFormats Formats;
};

// File test in currentDir, then the matching locale and date formats.
LanguageChoice ChooseLanguage(const std::string& currentDir);

// Three-letter language name: 1031 "DEU", 2057 "ENG", others "".
std::string LocaleAbbrevName(unsigned localeId);

// Module file names to try, in order, for the program file exePath: the part
// after the file name's last '.' replaced by the language name, then by its
// first two letters. A file name without '.' counts as having an empty
// extension ("VRX310_Application" -> "VRX310_Application.DEU"); a '.' in a
// folder name never counts. First beside the program, then the same names in
// "../lib/vrx310" from the program's folder (an installed tree's private
// folder). Empty when the language name is empty.
std::vector<std::string> ResourceModuleCandidates(const std::string& exePath, unsigned localeId);
