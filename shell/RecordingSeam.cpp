#include "shell/RecordingSeam.h"

std::atomic<int> g_recording{0};
WCHAR g_aviPath[MAX_PATH] = {};

void CloseAviWriter() {}
