// The folders of a test process. Before main() runs, every test process gets a home of its
// own (configuration, data and runtime folders under it) and a program folder of its own that
// links the read-only things the programs load from the build (language files, help pages,
// pictures, libDxfIO.so) without copying them. Whatever the programs write beside themselves
// ("CapConfig.dat", "CalibrationIni.ini", the fonts, "folderpath.dat", "10000.bmp") therefore
// lands in the process's own folder, never in the build's bin/ that parallel tests share.
// Everything is removed when the process ends.
#pragma once

#include <filesystem>

namespace mstest {

// The process's home ($HOME); $XDG_CONFIG_HOME, $XDG_DATA_HOME and $XDG_RUNTIME_DIR lie in it.
std::filesystem::path Home();

// The build's program folder. Read only: a test never writes there.
std::filesystem::path BuildProgramDir();

enum class ProgramFiles {
    Linked, // the build's read-only files, linked
    None,   // an empty folder: a program without its language files or DXF library
};

// Makes a new program folder in the home and points $MS_PROGRAM_DIR at it, so a test (or a
// case of a fixture) starts without the files an earlier one wrote. Returns its path.
std::filesystem::path NewProgramDir(ProgramFiles files = ProgramFiles::Linked);

// For cases that need a folder nobody may write into: permissions do not stop root, which is
// how CI runs. Called as root, runs the current test again in a child process as an
// unprivileged user and returns true (the test then returns; a failing child fails it);
// otherwise returns false and the test goes on itself.
bool RerunUnprivileged();

} // namespace mstest
