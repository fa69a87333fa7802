// Reading a picture file whole, once.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <vector>

// Tells one version of a file from another: a file rewritten, replaced or reached through
// another working folder reads anew.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    bool operator==(const FileIdentity& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

// All zero when `path` cannot be examined.
FileIdentity identify(const char* path);

// A descriptor reading `path` as bytes, or -1 with errno set. This and `identify` are the
// system's own: picture_file_posix.cpp or picture_file_windows.cpp.
int openPictureFile(const char* path);

// Reads `path` into `bytes` when it is a regular file of at most `limit` bytes. Returns why it
// cannot, `tooLarge` for a larger file, or an empty string.
std::string readPictureFile(const char* path, std::size_t limit, const std::string& tooLarge,
                            std::vector<unsigned char>& bytes);
