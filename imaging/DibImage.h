// CDibImage: the picture of both programs. One heap block holds a packed device-independent
// bitmap (BITMAPINFOHEADER, palette, rows bottom row first, each padded to 4 bytes); beside it
// an attribute block, and optionally a selection mask, an alpha channel and layers.
//
// Coordinates: x counts from the left, y counts stored rows from the bottom of the picture.
// Failures return false or NULL and leave a text in GetLastErrorText(); nothing is shown.
// An image is used by one thread at a time; images share no state.
//
// Variants (compile definitions, set PUBLIC by the library target):
//   DIBIMAGE_DETECTION    Tessary's image: the work members of the detection methods.
//   DIBIMAGE_SUPPORT_PNG  Wavenor's image: the PNG format slot.
#pragma once

#include <cstdio>

#include "imaging/DibFile.h"
#include "platform/win/WinTypes.h"
#include "platform/win/core/TempFiles.h" // StaleTemps

constexpr DWORD DIBIMAGE_TYPE_UNKNOWN = 0;
constexpr DWORD DIBIMAGE_TYPE_BMP = 1;
constexpr DWORD DIBIMAGE_TYPE_JPG = 3;
#ifdef DIBIMAGE_SUPPORT_PNG
constexpr DWORD DIBIMAGE_TYPE_PNG = 4;
constexpr int DIBIMAGE_FORMAT_SLOTS = 4;
#else
constexpr int DIBIMAGE_FORMAT_SLOTS = 3;
#endif

// Largest pixel data Create accepts, in bytes.
constexpr unsigned long long DIBIMAGE_MAX_MEMORY = 268435456ull;

class CDibImage;

struct CDibImageInfo {
    DWORD rowStride;        // bytes per pixel row
    BYTE* bits;             // first pixel row inside the DIB block
    CDibImage* sharedOwner; // non-NULL: this image is a shared view of that one
    CDibImage* parent;      // the image that holds this one as a layer
    DWORD type;             // DIBIMAGE_TYPE_*
    char lastError[256];
    long progress;
    long escape;      // 0 run; nonzero stop early; -1 decoders read size and type only
    long keyIndex;    // transparent / background palette index, -1 none
    RGBQUAD keyColor; // background colour of true-colour images
    float jpegQuality;
    BYTE jpegScale; // scale denominator for JPEG decoding
    long dpiX;
    long dpiY;
    RECT selectionBox; // half-open: left <= x < right, bottom <= y < top
    BYTE alphaMax;
    bool paletteAlphaEnabled;
    bool enabled;
    long offsetX;
    long offsetY;
    DWORD codecOptions[DIBIMAGE_FORMAT_SLOTS];
    RGBQUAD nearestColor; // nearest-colour cache
    BYTE nearestIndex;
    bool nearestValid;
    long layerCount;
    DWORD flags;
    bool littleEndianHost;
};

class CDibImage {
public:
    // ---- construction (DibImage.cpp; the loading constructors in DibImageIO.cpp)
    explicit CDibImage(DWORD type = 0);
    CDibImage(DWORD width, DWORD height, DWORD bpp, DWORD type = 0);
    CDibImage(const CDibImage& src, bool copyPixels = true, bool copySelection = true,
              bool copyAlpha = true);
    CDibImage(const WCHAR* path, DWORD type);
    // Decodes from the caller's block; the block is neither owned nor copied.
    CDibImage(BYTE* buffer, DWORD size, DWORD type);
    CDibImage(FILE* stream, DWORD type);
    CDibImage(CDibFile* file, DWORD type);
    virtual ~CDibImage();
    CDibImage& operator=(const CDibImage& src);

    // Returns the DIB block, or NULL (the last error says why). New pixel rows are zero.
    void* Create(DWORD width, DWORD height, DWORD bpp, DWORD type = 0);
    bool Destroy();
    void Copy(const CDibImage& src, bool copyPixels = true, bool copySelection = true,
              bool copyAlpha = true);
    void CopyAttributes(const CDibImage& src);
    // Makes this image a view of src that owns nothing.
    void AttachShared(const CDibImage* src);
    bool TransferFrom(CDibImage& from, bool transferFrames = true);
    bool CreateFromBuffer(const BYTE* pixels, DWORD width, DWORD height, DWORD bpp,
                          DWORD bytesPerLine, bool flipY = false);
    bool CreateFromRows(BYTE** rows, DWORD width, DWORD height, DWORD bpp, DWORD bytesPerLine,
                        bool flipY = false);
    // Fills this 24-bit image from 16- or 32-bit bitfield pixels (DibImageBMP.cpp). source holds
    // height rows of ((width + 1) / 2) * 4 bytes (16) or width * 4 bytes (32); it may be the
    // image's own pixel rows for 16-bit data.
    void ConvertBitfieldsTo24(BYTE* source, DWORD redMask, DWORD greenMask, DWORD blueMask,
                              BYTE bpp);

    // ---- pixel data
    BYTE* GetBits(DWORD row = 0) const;
    DWORD GetSize() const;
    bool IsInside(long x, long y) const;
    void Clear(BYTE level = 0);
    bool IsValid() const { return m_dib != nullptr; }
    void* GetDibBlock() const { return m_dib; }

    // ---- attributes
    DWORD GetWidth() const { return static_cast<DWORD>(m_header.biWidth); }
    DWORD GetHeight() const { return static_cast<DWORD>(m_header.biHeight); }
    WORD GetBpp() const { return m_header.biBitCount; }
    DWORD GetRowStride() const { return m_info.rowStride; }
    DWORD GetNumColors() const { return m_header.biClrUsed; }
    bool HasPalette() const { return m_header.biClrUsed != 0; }
    DWORD GetType() const { return m_info.type; }
    bool SetImageType(DWORD type);
    long GetDpiX() const { return m_info.dpiX; }
    long GetDpiY() const { return m_info.dpiY; }
    void SetDpiX(long dpi);
    void SetDpiY(long dpi);
    BYTE GetJpegLevel() const;
    void SetJpegLevel(BYTE quality) { m_info.jpegQuality = quality; }
    float GetJpegLevelF() const { return m_info.jpegQuality; }
    void SetJpegLevelF(float quality) { m_info.jpegQuality = quality > 0 ? quality : 0.0f; }
    BYTE GetJpegScale() const { return m_info.jpegScale; }
    void SetJpegScale(BYTE scale) { m_info.jpegScale = scale; }
    long GetEscape() const { return m_info.escape; }
    void SetEscape(long value) { m_info.escape = value; }
    long GetProgress() const { return m_info.progress; }
    void SetProgress(long value) { m_info.progress = value; }
    long GetKeyIndex() const { return m_info.keyIndex; }
    bool HasKeyColor() const { return m_info.keyIndex >= 0; }
    void SetKeyIndex(long index);
    RGBQUAD GetKeyColor() const;
    void SetKeyColor(RGBQUAD colour);
    BYTE GetPixelKind() const;
    DWORD GetFlags() const { return m_info.flags; }
    void SetFlags(DWORD flags, bool lowOnly = false);
    DWORD GetCodecOption(DWORD type = 0) const;
    bool SetCodecOption(DWORD option, DWORD type = 0);
    bool IsEnabled() const { return m_info.enabled; }
    void Enable(bool enabled = true) { m_info.enabled = enabled; }
    long GetOffsetX() const { return m_info.offsetX; }
    long GetOffsetY() const { return m_info.offsetY; }
    void SetOffset(long x, long y) {
        m_info.offsetX = x;
        m_info.offsetY = y;
    }
    const char* GetLastErrorText() const { return m_info.lastError; }
    char* GetLastErrorText() { return m_info.lastError; }
    const BITMAPINFOHEADER& GetHeader() const { return m_header; }
    const CDibImageInfo& GetInfo() const { return m_info; }
    bool IsShared() const { return m_info.sharedOwner != nullptr; }

    WORD ToLittleEndian16(WORD v) const;
    DWORD ToLittleEndian32(DWORD v) const;
    void HeaderToLittleEndian(BITMAPINFOHEADER* header) const;

    static float GetVersionNumber() { return 6.0f; }
    static const char* GetVersion() { return "CDibImage 6.0.0"; }
    static void FreeMemory(void* block);
    // Gray level of the library: (117 B + 601 G + 306 R) >> 10.
    static BYTE GrayLevel(BYTE blue, BYTE green, BYTE red) {
        return static_cast<BYTE>((117 * blue + 601 * green + 306 * red) >> 10);
    }
    static int CompareColorsByGray(const void* a, const void* b);

    // ---- format table and load/save (DibImageIO.cpp)
    static DWORD GetFormatCount();
    static DWORD GetIndexFromType(DWORD type);
    static DWORD GetTypeFromIndex(DWORD index);
    static DWORD GetTypeFromExtension(const WCHAR* extension);

    bool LoadFromFile(const WCHAR* path, DWORD type);
    // Checks the type and the image before the file is touched: a refused save leaves an
    // existing file as it was; a failed write removes the partial file. `stale` as for
    // ms::ReplacingFile: whether the save also clears what killed writers left beside `path`.
    bool SaveToFile(const WCHAR* path, DWORD type,
                    ms::StaleTemps stale = ms::StaleTemps::RemoveOnCommit);
    bool Encode(FILE* stream, DWORD type);
    bool Encode(CDibFile* file, DWORD type);
    // Encodes into a new block (caller frees it with free()); buffer must come in NULL.
    bool Encode(BYTE*& buffer, long& size, DWORD type);
    bool Encode(CDibFile* file, CDibImage** images, int count, DWORD type);
    bool EncodeToRGBA(BYTE*& buffer, long& size, bool bottomUp = false);
    bool EncodeToRGBA(CDibFile* file, bool bottomUp = false);
    bool Decode(FILE* stream, DWORD type);
    bool Decode(BYTE* buffer, DWORD size, DWORD type);
    bool Decode(CDibFile* file, DWORD type);
    bool CheckFormat(CDibFile* file, DWORD type);
    bool CheckFormat(BYTE* buffer, DWORD size, DWORD type);
    // true when encoding must stop (no file, no image), with the reason as the last error.
    bool CheckBeforeEncode(CDibFile* file);

    // ---- palette (DibImagePixels.cpp)
    DWORD GetPaletteSize() const { return m_header.biClrUsed * sizeof(RGBQUAD); }
    RGBQUAD* GetPalette() const;
    RGBQUAD GetPaletteColor(BYTE index) const;
    bool GetPaletteColor(BYTE index, BYTE* r, BYTE* g, BYTE* b) const;
    void SetPaletteColor(BYTE index, BYTE r, BYTE g, BYTE b, BYTE alpha = 0);
    void SetPaletteColor(BYTE index, RGBQUAD colour);
    void SetPaletteColor(BYTE index, COLORREF colour);
    void SetPalette(const RGBQUAD* palette, DWORD count = 256);
    void SetPalette(DWORD count, BYTE* red, BYTE* green = nullptr, BYTE* blue = nullptr);
    void SetPalette(const BYTE* rgbTriples, DWORD count);
    void SetGrayPalette();
    void SetStandardPalette();
    bool IsGrayScale() const;
    BYTE GetNearestIndex(RGBQUAD colour);
    void SwapIndex(BYTE a, BYTE b);
    DWORD GetClrImportant() const { return m_header.biClrImportant; }
    void SetClrImportant(DWORD n);
    void BlendPalette(COLORREF colour, long percent);
    void SwapRedBlue();
    bool IsSamePalette(const CDibImage& other, bool checkAlpha = false) const;

    // ---- pixels (DibImagePixels.cpp)
    BYTE GetPixelIndex(long x, long y) const;
    BYTE GetPixelIndexUnchecked(long x, long y) const;
    void SetPixelIndex(long x, long y, BYTE index);
    void SetPixelIndexUnchecked(long x, long y, BYTE index);
    RGBQUAD GetPixelColor(long x, long y, bool getAlpha = true) const;
    RGBQUAD GetPixelColorUnchecked(long x, long y, bool getAlpha = true) const;
    BYTE GetPixelGray(long x, long y) const;
    void SetPixelColor(long x, long y, RGBQUAD colour, bool setAlpha = false);
    void SetPixelColor(long x, long y, COLORREF colour);
    void SetPixelColorUnchecked(long x, long y, RGBQUAD colour, bool setAlpha = false);
    void BlendPixelColor(long x, long y, RGBQUAD colour, float blend, bool setAlpha = false);
    BYTE* GetPixelPointer(long x, long y) const;
    void SwapRedBlueInRow(BYTE* row, long length) const;
    bool IsTransparentAt(long x, long y) const;
    // A 1-bit image with 1 where the pixel is transparent; into dest, or this image when NULL.
    bool CreateTransparencyMask(CDibImage* dest = nullptr);
    void DrawLine(long startX, long endX, long startY, long endY, RGBQUAD colour,
                  bool setAlpha = false);
    void DrawLine(long startX, long endX, long startY, long endY, COLORREF colour);
    static RGBQUAD ColorRefToRgbQuad(COLORREF colour);
    static COLORREF RgbQuadToColorRef(RGBQUAD colour);

    // ---- alpha channel (DibImageAlpha.cpp)
    bool AlphaIsValid() const { return m_alpha != nullptr; }
    bool AlphaCreate();
    void AlphaDelete();
    void AlphaZero() { AlphaFill(0); }
    void AlphaFill(BYTE level);
    void AlphaInvert();
    bool AlphaCopy(const CDibImage& from);
    bool AlphaFromGray(const CDibImage& gray);
    void AlphaSetAt(long x, long y, BYTE level);
    BYTE AlphaGetAt(long x, long y) const;
    BYTE AlphaGetAtUnchecked(long x, long y) const {
        return m_alpha[x + y * static_cast<long>(GetWidth())];
    }
    BYTE* AlphaGetPointer(long x = 0, long y = 0) const;
    bool AlphaFlip();
    bool AlphaMirror();
    BYTE GetAlphaMax() const { return m_info.alphaMax; }
    void SetAlphaMax(BYTE value) { m_info.alphaMax = value; }
    bool IsPaletteAlphaEnabled() const { return m_info.paletteAlphaEnabled; }
    void EnablePaletteAlpha(bool enable = true) { m_info.paletteAlphaEnabled = enable; }
    bool HasPaletteAlpha() const;
    void PaletteAlphaClear();
    void AlphaBlendIntoPixels();
    bool AlphaToGrayImage(CDibImage* dest) const;
    bool PaletteAlphaToGrayImage(CDibImage* dest) const;
    bool AlphaFromKeyColor();

    // ---- selection mask (DibImageAlpha.cpp)
    bool SelectionIsValid() const { return m_selection != nullptr; }
    bool SelectionCreate();
    bool SelectionDelete();
    bool SelectionClear(BYTE level = 0);
    void SelectionGetBox(RECT& box) const { box = m_info.selectionBox; }
    bool SelectionIsInside(long x, long y) const;
    bool SelectionIsInsideUnchecked(long x, long y) const {
        return !m_selection || m_selection[x + y * static_cast<long>(GetWidth())] != 0;
    }
    BYTE SelectionGetAt(long x, long y) const;
    BYTE SelectionGetAtUnchecked(long x, long y) const {
        return m_selection[x + y * static_cast<long>(GetWidth())];
    }
    BYTE* SelectionGetPointer(long x = 0, long y = 0) const;
    void SelectionSetAt(long x, long y, BYTE level);
    bool SelectionSetPixel(long x, long y, BYTE level);
    bool SelectionFillRect(long x1, long y1, long x2, long y2, BYTE level = 255);
    bool SelectionFillEllipse(long x1, long y1, long x2, long y2, BYTE level = 255);
    bool SelectionFillPolygon(const POINT* points, long count, BYTE level = 255);
    bool SelectionInvertAll();
    bool SelectionCopy(const CDibImage& from);
    bool SelectionSet(const CDibImage& mask);
    void SelectionRebuildBox();
    bool SelectionFlip();
    bool SelectionMirror();
    bool SelectionToGrayImage(CDibImage* dest) const;

    // ---- layers (DibImageAlpha.cpp)
    CDibImage* GetParentImage() const { return m_info.parent; }
    long GetLayerCount() const { return m_info.layerCount; }
    bool InsertLayer(long position = -1);
    bool DeleteLayer(long position = -1);
    void DeleteAllLayers();
    CDibImage* GetLayerAt(long position) const;

    // ---- geometric and bit-depth transforms (DibImageTransform.cpp)
    // Rebuilding operations hand their result to out when given, else to this image.
    bool ConvertToGray();
    bool Flip(bool flipSelection = false, bool flipAlpha = true);
    bool Mirror(bool mirrorSelection = false, bool mirrorAlpha = true);
    bool Negative();
    // mode 0 bilinear (box filter when a 24-bit picture shrinks), 1 nearest, 2 bicubic.
    bool ScaleTo(long newWidth, long newHeight, int mode = 0, CDibImage* out = nullptr);
    // The rectangle counts y from the top, as displayed; right and bottom are excluded.
    bool ExtractRect(long left, long top, long right, long bottom, CDibImage* out = nullptr);
    bool ExtractRect(const RECT& rect, CDibImage* out = nullptr);
    bool RotateQuarterLeft(CDibImage* out = nullptr);
    bool RotateQuarterRight(CDibImage* out = nullptr);
    bool Rotate180(CDibImage* out = nullptr);
    bool Rotate(float degrees, CDibImage* out = nullptr);
    // interpolation and overflow codes as GetInterpolatedColor; replacement is the border colour.
    bool RotateWithOptions(float degrees, CDibImage* out, long interpolation = 2, long overflow = 0,
                           RGBQUAD* replacement = nullptr, bool exactRightAngles = true,
                           bool keepSize = false);
    bool CropRotatedRect(long left, long top, long width, long height, float angle,
                         CDibImage* out = nullptr);
    bool DecreaseBpp(DWORD bpp, bool errorDiffusion, const RGBQUAD* palette = nullptr,
                     DWORD colours = 0);
    bool IncreaseBpp(DWORD bpp);
    // method 0 Floyd-Steinberg error diffusion, 1 ordered (4 x 4 Bayer).
    bool DitherToOneBit(long method = 0);
    bool BinarizeToOneBit(BYTE level);
    bool PadByMargins(long left, long bottom, long right, long top, RGBQUAD colour,
                      CDibImage* out = nullptr);
    bool PadToSize(long newWidth, long newHeight, RGBQUAD colour, CDibImage* out = nullptr);
    bool FitIntoBox(long width, long height, RGBQUAD colour, CDibImage* out = nullptr);
    // type 0 square law, 1 square root, 2 swirl (factor radians at the centre), 3 polar,
    // 4 jitter (factor pixels).
    bool WarpAroundCentre(long type, long radius, float factor);
    // toTrueColour: a palette picture gives a 24-bit result instead of nearest entries.
    bool QIShrink(long newWidth, long newHeight, CDibImage* out = nullptr, bool toTrueColour = false);
    bool ResampleWithKernels(long newWidth, long newHeight, long interpolation = 2,
                             long overflow = 0, CDibImage* out = nullptr, bool noAveraging = false);
    bool ShearImage(float xGain, float yGain, long xPivot, long yPivot, bool interpolate = true);

    // ---- brightness, convolution, median and thresholds (DibImageFilter.cpp)
    bool Light(long brightness, long contrast = 0);
    bool ApplyLut(const BYTE* table);
    // kernel: size x size weights, row-major, the caller's.
    bool Filter(const long* kernel, long size, long divisor, long offset);
    // Median by gray level; colours of equal gray keep their neighbourhood order.
    bool Median(long size);
    // box in stored rows (top above bottom); -1 on failure.
    long OptimalThreshold(long method, RECT* box = nullptr, CDibImage* contrastMask = nullptr);
    bool AdaptiveThreshold(long method = 0, long boxSize = 64, CDibImage* contrastMask = nullptr,
                           long bias = 0, float globalLocalBalance = 0.5f);
    bool ThresholdByMask(CDibImage* mask);

    // ---- colour spaces and channels (DibImageColor.cpp); spaces 0 RGB, 1 HSL, 2 YUV, 3 YIQ,
    // 4 XYZ; a converted colour carries its components in the red, green, blue bytes.
    static RGBQUAD RgbToHsl(RGBQUAD colour);
    static RGBQUAD HslToRgb(RGBQUAD colour);
    static float HueToChannel(float m1, float m2, float hue);
    static RGBQUAD HslColorRefToRgb(COLORREF colour);
    static RGBQUAD RgbToYuv(RGBQUAD colour);
    static RGBQUAD YuvToRgb(RGBQUAD colour);
    static RGBQUAD RgbToYiq(RGBQUAD colour);
    static RGBQUAD YiqToRgb(RGBQUAD colour);
    static RGBQUAD RgbToXyz(RGBQUAD colour);
    static RGBQUAD XyzToRgb(RGBQUAD colour);
    bool SplitRgb(CDibImage* r, CDibImage* g, CDibImage* b);
    bool SplitHsl(CDibImage* h, CDibImage* s, CDibImage* l);
    bool SplitYuv(CDibImage* y, CDibImage* u, CDibImage* v);
    bool SplitYiq(CDibImage* y, CDibImage* i, CDibImage* q);
    bool SplitXyz(CDibImage* x, CDibImage* y, CDibImage* z);
    bool SplitCmyk(CDibImage* c, CDibImage* m, CDibImage* y, CDibImage* k);
    bool CombineChannels(CDibImage* first, CDibImage* second, CDibImage* third, CDibImage* alpha,
                         long space);
    bool SmoothChannels(float radius, long iterations, long space);
    bool CurvatureSmoothChannel(CDibImage* channel, float radius);
    bool ConvertColorSpace(long destination, long source);
    bool Saturate(long gain, long space = 1);
    bool Colorize(BYTE hue, BYTE saturation, float blend = 1.0f);
    bool MakeHuePalette(float correction = 1.0f);

    // ---- interpolation and resampling support (DibImageInterpolate.cpp)
    // Interpolation: 1 nearest, 2 bilinear (also 0 and above 18), 3-18 kernels. Overflow: 0, 1
    // border colour (white, alpha 0, when border is NULL), 2 key colour, 3 transparent, 4 wrap,
    // 5 repeat, 6 mirror.
    bool MapOutsideCoordinates(long& x, long& y, long overflow) const;
    void MapOutsideCoordinatesF(float& x, float& y, long overflow) const;
    RGBQUAD GetPixelColorWithBorder(long x, long y, long overflow, RGBQUAD* border) const;
    RGBQUAD GetInterpolatedColor(float x, float y, long method = 2, long overflow = 0,
                                 RGBQUAD* border = nullptr) const;
    static void AddWeightedColor(RGBQUAD colour, float weight, float* red, float* green,
                                 float* blue, float* alpha);
    RGBQUAD GetAreaColor(float x, float y, float areaWidth, float areaHeight, long method = 2,
                         long overflow = 0, RGBQUAD* border = nullptr) const;
    static float BSplineWeight(float t);
    static float LinearWeight(float t);
    static float CubicWeightSharp(float t);
    static float CubicWeight(float t, float a);
    static float LanczosWeight(float t, float r);
    static float BoxWeight(float t);
    static float HermiteWeight(float t);
    static float HammingWeight(float t);
    static float SincWeight(float t);
    static float BlackmanWeight(float t);
    static float BesselWeight(float t);
    static float GaussianWeight(float t);
    static float QuadraticWeight(float t);
    static float MitchellWeight(float t);
    static float CatmullRomWeight(float t);
    static float HanningWeight(float t);
    static float PowerWeight(float t, float p);
    static double BesselJ1(double x);
    static double BesselJ1Near(double x);
    static double BesselJ1FarP(double a);
    static double BesselJ1FarQ(double a);

    // ---- point adjustments, neighbourhood filters and blurs (DibImageAdjust.cpp)
    bool OffsetChannels(long red, long green, long blue);
    bool ApplyGamma(float gamma);
    bool ApplyGammaRgb(float red, float green, float blue);
    bool ApplyLutChannels(const BYTE* red, const BYTE* green, const BYTE* blue,
                          const BYTE* alpha = nullptr);
    bool Solarize(BYTE level = 128, bool linkChannels = true);
    bool AddNoise(long level);
    bool ReduceRedEye(float strength = 0.8f);
    bool PaintByGrayLevel(BYTE level, bool upper, RGBQUAD colour, bool setAlpha = false);
    float MeanGrayLevel();
    bool Erode(long size = 2);
    bool Dilate(long size = 2);
    bool RangeEdges(long size = 2);
    bool ContourEdges();
    bool Jitter(long radius = 2);
    bool GaussianBlur(float radius = 1.0f, CDibImage* out = nullptr);
    // *kernel comes from malloc (caller frees it); returns its length.
    static long MakeGaussianKernel(float radius, float** kernel);
    // length x 256 products v x kernel[k], from malloc (caller frees it).
    static float* MakeKernelProductTable(const float* kernel, long length);
    // Convolves count samples of channels bytes each, step bytes apart; products may be NULL.
    static void BlurLine(const float* kernel, long length, const float* products,
                         const BYTE* source, BYTE* target, long count, long channels, long step);
    bool SelectiveBlur(float radius = 1.0f, BYTE threshold = 25, CDibImage* out = nullptr);
    bool UnsharpMask(float radius = 5.0f, float amount = 0.5f, long threshold = 0);
    bool RampSteps(BYTE threshold = 64, BYTE decay = 2, BYTE maxDepth = 8, bool horizontal = true,
                   bool vertical = true, CDibImage* out = nullptr);
    // One pass: line and neighbour are read, target (the neighbour's place in the result) is
    // written; count samples of channels bytes, step bytes apart.
    static void RampStepsLine(const BYTE* line, const BYTE* neighbour, BYTE* target, long count,
                              long channels, long step, BYTE threshold, BYTE decay, BYTE maxDepth);

    // ---- mixing, Fourier transforms and flood fill (DibImageMix.cpp)
    // mode 0 sum, 1 AND, 2 XOR, 3 OR, 4 key colour where src is black, 5 src where this is
    // transparent, 6 src where it is not transparent, 7 difference, 8 src near the key colour,
    // 9 src over this by its alpha, 10 mean.
    bool Blend(CDibImage& src, long mode, long xOffset = 0, long yOffset = 0, bool mixAlpha = false);
    bool PasteImage(CDibImage* src, long xOffset, long yOffset);
    // Gray pictures whose pixels are values + 128; direction 1 forward (divided by the size),
    // -1 inverse. Outputs: real and imaginary parts, or log magnitude and phase.
    bool FourierTransform2D(CDibImage* srcReal, CDibImage* srcImag, CDibImage* dstReal,
                            CDibImage* dstImag, long direction, bool forceFft = true,
                            bool magnitude = true);
    static bool FastFourierTransform(long direction, long exponent, double* real, double* imag);
    static bool DiscreteFourierTransform(long direction, long n, double* real, double* imag,
                                         double* workReal, double* workImag);
    static bool IsPowerOfTwo(long n);
    bool FloodFill(long x, long y, RGBQUAD colour, BYTE tolerance = 0, BYTE opacity = 255,
                   bool selectFilled = false, BYTE selectionLevel = 255);

#ifdef DIBIMAGE_SUPPORT_PNG
    // ---- Wavenor's colour-channel display (imaging_ext/DibImageChannels.cpp)
    // Shows a 24-bit picture, in place, through the channels of mask (0x1 red, 0x10 green,
    // 0x100 blue): one channel turns the picture grey, two clear the third; no channel or all
    // three, and other depths, change nothing. Always false.
    bool ShowColorChannels(DWORD mask);
#endif

    // Stores text (cut to 255 characters) as the last error.
    void SetLastError(const char* text);

    // ---- device-context interop (DibImageDC.cpp, in the targets imaging_tessary_dc and
    // imaging_wavenor_dc, which add the GDI; the core library stays free of it)
    // Captures a device-dependent bitmap as a picture of its depth (32 bits become 24).
    bool CreateFromBitmap(HBITMAP bitmap, HPALETTE palette = nullptr);
    // Stretches the whole picture into the rectangle (nearest pixel, COLORONCOLOR); a negative
    // cy draws it upside down. 0 without a picture or DC. rop defaults to SRCCOPY.
    long StretchToDC(HDC dc, long x, long y, long cx, long cy, DWORD rop = 0x00CC0020u);
    long StretchToDC(HDC dc, const RECT* rect, DWORD rop = 0x00CC0020u);
    // Draws the picture at its size with (x, y) as the origin, as a pattern brush would.
    long TileToDC(HDC dc, long x, long y);
    // A DIB section holding a copy of the pixels (caller deletes it with DeleteObject).
    HBITMAP MakeBitmap(HDC dc = nullptr);
    // 32-bit colour icons keep their alpha; others take it from their mask.
    bool CreateFromHICON(HICON icon);
    // Blends the picture (key colour, alpha channel, palette alpha) over what dc shows; a
    // negative size means the picture's own size; smooth samples bilinearly.
    long Draw(HDC dc, long x = 0, long y = 0, long cx = -1, long cy = -1, RECT* clip = nullptr,
              bool smooth = false);
    // Stretches the picture, leaving pixels of the key colour transparent when there is one.
    long DrawWithKeyMask(HDC dc, long x, long y, long cx, long cy);
    // Repeats Draw in picture-sized tiles over rect, the last row and column cut to fit.
    long Tile(HDC dc, RECT* rect);
    // Draws every layer at its offset, then the layers' own layers; 0 at the first failure.
    long LayerDrawAll(HDC dc, long x = 0, long y = 0, long cx = -1, long cy = -1,
                      RECT* clip = nullptr, bool smooth = false);
    // Sets the pixels under the text (rendered at (x, y) of the picture as displayed) to colour.
    long DrawString(HDC dc, long x, long y, const WCHAR* text, COLORREF colour, const WCHAR* font,
                    long size = 0, long weight = 400, BYTE italic = 0, BYTE underline = 0,
                    bool setAlpha = false);
    // The text record of DrawStringEx, with its defaults.
    struct TextInfo {
        WCHAR text[256]{};
        LOGFONTW font{-36, 0, 0, 0, 400, 0, 0, 0, 238, 0, 0, 0, 0, u"Arial"};
        COLORREF colour = 0;
        bool setAlpha = false;
    };
    long DrawStringEx(HDC dc, long x, long y, const TextInfo* info);

#ifdef DIBIMAGE_DETECTION
    // ---- edge, line and circle detection (DibImageDetect.cpp, Tessary only)
    // These take and return x from the left and y from the TOP of the picture as displayed.
    // They work on 24-bit pictures only and use the work members below as scratch space, so
    // one image never runs two of them at once.
    static int OtsuThreshold(const DWORD histogram[256]);
    // The end points of one straight edge inside the section with corners (x1, y1), (x2, y2)
    // (any order; clipped to the picture); bandMode 1-4 says along which band it runs.
    bool DetectLineInSection(int x1, int y1, int x2, int y2, int bandMode, POINT* end1,
                             POINT* end2);
    // As above on the dilated outline; bandMode is not used.
    bool DetectLineInSectionDilated(int x1, int y1, int x2, int y2, int bandMode, POINT* end1,
                                    POINT* end2);
    static void WhitenOutsideBand(BYTE* sectionImage, int w, int h, int bandMode);
    // Snaps a click to the nearest strong edge within the square of side 2r + 1 around it.
    // False (result = the click) when the square leaves the picture or holds no edge.
    bool FindEdgePointNear(int x, int y, int unused1, int unused2, POINT* result, int r);
    // (column, row) of the patch pixel found, (0, 0) when none qualifies.
    static POINT FindEdgePointInPatch(const BYTE* patch, int w, int h);
    // Black-and-white preview of the w x h window around the pointer into out (bottom-up
    // 24-bit rows of (3w + 3) / 4 * 4 bytes), the pointer in red.
    bool RenderBinaryPreview(int x, int y, int w, int h, BYTE* out);
    // Paints the edges inside the section (or over the whole picture) pure red.
    bool CheckEdgePortion(int x1, int y1, int x2, int y2);
    bool CheckEdgeGlobal();
    // Binary images (0/255, rows padded to 4 bytes); element: ew x eh, nonzero selects.
    static void BinaryErode(BYTE* image, int w, int h, const DWORD* element, int ew, int eh);
    static void BinaryDilate(BYTE* image, int w, int h, const DWORD* element, int ew, int eh);
    static void BinaryBoundary(BYTE* image, int w, int h);
    // Plain Hough accumulator over the black pixels (rows of exactly w bytes); returns accH / 2
    // with the fullest cell as rho and theta (degrees).
    static int HoughAccumulate(const BYTE* image, int w, int h, DWORD* acc, int accW, int accH,
                               float rhoStep, float thetaStep, float* rho, float* theta);
    // Least-squares line y = a + b x; 0 for fewer than two points (outputs untouched); a
    // vertical line gives b = 0 and a = its x.
    static int FitLineLeastSquares(const POINT* points, int n, double* a, double* b);
    // 3 x 3 morphology on rows of exactly w bytes; element entries other than -1 select. False
    // for an image holding values other than 0 and 255.
    static bool BinaryDilate3x3(BYTE* image, int w, int h, int unused, const int* element3x3);
    static bool BinaryErode3x3(BYTE* image, int w, int h, int unused, const int* element3x3);
#endif

protected:
    void InitDefaults(DWORD type);
    // Copy for a source that owns its pixels, or whose view is to become pixels of our own.
    void CopyOwned(const CDibImage& src, bool copyPixels, bool copySelection, bool copyAlpha);
    // Makes a shared view a picture of its own, with a copy of what it showed (no layers), so
    // writing it leaves the other picture as it was. True at once for a picture that is no view.
    bool OwnPixels();
    void EmptySelectionBox();
    // The empty picture a change of size fills: width x height at bpp bits, with this
    // picture's attributes and palette and no selection box. False, with the reason left on
    // this picture, when it cannot be made.
    bool CreateResizedTarget(CDibImage& out, long width, long height, DWORD bpp);
    bool ChannelToGrayImage(const BYTE* channel, CDibImage* dest) const;
    // Helpers of the transforms and filters: the selection box (or the whole picture) clipped
    // to the picture; a quarter or half turn (turn 1 left, 2 half, 3 right); a split into
    // three 8-bit channel images of a colour space.
    void GetWorkArea(long& xmin, long& xmax, long& ymin, long& ymax) const;
    // Calls visit(x, y) for every pixel of the work area that the selection contains, a row at a
    // time, keeping the progress figure and stopping when asked to escape. False, without a
    // visit, when the work area is empty.
    template <class Visit>
    bool ForEachSelectedPixel(Visit&& visit) {
        long xmin, xmax, ymin, ymax;
        GetWorkArea(xmin, xmax, ymin, ymax);
        if (xmin >= xmax || ymin >= ymax)
            return false;
        for (long y = ymin; y < ymax; ++y) {
            m_info.progress = 100 * (y - ymin) / (ymax - ymin);
            if (m_info.escape)
                break;
            for (long x = xmin; x < xmax; ++x)
                if (SelectionIsInsideUnchecked(x, y))
                    visit(x, y);
        }
        return true;
    }
    bool RotateByMapping(long newWidth, long newHeight, int turn, CDibImage* out);
    bool SplitChannels(long space, CDibImage* first, CDibImage* second, CDibImage* third);
    // Erode (0), dilate (1), range edges (2), contour edges (3) over a size x size window.
    bool NeighbourhoodOperation(long size, int kind);

    void* m_dib;               // DIB block (header, palette, rows), from malloc; NULL when empty
    BITMAPINFOHEADER m_header; // the image's own header; Create copies it into the block
    CDibImageInfo m_info;
    BYTE* m_selection;    // width x height bytes, or NULL
    BYTE* m_alpha;        // width x height bytes, 255 opaque, or NULL
    CDibImage** m_layers; // m_info.layerCount entries, or NULL

#ifdef DIBIMAGE_DETECTION
    // Work state of the edge, line and circle detection methods; the two buffers are
    // allocated with malloc and freed by the destructor.
    BYTE* m_grayImage;      // 8-bit gray work image, DWORD-aligned rows
    RGBQUAD* m_grayPalette; // 256 gray entries
    int m_grayBpp;
    int m_grayWidth;
    int m_grayHeight;
    int m_grayPaletteEntries;
    DWORD m_histogram[256];
#endif
};
