// The AVI writer of a recording: 640x480 frames at 15 frames per second, Motion-JPEG when the
// Recorder Setting's "Compress" is ticked, uncompressed 24-bit frames otherwise.
//
// The file plays as long as the recording ran: frames are taken at the writer's pace by their
// sample times (the capture's clock), so a frame that comes before its 1/15 s slot is left out
// and a slot the camera missed repeats the last frame. A write that fails (a full disk) ends
// the writer at once: the frames written whole stay a finished, playable file, further frames
// are refused, and GetAviWriterError says why until the next open.
//
// The writer is opened on the user-interface thread before g_recording becomes 1, fed by the
// frame callback on the streaming thread, and closed after the capture graph has stopped and
// g_recording is 0 again. g_aviLock keeps the three apart all the same, so a frame that is
// being written when someone closes early finishes first, and a frame never reaches a writer
// that is gone. Frames come as the capture delivers them (bottom-up 24-bit rows, blue-green-
// red), which is how an uncompressed AVI stores them; the JPEG encoder reads them upright.
#pragma once

#include "platform/win/WinTypes.h"

#include <atomic>

constexpr int kAviWidth = 640;
constexpr int kAviHeight = 480;
constexpr double kAviFramesPerSecond = 15.0;

// 1 while a recording runs; the frame callback hands frames to the writer only then.
extern std::atomic<int> g_recording;
// Frames written since the record timer last counted a second.
extern std::atomic<int> g_recordFrameCount;
// The current recording: "<video folder>/YYYYMMDDhhmmss.avi". User-interface thread only.
extern WCHAR g_aviPath[MAX_PATH];

// Opens the writer on g_aviPath (replacing a file of that name) and writes the file's header.
// 1 when it is open; 0 when the file cannot be created or its header written (then no writer
// and no file exist, and GetAviWriterError says why).
int OpenAviWriter();
// Offers one frame of `width` x `height` from `rows` (`length` bytes, bottom-up 24-bit rows,
// each padded to 4 bytes) taken at `sampleTime` seconds. Returns the frames that went into
// the video: 0 for a frame before its slot, without a writer, after a failed write, for a
// frame of another size than the writer's and for a buffer shorter than its size says (never
// read past its end); more than 1 when missed slots repeated the last frame first.
// Streaming thread.
int WriteAviFrame(long length, const BYTE* rows, int width, int height, double sampleTime);
// Closes the writer (nothing happens without one) and gives the path of the recording's
// first-frame picture, "<g_aviPath>.bmp", in `thumbnail` (MAX_PATH characters; may be null).
// 1 when a writer was closed and its file holds a recording; 0 without a writer, and when a
// failed write left no frame (the file and its picture are removed then).
int CloseAviWriter(WCHAR* thumbnail);
// 1 while a writer exists (also after a failed write, until it is closed).
int IsAviWriterOpen();
// 1 when the last OpenAviWriter failed or the current writer stopped on a failed write or
// close, with the reason ("No space left on device") in `reason` (`count` characters).
int GetAviWriterError(WCHAR* reason, int count);
