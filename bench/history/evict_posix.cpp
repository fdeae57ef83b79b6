#include "bench/history/evict.h"

#include <fcntl.h>
#include <unistd.h>

bool EvictFromPageCache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Dirty pages are not dropped: write them out first.
    ::fsync(fd);
    const bool ok = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return ok;
}
