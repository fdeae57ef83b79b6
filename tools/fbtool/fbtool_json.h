// fbtool's JSON form of a database, shared by the tool and its fuzz target.
//
// Texts are byte strings; in JSON each byte is the character with the same
// code (0-255), so any byte survives the trip.
#pragma once

#include "freebase/freebase.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace fbjson {

// Thrown for input JSON that does not describe a database.
struct BadInput {
    std::string What;
};

// The whole active database as JSON text, ending in a line end. Written
// without recursion: a loaded file may nest very deeply.
std::string DumpJson(TFreeBase& db);

// The version the document asks for: versionOption when not 0, else its
// "version", else 2. Throws BadInput for anything but 1 or 2.
int ChosenVersion(const nlohmann::json& doc, int versionOption);

// Fills the active, empty database db from the document: "info", "tag" and
// the entries in the order given, duplicates included; no recursion.
// Throws BadInput (or a nlohmann::json exception) when the document does
// not describe a database; db then holds part of it.
void FillDatabase(TFreeBase& db, const nlohmann::json& doc);

// Thrown for text that is no JSON at all.
struct InvalidJson {
    std::string What;
};

// Fills the active, empty database db from JSON text as FillDatabase does,
// while the text is parsed: no document is held, only the entries open at
// the current depth, so memory stays near the database itself. An entry's
// "type" must come before its "children". Returns the version to save (as
// ChosenVersion). Throws InvalidJson, BadInput (or a nlohmann::json
// exception); db then holds part of the input.
int BuildDatabase(TFreeBase& db, std::string_view text, int versionOption);

} // namespace fbjson
