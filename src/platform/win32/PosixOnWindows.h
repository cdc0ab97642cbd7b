// The few POSIX file calls and flags the portable layers use that the Windows C run-time lacks,
// mapped onto what it has. The Windows build includes this before every source file, so the
// portable code keeps one spelling for both systems.
#pragma once

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdint>

// A descriptor of the C run-time is not handed to child programs when opened with
// _O_NOINHERIT. No file here can be a FIFO or a terminal that an open would wait for or adopt.
#ifndef O_CLOEXEC
#define O_CLOEXEC _O_NOINHERIT
#endif
// The C run-time opens a descriptor in text mode unless told otherwise: CR LF is read as LF and
// a 0x1A byte ends the file, which would corrupt every image, scenario and log. POSIX knows only
// binary, so each access mode carries _O_BINARY and no open depends on how the program started.
#undef O_RDONLY
#define O_RDONLY (_O_RDONLY | _O_BINARY)
#undef O_WRONLY
#define O_WRONLY (_O_WRONLY | _O_BINARY)
#undef O_RDWR
#define O_RDWR (_O_RDWR | _O_BINARY)
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0
#endif
#ifndef S_ISSOCK
#define S_ISSOCK(mode) 0
#endif
#ifndef S_ISBLK
#define S_ISBLK(mode) 0
#endif
#ifndef F_GETFL
#define F_GETFL 3
#define F_SETFL 4
#endif

// Descriptor flags cannot be read or changed here; callers treat -1 as "leave them".
inline int fcntl(int, int, ...) {
  errno = ENOSYS;
  return -1;
}

// A read at an offset that moves no file position another thread relies on (PosixOnWindows.cpp).
ssize_t pread(int fd, void* buffer, size_t size, std::int64_t offset);
