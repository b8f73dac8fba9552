// Names of Wavenor's snapshots and recordings: the local date and time of the capture, to the
// second, in the capture's folder. Names never repeat: a second capture within the same second
// gets "_2", then "_3" and so on before the extension, so no saved file is overwritten; the
// suffix never holds "mp4" (the file list takes a name with "mp4" for a video).
#pragma once

#include "platform/win/WinTypes.h"

#include <string>

// "<folder>/YYYYMMDDhhmmss<ext>", or with the first free suffix. `extension` with its dot.
std::u16string NewCaptureName(const WCHAR* folder, const SYSTEMTIME& time, const WCHAR* extension);

// Whether a file exists and holds at least one byte: what makes a capture count.
bool IsNonEmptyFile(const WCHAR* path);

// Whether a file list item stands for a recording: its file name (after the last separator)
// holds "mp4", as the recording's companion picture "<video>.mp4.png" does.
bool IsVideoItem(const std::u16string& path);
// The recording of a video item: the item's path without its last four characters (".png").
std::u16string VideoOfItem(const std::u16string& path);
