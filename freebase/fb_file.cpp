#include "freebase/fb_file.h"
#include "fileio/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fbfile {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool CreateEmpty(const std::string& path) {
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    return fd >= 0 && _close(fd) == 0;
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    return fd >= 0 && ::close(fd) == 0;
#endif
}

std::int64_t Size(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(st.st_size);
}

bool ReadAll(const std::string& path, std::vector<std::uint8_t>& out) {
    return safefile::ReadRegularFile(path, out, MaxFileBytes) == safefile::ReadStatus::Ok;
}

} // namespace fbfile
