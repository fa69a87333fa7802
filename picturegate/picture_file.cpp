#include "picture_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Reads to the end of the file; the file may have grown since it was measured.
std::string readAll(int fd, std::size_t limit, const std::string& tooLarge,
                    std::vector<unsigned char>& bytes) {
    constexpr std::size_t chunk = 65536;
    for (;;) {
        const std::size_t had = bytes.size();
        if (had > limit)
            return tooLarge;
        bytes.resize(had + chunk);
        const ssize_t got = read(fd, bytes.data() + had, chunk);
        bytes.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
        if (got == 0)
            return "";
        if (got < 0 && errno != EINTR)
            return std::strerror(errno);
    }
}

} // namespace

FileIdentity identify(const char* path) {
    struct stat st {};
    if (stat(path, &st) != 0)
        return {};
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

std::string readPictureFile(const char* path, std::size_t limit, const std::string& tooLarge,
                            std::vector<unsigned char>& bytes) {
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    std::string refusal;
    struct stat st {};
    if (fstat(fd, &st) != 0)
        refusal = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        refusal = "not a regular file";
    else if (static_cast<unsigned long long>(st.st_size) > limit)
        refusal = tooLarge;
    else
        refusal = readAll(fd, limit, tooLarge, bytes);
    close(fd);
    if (!refusal.empty())
        bytes = {};
    return refusal;
}
