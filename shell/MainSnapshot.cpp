// The main window's snapshot compositor: the last frame the frame callback copied, with the
// finished live measurements, the guide shapes and the switched-on overlays burnt in, saved as
// a "Still_" picture in the picture folder, as the export picture "10000.bmp" or as a
// recording's first-frame picture; and the still hand-over that runs it for each still.
#include "shell/MicroscopeDlg.h"

#include "capture/AviRecorder.h"
#include "kit/RegistrySettings.h"
#include "kit/SaveFolders.h"
#include "shell/SnapshotNames.h"
#include "shell/SnapshotOverlays.h"

#include "capture/CaptureWnd.h"
#include "capture/GrabberCallbacks.h"
#include "capture/LiveShapes.h"
#include "measure/Units.h"

#include "platform/services/Sound.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/Format.h"
#include "platform/win/core/Time.h"
#include "platform/win/gdi/Gdi.h"
#include "res/TessaryResource.h"

#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>
#include <string>

WCHAR g_lastSnapshotPath[MAX_PATH] = {};
WCHAR g_zoomText[24] = {};
std::atomic<int> g_freezeRequest{0};

namespace {

// Frames larger than any capture size are taken for a damaged header.
constexpr LONG kMaxFrameSide = 16384;

// A frame as one packed DIB: the 40-byte header followed by the rows it describes.
struct FrameCopy {
    std::unique_ptr<BYTE[]> dib;
    DWORD size = 0;
    const BITMAPINFOHEADER& Header() const {
        return *reinterpret_cast<const BITMAPINFOHEADER*>(dib.get());
    }
    const BYTE* Rows() const { return dib.get() + sizeof(BITMAPINFOHEADER); }
    int Width() const { return Header().biWidth; }
    int Height() const { return Header().biHeight < 0 ? -Header().biHeight : Header().biHeight; }
};

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
bool CopyFrame(const BYTE* bits, DWORD byteSize, FrameCopy& out) {
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
std::u16string TargetPath(int mode, bool snapshotNamed) {
    switch (mode) {
    case 0:
        return snapshotNamed ? std::u16string(g_lastSnapshotPath) : std::u16string();
    case 1:
        return ms::ProgramDataDir() + u"/10000.bmp";
    case 2:
        return g_aviPath[0] ? ms::Format(u"%s%s", g_aviPath, u".bmp") : std::u16string();
    default:
        return {};
    }
}

// The picture folder's numbers, kept between stills; used on the UI thread only.
SnapshotNumbering& Numbering() {
    static SnapshotNumbering numbering;
    return numbering;
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

} // namespace

int CMicroscopeDlg::SaveSnapshot(int mode) {
    return SaveSnapshot(0, nullptr, 0, mode);
}

int CMicroscopeDlg::SaveSnapshot(double, BYTE* bits, DWORD byteSize, int mode) {
    if (g_freezeRequest.load() == 1) {
        // Live measuring asked for a frozen frame: this still becomes the picture measured on.
        FrameCopy frame;
        if (!CopyFrame(bits, byteSize, frame))
            return 0;
        m_frozenImage.reset();
        auto frozen = std::make_unique<CDibImage>(frame.dib.get(), frame.size, DIBIMAGE_TYPE_BMP);
        if (frozen->IsValid())
            m_frozenImage = std::move(frozen);
        g_freezeRequest = 0;
        return 0;
    }

    // A still request still pending when an export or a recording composes is dropped.
    g_snapshotRequest = 0;

    const SnapshotScan scan = Numbering().Scan(g_paths.pictureDir, g_imageFormat);
    for (int i = 0; i < scan.folders; ++i)
        AfxMessageBox(u"Picture Error", MB_OK);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    long long number = scan.highest + 1;
    bool named = BuildSnapshotName(g_lastSnapshotPath, MAX_PATH, g_paths.pictureDir, now, g_zoomText,
                                   number, g_imageFormat);

    FrameCopy frame;
    if (!CopyFrame(bits, byteSize, frame))
        return 0;
    const int width = g_captureWidth, height = g_captureHeight;
    if (width <= 0 || height <= 0 || width > kMaxFrameSide || height > kMaxFrameSide)
        return 0;

    HDC windowDc = ::GetDC(m_hWnd);
    HDC memDc = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = memDc ? CreateCompatibleBitmap(windowDc, width, height) : nullptr;
    bool written = false;
    if (bitmap) {
        HGDIOBJ oldBitmap = SelectObject(memDc, bitmap);
        SetStretchBltMode(memDc, COLORONCOLOR);
        // One to one; a frame of another size than the capture size keeps its top-left corner.
        StretchDIBits(memDc, 0, 0, frame.Width(), frame.Height(), 0, 0, frame.Width(),
                      frame.Height(), frame.Rows(),
                      reinterpret_cast<const BITMAPINFO*>(frame.dib.get()), DIB_RGB_COLORS,
                      SRCCOPY);
        frame.dib.reset();

        const double scale = PictureScale(width, height);
        DrawShapesOnPicture(memDc, scale, scale);
        DrawGuidesOnPicture(memDc, scale, scale);
        DrawScaleBar(CDC::FromHandle(memDc));
        SelectObject(memDc, oldBitmap);

        bool reserved = false;
        if (mode == 0 && named) {
            // A file of the chosen name appeared since the folder was last looked through:
            // look again and take the next free number. A folder's entries hold no number a
            // scan would count, hence the floor of the number tried.
            for (int attempt = 0; named && attempt < 16; ++attempt) {
                reserved = ReserveName(g_lastSnapshotPath);
                if (reserved || GetLastError() != ERROR_FILE_EXISTS)
                    break;
                Numbering().Forget();
                const long long highest = Numbering().Scan(g_paths.pictureDir, g_imageFormat).highest;
                number = highest >= number ? highest + 1 : number + 1;
                named = BuildSnapshotName(g_lastSnapshotPath, MAX_PATH, g_paths.pictureDir, now,
                                          g_zoomText, number, g_imageFormat);
            }
        }
        const std::u16string target =
            mode == 0 && !reserved ? std::u16string() : TargetPath(mode, named);
        if (!target.empty()) {
            CDibImage picture(0);
            if (picture.CreateFromBitmap(bitmap)) {
                if (mode == 0 && g_imageFormat != 1) {
                    picture.SetJpegLevel(90);
                    written = picture.SaveToFile(target.c_str(), DIBIMAGE_TYPE_JPG);
                } else {
                    written = picture.SaveToFile(target.c_str(), DIBIMAGE_TYPE_BMP);
                }
            }
        }
        if (reserved) {
            if (written)
                Numbering().Written(number);
            else
                DeleteFile(target.c_str()); // our own empty file, not a picture
        }
        DeleteObject(bitmap);
    }
    if (memDc)
        DeleteDC(memDc);
    ::ReleaseDC(m_hWnd, windowDc);

    if (mode < 0 || mode > 2)
        return bitmap ? 1 : 0;
    if (!written && mode == 0) {
        // The operator would otherwise believe the picture was taken.
        AfxMessageBox(ms::Format(u"%s\n%s", u"Picture Error", g_lastSnapshotPath).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
    }
    return written ? 1 : 0;
}

void CMicroscopeDlg::OnStillCaptured(WPARAM source) {
    // A hand-over still queued when the window shut down has no graph and no frame left.
    if (m_released)
        return;
    ms::CopyBounded(g_zoomText, 24, MagnificationText(24).GetString());
    const int saved = SaveSnapshot(0);
    if (saved) {
        if (m_listSnapshot)
            m_listSnapshot();
        if (g_recording.load() || source != 0)
            g_captureWnd.Restart();
        // The shutter sounds only for a picture that exists.
        if (g_snapshotPending.load() == 1)
            PlaySound(MAKEINTRESOURCE(IDR_SOUND_SHUTTER), g_hInstance, SND_RESOURCE | SND_ASYNC);
    }
}

void CMicroscopeDlg::DrawScaleBar(CDC* dc) {
    if (!dc)
        return;
    SnapshotOverlays overlays;
    overlays.width = g_captureWidth;
    overlays.height = g_captureHeight;
    // The switches the preview's popup toggles, as the live view draws them.
    const LiveViewSnapshot shown = g_liveView.Snapshot();
    overlays.crossLine = shown.showCrossLine;
    overlays.scaleBar = shown.showScaleBar;
    overlays.circleTemplate = shown.showCircleOverlay;
    // The scale the live view's overlays were last given, so the picture shows their ruler.
    overlays.liveScale = g_captureWnd.m_liveScale;
    overlays.zoomRate = g_captureWnd.m_liveZoom;
    overlays.unit = g_unitName;
    DrawSnapshotOverlays(dc->GetSafeHdc(), overlays);
}
