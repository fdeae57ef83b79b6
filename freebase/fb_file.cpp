#include "freebase/fb_file.h"
#include "fileio/safe_file.h"

namespace fbfile {

bool Exists(const std::string& path) {
    return safefile::PathExists(path);
}

bool CreateEmpty(const std::string& path) {
    return safefile::CreateEmptyFile(path);
}

std::int64_t Size(const std::string& path) {
    return safefile::FileSize(path);
}

bool ReadAll(const std::string& path, safefile::ReadBuffer& out) {
    return safefile::ReadRegularFile(path, out, MaxFileBytes) == safefile::ReadStatus::Ok;
}

} // namespace fbfile
