// SPDX-License-Identifier: GPL-2.0-or-later

// A preloaded library that stands in for a crash in the middle of a large write: the Nth write
// (write, pwrite, copy_file_range) of at least WRITE_CUT_MIN bytes puts down only its first
// half, then the process is killed. With WRITE_CUT_APPEND=PATH that write instead first appends
// 100,000 bytes to PATH (another program changing the file) and then goes on as usual.
// WRITE_CUT_NTH picks the write (default 1).
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

long seen;

ssize_t (*real_write)(int, const void*, size_t);
ssize_t (*real_pwrite)(int, const void*, size_t, off_t);
ssize_t (*real_pwrite64)(int, const void*, size_t, off_t);
ssize_t (*real_copy)(int, off_t*, int, off_t*, size_t, unsigned int);

void resolve() {
    if (!real_write) real_write = reinterpret_cast<ssize_t (*)(int, const void*, size_t)>(dlsym(RTLD_NEXT, "write"));
    if (!real_pwrite)
        real_pwrite = reinterpret_cast<ssize_t (*)(int, const void*, size_t, off_t)>(dlsym(RTLD_NEXT, "pwrite"));
    if (!real_pwrite64)
        real_pwrite64 = reinterpret_cast<ssize_t (*)(int, const void*, size_t, off_t)>(dlsym(RTLD_NEXT, "pwrite64"));
    if (!real_copy)
        real_copy = reinterpret_cast<ssize_t (*)(int, off_t*, int, off_t*, size_t, unsigned int)>(
            dlsym(RTLD_NEXT, "copy_file_range"));
}

/* 0: go on; 1: cut this write in half and die; 2: the append was made, go on. */
int decide(size_t n) {
    const char* min = getenv("WRITE_CUT_MIN");
    if (!min || n < static_cast<size_t>(atol(min))) return 0;
    const char* nth = getenv("WRITE_CUT_NTH");
    if (++seen != (nth ? atol(nth) : 1)) return 0;
    const char* append = getenv("WRITE_CUT_APPEND");
    if (append) {
        static char block[100000];
        int fd = open(append, O_WRONLY | O_APPEND);
        if (fd >= 0) {
            resolve();
            real_write(fd, block, sizeof block);
            close(fd);
        }
        return 2;
    }
    return 1;
}

[[noreturn]] void die() {
    kill(getpid(), SIGKILL);
    for (;;) pause();
}

}  // namespace

extern "C" {

ssize_t write(int fd, const void* data, size_t n) {
    resolve();
    if (decide(n) == 1) {
        real_write(fd, data, n / 2);
        die();
    }
    return real_write(fd, data, n);
}

ssize_t pwrite(int fd, const void* data, size_t n, off_t at) {
    resolve();
    if (decide(n) == 1) {
        real_pwrite(fd, data, n / 2, at);
        die();
    }
    return real_pwrite(fd, data, n, at);
}

ssize_t pwrite64(int fd, const void* data, size_t n, off_t at) {
    resolve();
    if (decide(n) == 1) {
        real_pwrite64(fd, data, n / 2, at);
        die();
    }
    return real_pwrite64(fd, data, n, at);
}

ssize_t copy_file_range(int in, off_t* inAt, int out, off_t* outAt, size_t n, unsigned int flags) {
    resolve();
    if (decide(n) == 1) {
        real_copy(in, inAt, out, outAt, n / 2, flags);
        die();
    }
    return real_copy(in, inAt, out, outAt, n, flags);
}

}  // extern "C"
