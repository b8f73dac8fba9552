// Test seams of the services: a record of every sound asked for and every program started,
// and scripted failures. On the headless platform sounds are not played and programs not
// started. ms::test::ResetSeams() (platform/win/window/TestSeams.h) forgets both.
#pragma once

#include "platform/win/WinTypes.h"

#include <string>
#include <vector>

namespace ms::test {

struct PlayedSound {
    std::u16string name; // "#181" for a numeric resource, the file or resource name, "" to stop
    DWORD flags = 0;
    std::size_t bytes = 0; // size of the wave found (0: none)
    bool ok = false;       // what PlaySound returned
};
const std::vector<PlayedSound>& PlayedSounds();

struct Launch {
    std::vector<std::u16string> argv; // what was (or would have been) started
    std::u16string directory;
};
const std::vector<Launch>& Launches();
// The next start fails as if the program could not be run.
void FailNextLaunch();
// Programs are started on the headless platform too, for a test whose program is a stand-in of
// its own (StartProgram only; waiting starts stay scripted).
void StartProgramsHeadless();
// The next start that waits for its program (RunProgram) ends with exit status `status`
// instead of 0.
void ExitNextLaunch(int status);

} // namespace ms::test
