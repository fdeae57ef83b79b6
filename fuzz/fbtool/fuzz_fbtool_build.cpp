// Arbitrary text as the JSON of "fbtool build". Whatever it holds, building
// neither crashes nor hangs; JSON that builds a database dumps to JSON that
// builds the same database again, and the saved file loads back to it.
#include "freebase/freebase.h"
#include "fuzz/fuzz_support.h"
#include "tools/fbtool/fbtool_json.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// A dump without its version and dates, which differ between databases
// made at different moments, and without the information text, of which
// only 31 bytes reach the file.
std::string Comparable(const std::string& dump) {
    const std::size_t tag = dump.find("\n  \"tag\"");
    const std::size_t created = dump.find("\n  \"created\"");
    const std::size_t entries = dump.find("\n  \"entries\"");
    Check(tag != std::string::npos && created != std::string::npos && entries != std::string::npos);
    return dump.substr(tag, created - tag) + dump.substr(entries);
}

// A fresh database at path filled from doc; false when doc describes none.
bool Build(TFreeBase& db, const std::string& path, const nlohmann::json& doc, int& version) {
    std::remove(path.c_str());
    db.SetFileName(path);
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    try {
        version = fbjson::ChosenVersion(doc, 0);
        if (!db.Open()) {
            return false;
        }
        db.SetSaveAsVersion(version == 1 ? TSaveAsVersion::Version1 : TSaveAsVersion::Version2);
        fbjson::FillDatabase(db, doc);
    } catch (const fbjson::BadInput&) {
        db.Abort();
        return false;
    } catch (const nlohmann::json::exception&) {
        db.Abort();
        return false;
    }
    return true;
}

} // namespace

// fbtool's own way: entries made while the text is parsed. Whatever the
// text, this neither crashes nor hangs.
void BuildWhileParsing(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::remove(path.c_str());
    TFreeBase db;
    db.SetFileName(path);
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    Check(db.Open());
    try {
        fbjson::BuildDatabase(db, {reinterpret_cast<const char*>(data), size}, 0);
    } catch (const fbjson::InvalidJson&) {
    } catch (const fbjson::BadInput&) {
    } catch (const nlohmann::json::exception&) {
    }
    db.Abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzScratchFile file("fuzz_fbtool_", ".fdb");
    const std::string& path = file.Path();
    BuildWhileParsing(path, data, size);
    const nlohmann::json doc = nlohmann::json::parse(data, data + size, nullptr, false);
    if (doc.is_discarded()) {
        return 0;
    }
    TFreeBase first;
    int version = 0;
    if (!Build(first, path, doc, version)) {
        std::remove(path.c_str());
        return 0;
    }
    const std::string dump = fbjson::DumpJson(first);
    first.Abort();

    // The dump builds the same database; this one is saved.
    const nlohmann::json again = nlohmann::json::parse(dump, nullptr, false);
    Check(!again.is_discarded());
    TFreeBase second;
    int secondVersion = 0;
    Check(Build(second, path, again, secondVersion));
    Check(Comparable(fbjson::DumpJson(second)) == Comparable(dump));
    const std::string info = second.GetDatabaseInfo();
    second.SetSaveAsVersion(version == 1 ? TSaveAsVersion::Version1 : TSaveAsVersion::Version2);
    second.Close();
    Check(second.LastError() == 0);

    TFreeBase loaded;
    loaded.SetFileName(path);
    loaded.SetOpenFlag(TFBOpenFlag::ReadOnly);
    Check(loaded.Open());
    Check(loaded.Version() == version);
    const std::string loadedInfo = loaded.GetDatabaseInfo();
    Check(loadedInfo.size() <= 31 && info.compare(0, loadedInfo.size(), loadedInfo) == 0);
    Check(Comparable(fbjson::DumpJson(loaded)) == Comparable(dump));
    loaded.Abort();
    std::remove(path.c_str());
    return 0;
}
