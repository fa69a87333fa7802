// Examining and opening a picture file on Windows.
#include "picture_file.h"

#include <fcntl.h>
#include <io.h>

FileIdentity identify(const char* path) {
    struct _stat64 st {};
    if (_stat64(path, &st) != 0)
        return {};
    // Windows keeps no inode numbers; the modification time is to the second.
    return {st.st_dev, st.st_ino, static_cast<off_t>(st.st_size), {st.st_mtime, 0}};
}

int openPictureFile(const char* path) {
    // In text mode a read stops at the first 0x1A byte, which any GIF may hold.
    return _open(path, _O_RDONLY | _O_BINARY);
}
