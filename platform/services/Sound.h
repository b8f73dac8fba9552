// PlaySound over ALSA (libasound): wave resources, files or memory images, played on a worker
// thread so that no call waits for the sound card. Without an audio device, and on the headless
// platform (QT_QPA_PLATFORM=offscreen, where tests run), nothing is heard and nothing waits;
// every call is recorded for tests (ServiceSeams.h).
#pragma once

#include "platform/win/WinTypes.h"

#define SND_SYNC 0x0000
#define SND_ASYNC 0x0001
#define SND_NODEFAULT 0x0002
#define SND_MEMORY 0x0004
#define SND_LOOP 0x0008
#define SND_NOSTOP 0x0010
#define SND_PURGE 0x0040
#define SND_NOWAIT 0x00002000L
#define SND_ALIAS 0x00010000L
#define SND_FILENAME 0x00020000L
#define SND_RESOURCE 0x00040004L

// `sound` names a WAVE resource (SND_RESOURCE: MAKEINTRESOURCE(id) or a name), a file
// (SND_FILENAME) or a memory image (SND_MEMORY); null stops the sound playing. A new sound
// stops the one playing. Returns FALSE when the sound cannot be found or is no PCM wave.
// SND_SYNC returns when the sound has played (at once without an audio device).
BOOL PlaySound(LPCWSTR sound, HMODULE module, DWORD flags);
