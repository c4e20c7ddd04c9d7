#pragma once

#include <sys/types.h>

namespace modMain {

// The system calls of the file layer, reached through one table so that a test
// can make any of them fail where the system would not fail it on demand (for
// root, say), and see that every failure is told and cleaned up after.
struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*pread)(int fd, void* bytes, size_t size, off_t offset);
    ssize_t (*write)(int fd, const void* bytes, size_t size);
    int (*fsync)(int fd);
    int (*ftruncate)(int fd, off_t size);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*fchmod)(int fd, mode_t mode);
    ssize_t (*flistxattr)(int fd, char* names, size_t size);
    ssize_t (*fgetxattr)(int fd, const char* name, void* value, size_t size);
    int (*fsetxattr)(int fd, const char* name, const void* value, size_t size, int flags);
    int (*rename)(const char* from, const char* to);
    int (*close)(int fd);
};

// The table the file layer calls through; the system's own calls unless a test changed them.
SystemCalls& systemCalls();

}  // namespace modMain
