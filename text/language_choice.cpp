#include "text/language_choice.h"
#include "fileio/safe_file.h"

namespace {

bool IsFile(const std::string& path) {
    return safefile::PathExists(path) && !safefile::IsFolder(path);
}

std::string InFolder(const std::string& dir, const char* name) {
    if (dir.empty()) {
        return name;
    }
    const char last = dir.back();
    return (last == '/' || last == '\\') ? dir + name : dir + "/" + name;
}

} // namespace

LanguageChoice ChooseLanguage(const std::string& currentDir) {
    LanguageChoice choice;
    choice.German = IsFile(InFolder(currentDir, "VRX310_Application.DEU")) ||
                    IsFile(InFolder(currentDir, "VRX310_Application.deu"));
    if (choice.German) {
        choice.LocaleId = LocaleGerman;
        choice.Formats.DateSeparator = '.';
        choice.Formats.ShortDateFormat = "dd/mm/yyyy";
    } else {
        choice.LocaleId = LocaleEnglishUK;
        choice.Formats.DateSeparator = '-';
        choice.Formats.ShortDateFormat = "yyyy/mm/dd";
    }
    choice.Formats.LongTimeFormat = "hh:mm:ss";
    return choice;
}

std::string LocaleAbbrevName(unsigned localeId) {
    switch (localeId) {
    case LocaleGerman:
        return "DEU";
    case LocaleEnglishUK:
        return "ENG";
    default:
        return "";
    }
}

std::vector<std::string> ResourceModuleCandidates(const std::string& exePath, unsigned localeId) {
    const std::string language = LocaleAbbrevName(localeId);
    // Only the file name may hold the extension; both separators count so a
    // Windows path is handled the same everywhere.
    const size_t slash = exePath.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (language.empty() || nameStart >= exePath.size()) {
        return {};
    }
    const size_t dot = exePath.rfind('.');
    const std::string base =
        (dot == std::string::npos || dot < nameStart) ? exePath + "." : exePath.substr(0, dot + 1);
    std::vector<std::string> names{base.substr(nameStart) + language};
    if (language.size() > 2) {
        names.push_back(base.substr(nameStart) + language.substr(0, 2));
    }
    // Beside the program (the build tree, Windows), then in the installed
    // tree's private folder, where the package keeps its module.
    std::vector<std::string> candidates;
    const std::string folder = exePath.substr(0, nameStart);
    for (const std::string& name : names) {
        candidates.push_back(folder + name);
    }
    if (!folder.empty()) {
        const char sep = exePath[slash];
        for (const std::string& name : names) {
            candidates.push_back(folder + ".." + sep + "lib" + sep + "vrx310" + sep + name);
        }
    }
    return candidates;
}
