// Examining and opening a picture file on a POSIX system.
#include "picture_file.h"

#include <fcntl.h>

FileIdentity identify(const char* path) {
    struct stat st {};
    if (stat(path, &st) != 0)
        return {};
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

int openPictureFile(const char* path) {
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come.
    return open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}
