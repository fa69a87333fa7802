#include "picture_file.h"

#include <sys/stat.h>
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

std::string readPictureFile(const char* path, std::size_t limit, const std::string& tooLarge,
                            std::vector<unsigned char>& bytes) {
    const int fd = openPictureFile(path);
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
