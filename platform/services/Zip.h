// ZIP containers (libzip) for the office stand-ins: a package built in memory, and single
// entries read from a package on disk. Packages come from outside, so every read is bounded.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ms {

struct ZipEntry {
    std::string name; // path inside the package, '/'-separated, UTF-8
    std::string bytes;
};

// The package holding the entries in their order (deflated), or nothing when libzip fails.
std::optional<std::string> BuildZip(const std::vector<ZipEntry>& entries);

// The entry of that name from the package at `path` (UTF-8); nothing when the file is no
// readable package, has no such entry, or the entry is larger than maxBytes.
std::optional<std::string> ReadZipEntry(const std::string& path, const std::string& name,
                                        size_t maxBytes = 64u << 20);
// The names of every entry of the package, in its order; empty when it cannot be read.
std::vector<std::string> ListZip(const std::string& path);

} // namespace ms
