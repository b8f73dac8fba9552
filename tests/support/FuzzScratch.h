// Where the fuzz targets put the files they hand to the code under test: a memory file system
// when there is one, so that the writers' flushes to disk do not set the pace of a run.
#pragma once

#include <string>
#include <unistd.h>

namespace mstest {

// "<memory or temporary folder>/ms-fuzz-<name>-<pid><suffix>".
inline std::string FuzzScratch(const char* name, const char* suffix = "") {
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/ms-fuzz-" + name + "-" + std::to_string(::getpid()) + suffix;
}

} // namespace mstest
