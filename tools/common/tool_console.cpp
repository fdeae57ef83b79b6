// Standard input and output as the tools' "-" file, the same on every
// platform once UseBinaryOutput has run.
#include "tools/common/tool_console.h"

#include <cerrno>
#include <cstdio>
#include <new>

namespace toolconsole {

namespace {

template <typename Buffer>
safefile::ReadStatus ReadStandardInput(Buffer& out, std::uint64_t maxBytes) {
    out.clear();
    constexpr std::size_t Chunk = 64 * 1024;
    try {
        for (;;) {
            const std::size_t got = out.size();
            // One byte beyond the bound tells a pipe that is too long.
            const std::uint64_t room = maxBytes + 1 - got;
            const std::size_t want = room < Chunk ? static_cast<std::size_t>(room) : Chunk;
            out.resize(got + want);
            const std::size_t n = std::fread(&out[got], 1, want, stdin);
            out.resize(got + n);
            if (out.size() > maxBytes) {
                out.clear();
                return safefile::ReadStatus::TooLarge;
            }
            if (n < want) {
                if (std::ferror(stdin)) {
                    out.clear();
                    return safefile::ReadStatus::Failed;
                }
                return safefile::ReadStatus::Ok;
            }
        }
    } catch (const std::bad_alloc&) {
        out.clear();
        return safefile::ReadStatus::Failed;
    }
}

} // namespace

safefile::ReadStatus ReadInput(const std::string& path, std::string& out, std::uint64_t maxBytes) {
    return IsStandardStream(path) ? ReadStandardInput(out, maxBytes)
                                  : safefile::ReadRegularFile(path, out, maxBytes);
}

safefile::ReadStatus ReadInput(const std::string& path, std::vector<std::uint8_t>& out,
                               std::uint64_t maxBytes) {
    return IsStandardStream(path) ? ReadStandardInput(out, maxBytes)
                                  : safefile::ReadRegularFile(path, out, maxBytes);
}

bool WriteOutput(const std::string& path, const std::string& content, int& error) {
    if (IsStandardStream(path)) {
        errno = 0;
        const bool ok = std::fwrite(content.data(), 1, content.size(), stdout) == content.size() &&
                        std::fflush(stdout) == 0;
        error = ok ? 0 : errno;
        return ok;
    }
    safefile::FileReplacer out;
    if (out.Begin(path) && out.Write(content) && out.Commit()) {
        error = 0;
        return true;
    }
    error = out.Error();
    return false;
}

} // namespace toolconsole
