// ZTR image files: a 16-byte text header "#ZTR" kind width height (four
// decimal digits each) and the packed pixel rows exactly as in memory.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ztl_internal.h"

namespace {

constexpr int HEADER_SIZE = 16;
constexpr int PATH_SIZE = 256;  // including the terminating NUL
constexpr int MAX_DIMENSION = 9999;
const char EXTENSION[] = ".ztr";

// Writes all bytes, or returns false (errno tells why).
bool write_all(int fd, const unsigned char* data, long size) {
    while (size > 0) {
        ssize_t n = write(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= n;
    }
    return true;
}

// Rows of (width + 3) / 4 bytes, as the header promises, also for a view
// whose rows lie further apart in its parent.
bool write_rows(int fd, const ztl_image* image) {
    long row_bytes = (image->width + 3) / 4;
    if (row_bytes == image->bytes_per_line) return write_all(fd, image->pixels, row_bytes * image->height);
    for (int y = 0; y < image->height; ++y)
        if (!write_all(fd, image->pixels + static_cast<long>(y) * image->bytes_per_line, row_bytes)) return false;
    return true;
}

// Reads exactly size bytes, or returns false: errno tells why, or is ENODATA
// when the file simply ends too early.
bool read_all(int fd, unsigned char* data, long size) {
    while (size > 0) {
        ssize_t n = read(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = ENODATA;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// The file's path, or false (errno ENAMETOOLONG) when name + ".ztr" does not
// fit the path buffer.
bool make_path(const char* name, char* path) {
    size_t length = std::strlen(name);
    if (length + sizeof EXTENSION > PATH_SIZE) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(path, name, length);
    std::memcpy(path + length, EXTENSION, sizeof EXTENSION);
    return true;
}

}  // namespace

int ztl_image_save(const char* name, ztl_image* image) {
    char path[PATH_SIZE];
    if (name == nullptr || image == nullptr) return -1;
    if (!make_path(name, path)) {
        std::perror("open");
        return -1;
    }
    // The header has four digits per size; a larger image cannot be described.
    if (image->width < 0 || image->width > MAX_DIMENSION || image->height < 0 ||
        image->height > MAX_DIMENSION) {
        errno = EOVERFLOW;
        std::perror("write");
        return -1;
    }
    int fd = open(path, O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        std::perror("open");
        return -1;
    }
    char header[HEADER_SIZE + 1];
    std::snprintf(header, sizeof header, "#ZTR%04d%04d%04d", 1, image->width, image->height);
    bool written = write_all(fd, reinterpret_cast<const unsigned char*>(header), HEADER_SIZE);
    if (written) {
        // The window thread inverts pressed buttons on the screen meanwhile.
        std::lock_guard lock(ztl_mutex);
        written = write_rows(fd, image);
    }
    if (!written) {
        std::perror("write");
        close(fd);
        unlink(path);
        return -1;
    }
    close(fd);
    return 0;
}

ztl_image* ztl_image_load(const char* path) {
    if (path == nullptr) return nullptr;
    int fd = open(path, O_RDONLY);
    if (fd < 0) {
        std::perror("open");
        return nullptr;
    }
    unsigned char header[HEADER_SIZE + 1] = {};
    if (!read_all(fd, header, HEADER_SIZE)) {
        std::perror("read");
        close(fd);
        return nullptr;
    }
    int kind = 0, width = 0, height = 0;
    if (std::sscanf(reinterpret_cast<const char*>(header), "#ZTR%4d%4d%4d", &kind, &width, &height) != 3) {
        close(fd);
        return nullptr;
    }
    ztl_image* image = ztl_image_new(width, height, nullptr);
    if (image == nullptr) {
        close(fd);
        return nullptr;
    }
    if (!read_all(fd, image->pixels, static_cast<long>(image->bytes_per_line) * height)) {
        std::perror("read");
        close(fd);
        ztl_image_free(image);
        return nullptr;
    }
    close(fd);
    return image;
}
