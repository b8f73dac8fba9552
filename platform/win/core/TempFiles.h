// The temporary files the programs write beside a target and rename over it when complete,
// and the clean-up of those that a killed process left. Every temporary name is made here, so
// the clean-up knows each form:
//   "<name>.tmp-<pid>-<n>"            a file being replaced (settings, pictures, workbooks, DXF)
//   ".<name>.export-<pid>-<n>[.<ext>]" an export built up in several steps, hidden, with the
//                                     target's extension so that its writers choose its format
// and a temporary name of a temporary name ("...export-<pid>-<n>.xls.tmp-<pid>-<m>"). <pid> is
// the writing process; <n> counts within it. Only POSIX and the standard library are used, so
// the DXF library compiles this file in as well.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace ms {

// Whether a replacing write clears, once it is complete, the temporary files that killed
// writers left beside its target (Files.h's ReplacingFile).
enum class StaleTemps { RemoveOnCommit, Leave };

// "<path>.tmp-<pid>-<n>" with a new n.
std::string TempNameBeside(const std::string& path);
// "<folder>/.<name>.export-<pid>-<n>" plus ".<ext>" when the target's name has an extension.
std::string HiddenTempNameBeside(const std::string& path);
// A new, empty file under TempNameBeside(path) made with O_EXCL: its descriptor (the caller
// closes it) or -1 with errno set; its name in `tempName`.
int CreateTempBeside(const std::string& path, std::string& tempName, mode_t mode);

// The process that made `name` (a file name without folder) as a temporary name of the target
// file name `target`; 0 when `name` is no such name.
pid_t TempOwner(std::string_view name, std::string_view target);
// Removes the temporary files of `path` (any form above) whose process no longer runs. A file
// of a running process, this one included, may be in the middle of a write and stays.
void RemoveStaleTemps(const std::string& path);
// Removes from `folder` the temporary files "<name>.tmp-<pid>-<n>" (and their temporary names)
// whose target name `isTarget` accepts and whose process no longer runs: one look through the
// folder for the temporary files of many targets, such as the pictures of a still folder.
void RemoveStaleTempsIn(const std::string& folder,
                        const std::function<bool(std::string_view name)>& isTarget);

} // namespace ms
