#include "shell/StillRoad.h"

#include "kit/ProgramPaths.h"
#include "kit/RegistrySettings.h"
#include "kit/SaveFolders.h"

#include "capture/AviRecorder.h"
#include "capture/CaptureWnd.h"
#include "capture/GrabberCallbacks.h"
#include "capture/LiveShapes.h"
#include "measure/Units.h"
#include "shell/SnapshotOverlays.h"

#include "platform/services/Sound.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/Time.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"
#include "res/TessaryResource.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>

namespace {

// Frames larger than any capture size are taken for a damaged header.
constexpr LONG kMaxFrameSide = 16384;

// Bytes of the rows a 24-bit header describes; 0 for a header that is no such frame.
size_t RowBytes(const BITMAPINFOHEADER& h) {
    const LONG height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    if (h.biBitCount != 24 || h.biCompression != BI_RGB || h.biWidth <= 0 ||
        h.biWidth > kMaxFrameSide || height <= 0 || height > kMaxFrameSide)
        return 0;
    const size_t stride = (static_cast<size_t>(h.biWidth) * 3 + 3) / 4 * 4;
    return stride * static_cast<size_t>(height);
}

// Copies g_frameInfo and the frame's rows, under g_frameLock so that the callback never
// changes or enlarges the buffer meanwhile. `bits` null or g_frameBuffer: the frame buffer as
// it is now; any other pointer: the caller's own rows, `byteSize` bytes. False when there is
// no frame, the rows are shorter than the header says, or memory cannot be had.
bool CopyFrame(const BYTE* bits, DWORD byteSize, StillFrame& out) {
    std::lock_guard lock(g_frameLock);
    const BITMAPINFOHEADER header = g_frameInfo;
    size_t available = byteSize;
    if (!bits || bits == g_frameBuffer) {
        bits = g_frameBuffer;
        available = g_frameBufferCapacity > 0 ? static_cast<size_t>(g_frameBufferCapacity) : 0;
    }
    const size_t rows = RowBytes(header);
    if (!bits || rows == 0 || available < rows)
        return false;
    out.size = static_cast<DWORD>(sizeof(BITMAPINFOHEADER) + rows);
    out.dib.reset(new (std::nothrow) BYTE[out.size]);
    if (!out.dib)
        return false;
    std::memcpy(out.dib.get(), &header, sizeof header);
    std::memcpy(out.dib.get() + sizeof header, bits, rows);
    return true;
}

bool UsableSide(int pixels) {
    return pixels > 0 && pixels <= kMaxFrameSide;
}

// Preview to picture coordinates, by the capture size.
double PictureScale(int width, int height) {
    if (width == 640 && height == 480)
        return 1.0;
    if (width == 1280 && (height == 960 || height == 1024))
        return 2.0;
    if (width == 320 && height == 240)
        return 0.5;
    return 2.5;
}

// Where a mode saves, "" for a mode that saves nothing or a name that does not fit.
std::u16string TargetPath(int mode, bool snapshotNamed, const WCHAR* snapshotPath) {
    switch (mode) {
    case 0:
        return snapshotNamed ? std::u16string(snapshotPath) : std::u16string();
    case 1:
        return ms::ProgramDataDir() + u"/10000.bmp";
    case 2:
        return g_aviPath[0] ? ms::Format(u"%s%s", g_aviPath, u".bmp") : std::u16string();
    default:
        return {};
    }
}

// Creates `path` empty, failing when anything of that name exists, so that a still never
// replaces a picture that appeared after the folder was looked through. The picture is then
// written over this empty file of our own.
bool ReserveName(const WCHAR* path) {
    HANDLE h =
        CreateFile(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

// The overlay switches the preview's popup toggles, as the live view draws them, and the ruler
// the live view's overlays were last given; the unit is the scene's own copy.
SnapshotOverlays StillOverlays(int width, int height) {
    SnapshotOverlays overlays;
    overlays.width = width;
    overlays.height = height;
    const LiveViewSnapshot shown = g_liveView.Snapshot();
    overlays.crossLine = shown.showCrossLine;
    overlays.scaleBar = shown.showScaleBar;
    overlays.circleTemplate = shown.showCircleOverlay;
    overlays.liveScale = g_captureWnd.m_liveScale;
    overlays.zoomRate = g_captureWnd.m_liveZoom;
    overlays.unit = nullptr;
    return overlays;
}

} // namespace

// A still on its way to its file.
struct StillRoad::Composed {
    bool composed = false; // a picture was made (or, handed over, is to be made)
    std::u16string path;   // the snapshot's name, for a failure's message
    StillTarget target;
    bool named = false; // a snapshot name that fits was built
    SYSTEMTIME now{};   // the time in the name
};

bool StillRoad::Freeze(BYTE* bits, DWORD byteSize) {
    StillFrame frame;
    if (!CopyFrame(bits, byteSize, frame))
        return false;
    m_state.frozen.reset();
    auto frozen = std::make_unique<CDibImage>(frame.dib.get(), frame.size, DIBIMAGE_TYPE_BMP);
    if (frozen->IsValid())
        m_state.frozen = std::move(frozen);
    m_state.freezeRequest = 0;
    return false;
}

// A file of the chosen name appeared since the folder was last looked through: look again and
// take the next free number. A folder's entries hold no number a scan would count, hence the
// floor of the number tried. True when the name is taken (an empty file of ours).
bool StillRoad::ReserveSnapshotName(const SYSTEMTIME& now, long long& number, bool& named) {
    WCHAR* path = m_state.lastSnapshotPath;
    bool reserved = false;
    for (int attempt = 0; named && attempt < 16; ++attempt) {
        reserved = ReserveName(path);
        if (reserved || GetLastError() != ERROR_FILE_EXISTS)
            break;
        m_numbering.Forget();
        const long long highest = m_numbering.Scan(g_paths.pictureDir, g_imageFormat).highest;
        number = highest >= number ? highest + 1 : number + 1;
        named = BuildSnapshotName(path, MAX_PATH, g_paths.pictureDir, now, m_state.zoomText, number,
                                  g_imageFormat);
    }
    // The name is taken: the next still counts on without looking through the folder.
    if (reserved)
        m_numbering.Written(g_paths.pictureDir, g_imageFormat, number);
    return reserved;
}

void StillRoad::WarmNumbering() {
    m_numbering.Warm(g_paths.pictureDir, g_imageFormat);
}

// What a still is composed from, taken on the UI thread as values: the frame handed over
// (`bits` as for Save), copies of the live lists, the drawing context and the overlays; and the
// snapshot name the folder's numbering gives. False when there is nothing to compose (a freeze,
// no frame, no capture size).
bool StillRoad::Take(BYTE* bits, DWORD byteSize, StillScene& scene, Composed& out) {
    // Live measuring asked for a frozen frame: this still becomes the picture measured on.
    if (m_state.freezeRequest.load() == 1)
        return Freeze(bits, byteSize);

    // A still request still pending when an export or a recording composes is dropped.
    g_snapshotRequest = 0;

    const SnapshotScan scan = m_numbering.Scan(g_paths.pictureDir, g_imageFormat);
    for (int i = 0; i < scan.folders; ++i)
        AfxMessageBox(u"Picture Error", MB_OK);
    GetLocalTime(&out.now);
    out.target.number = scan.highest + 1;
    out.target.folder = g_paths.pictureDir;
    out.target.format = g_imageFormat;
    out.named = BuildSnapshotName(m_state.lastSnapshotPath, MAX_PATH, g_paths.pictureDir, out.now,
                                  m_state.zoomText, out.target.number, g_imageFormat);

    if (!CopyFrame(bits, byteSize, scene.frame))
        return false;
    const int width = g_captureWidth, height = g_captureHeight;
    if (!UsableSide(width) || !UsableSide(height))
        return false;

    scene.width = width;
    scene.height = height;
    LiveListsCopy lists = CopyLiveLists();
    scene.shapes = std::move(lists.shapes);
    scene.guides = std::move(lists.guides);
    const double scale = PictureScale(width, height);
    scene.context = PictureDrawContext(scale, scale);
    scene.overlays = StillOverlays(width, height);
    scene.unit.assign(g_unitName, std::find(g_unitName, g_unitName + 12, u'\0'));
    out.path = m_state.lastSnapshotPath;
    return true;
}

// Where a composed still goes: for a snapshot the name taken in the picture folder (an empty
// file of ours), else the mode's own picture.
void StillRoad::Place(int mode, Composed& out) {
    if (mode == 0 && out.named) {
        out.target.reserved = ReserveSnapshotName(out.now, out.target.number, out.named);
        out.path = m_state.lastSnapshotPath;
    }
    out.target.path = mode == 0 && !out.target.reserved
                          ? std::u16string()
                          : TargetPath(mode, out.named, m_state.lastSnapshotPath);
    out.target.jpeg = mode == 0 && g_imageFormat != 1;
}

// After the write (or its failure): the taken name counted or given back, a snapshot's failure
// said. Save's result for `mode`.
int StillRoad::Finished(const Composed& still, bool written, int mode) {
    const StillTarget& target = still.target;
    if (target.reserved) {
        if (written)
            // The picture replaced our empty file.
            m_numbering.Written(target.folder.c_str(), target.format, target.number);
        else
            DeleteFile(target.path.c_str()); // our own empty file, not a picture
    }
    if (mode < 0 || mode > 2)
        return still.composed ? 1 : 0;
    if (!written && mode == 0) {
        // The operator would otherwise believe the picture was taken.
        AfxMessageBox(ms::Format(u"%s\n%s", u"Picture Error", still.path.c_str()).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
    }
    return written ? 1 : 0;
}

int StillRoad::Save(BYTE* bits, DWORD byteSize, int mode) {
    StillScene scene;
    Composed still;
    if (!Take(bits, byteSize, scene, still))
        return 0;
    HBITMAP bitmap = ComposeStill(scene);
    still.composed = bitmap != nullptr;
    if (!bitmap)
        return Finished(still, false, mode);
    Place(mode, still);
    const bool written = WriteStillPicture(bitmap, still.target.path, still.target.jpeg);
    DeleteObject(bitmap);
    return Finished(still, written, mode);
}

void StillRoad::Hand(WPARAM source, const CString& magnification) {
    ms::CopyBounded(m_state.zoomText, 24, magnification.GetString());
    // Only the values the still is made of are taken here, and its name; the still writer
    // composes, encodes and writes it, so that the UI thread keeps showing the preview.
    auto scene = std::make_unique<StillScene>();
    Composed still;
    if (!Take(nullptr, 0, *scene, still))
        return;
    still.composed = true;
    Place(0, still);
    if (still.target.path.empty()) {
        Finished(still, false, 0);
        return;
    }
    if (!m_writer)
        m_writer = std::make_unique<StillWriter>(m_window.m_hWnd, WM_APP_STILL_WRITTEN);
    StillWriter::Still job;
    job.scene = std::move(scene);
    job.target = still.target;
    job.source = source;
    job.shutter = g_snapshotPending.load() == 1;
    m_writer->Write(std::move(job));
}

void StillRoad::TakeWritten(bool shutDown) {
    if (!m_writer)
        return;
    for (const StillWriter::Still& job : m_writer->Take()) {
        Composed still;
        still.path = job.target.path;
        still.target = job.target;
        still.composed = true;
        if (!Finished(still, job.written, 0))
            continue;
        // The strip lists the picture just written, whatever stills followed it meanwhile.
        ms::CopyBounded(m_state.lastSnapshotPath, MAX_PATH, job.target.path.c_str());
        if (m_listSnapshot)
            m_listSnapshot();
        if (!shutDown && (g_recording.load() || job.source != 0))
            g_captureWnd.Restart();
        // The shutter sounds only for a picture that exists.
        if (job.shutter)
            PlaySound(MAKEINTRESOURCE(IDR_SOUND_SHUTTER), g_hInstance, SND_RESOURCE | SND_ASYNC);
    }
}

void StillRoad::Finish(bool shutDown) {
    if (!m_writer)
        return;
    m_writer->Wait();
    TakeWritten(shutDown);
}
