// Fonts and text: LOGFONTW to QFont through one face table, TextOut, DrawText, metrics.
#include "gdi/GdiPriv.h"
#include "platform/win/gdi/GdiQt.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <atomic>
#include <list>
#include <string>
#include <thread>
#include <unordered_map>
#include <cmath>
#include <optional>

using namespace ms::gdi;

namespace {

// Font rendering needs the GUI application's font database; without one, text calls only
// estimate sizes and draw nothing.
bool HasFonts() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

std::u16string FaceOf(const LOGFONTW& lf) {
    std::u16string s;
    for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i)
        s.push_back(lf.lfFaceName[i]);
    return s;
}

std::u16string TextArg(LPCWSTR text, int count) {
    if (!text)
        return {};
    if (count < 0) {
        size_t n = 0;
        while (text[n])
            ++n;
        return std::u16string(text, n);
    }
    return std::u16string(text, static_cast<size_t>(count));
}

QString Q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

std::shared_ptr<Font> FontOfDc(HDC hdc) {
    std::lock_guard lock(TableMutex());
    auto dc = LookupAs<Dc>(hdc, Kind::Dc);
    return dc ? dc->st.font : nullptr;
}

std::shared_ptr<const Font::Metrics> BuildMetrics(const LOGFONTW& lf, bool fonts,
                                                  std::uint64_t id) {
    auto metrics = std::make_shared<Font::Metrics>();
    Font::Metrics& m = *metrics;
    m.id = id;
    m.fonts = fonts;
    m.smooth = lf.lfQuality == ANTIALIASED_QUALITY || lf.lfQuality == CLEARTYPE_QUALITY;
    m.font = ms::QFontFromLogFont(lf);
    if (fonts) {
        QFontMetrics fm(m.font);
        m.ascent = fm.ascent();
        m.descent = fm.descent();
        m.avgWidth = fm.averageCharWidth();
        m.maxWidth = fm.maxWidth();
        m.leading = std::max(0, fm.leading());
    } else {
        const int px = std::max(1, m.font.pixelSize());
        m.ascent = px * 9 / 10;
        m.descent = px - m.ascent + px / 8;
        m.avgWidth = std::max(1, px / 2);
        m.maxWidth = px;
    }
    return metrics;
}

// Building a QFont and its metrics costs more than drawing a short label, and the live view
// makes a font for every label of every shape, all from a few LOGFONTs: equal LOGFONTs made on
// one thread share one build. A QFont caches its font engine for the thread using it, so
// threads do not share one. Bounded: past the limit the table starts afresh (fonts keep what
// they hold).
std::shared_ptr<const Font::Metrics> SharedMetrics(const LOGFONTW& lf) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::shared_ptr<const Font::Metrics>> faces;
    static std::uint64_t nextId = 1;
    const bool fonts = HasFonts();
    LOGFONTW k = lf;
    bool ended = false;
    for (WCHAR& ch : k.lfFaceName) { // what follows the name's end is not part of it
        ended = ended || ch == 0;
        if (ended)
            ch = 0;
    }
    std::string key(reinterpret_cast<const char*>(&k), sizeof k);
    key.push_back(fonts ? '1' : '0');
    const std::thread::id thread = std::this_thread::get_id();
    key.append(reinterpret_cast<const char*>(&thread), sizeof thread);
    {
        std::lock_guard lock(mutex);
        if (auto it = faces.find(key); it != faces.end())
            return it->second;
    }
    std::uint64_t id;
    {
        std::lock_guard lock(mutex);
        id = nextId++;
    }
    auto built = BuildMetrics(lf, fonts, id);
    std::lock_guard lock(mutex);
    if (faces.size() >= 256)
        faces.clear();
    return faces.try_emplace(std::move(key), std::move(built)).first->second;
}

void SetupPainter(QPainter& p, const Canvas& c) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    if (c.st.hasClip) {
        QRegion r;
        for (const QRect& rc : c.clip)
            r += rc;
        p.setClipRegion(r);
    }
}

std::atomic<bool> runCacheOn{true};

// Where a run stands against its reference point, as the DC's text alignment says: the
// left end of the text (ox) and its baseline, in the run's own (possibly turned) frame.
struct Placement {
    int ox = 0;
    int baseline = 0;
};

Placement Place(const Font::Metrics& m, int width, UINT align) {
    Placement at;
    if ((align & TA_CENTER) == TA_CENTER)
        at.ox = -width / 2;
    else if (align & TA_RIGHT)
        at.ox = -width;
    at.baseline = m.ascent;
    if ((align & TA_BASELINE) == TA_BASELINE)
        at.baseline = 0;
    else if (align & TA_BOTTOM)
        at.baseline = -m.descent;
    return at;
}

// Draws the text of a run in `color` with the painter's origin at its reference point: the
// one way Qt is asked to draw text, for the picture and for the run cache alike.
// With `cell`, the text's cell (advance `width`, ascent + descent) is filled with it first.
void PaintRun(QPainter& p, const Font::Metrics& m, LONG escapement, const QString& s,
              Placement at, const QColor& color, int underlineIndex, int width = 0,
              const QColor* cell = nullptr) {
    if (escapement != 0)
        p.rotate(-escapement / 10.0);
    if (cell)
        p.fillRect(QRect(at.ox, at.baseline - m.ascent, width, m.ascent + m.descent), *cell);
    p.setFont(m.font);
    p.setPen(color);
    p.drawText(QPoint(at.ox, at.baseline), s);
    if (underlineIndex >= 0 && underlineIndex < s.size()) {
        QFontMetrics fm(m.font);
        const int ux = at.ox + fm.horizontalAdvance(s.left(underlineIndex));
        const int uw = std::max(1, fm.horizontalAdvance(s.at(underlineIndex)));
        p.fillRect(QRect(ux, at.baseline + 1, uw, 1), color);
    }
}

// One run of text in one face as Qt draws it: its advance and, once drawn, the pixels the text
// colour covers, as spans relative to the reference point.
struct TextRun {
    struct Span {
        int dy, x0, x1;
    };
    int width = 0;
    bool drawn = false; // the pixels were taken
    bool exact = false; // every pixel Qt drew was all text colour or untouched
    std::vector<Span> spans;
};

// Shaping a label and rasterising its glyphs costs far more than writing its pixels, and the
// live view draws the same labels frame after frame: runs are kept by face, alignment,
// underline and text, least recently used first out beyond a byte budget. A run is drawn from
// its spans only when Qt drew it without anti-aliasing, so its pixels are exactly Qt's; any
// other run is drawn by Qt each time.
class RunCache {
public:
    static RunCache& Instance() {
        static RunCache* cache = new RunCache; // never destroyed: drawing may outlive statics
        return *cache;
    }

    std::shared_ptr<const TextRun> Find(const std::u16string& key) {
        std::lock_guard lock(m_);
        auto it = index_.find(key);
        if (it == index_.end())
            return nullptr;
        order_.splice(order_.begin(), order_, it->second);
        return it->second->second;
    }

    void Keep(std::u16string key, std::shared_ptr<const TextRun> run) {
        const size_t bytes = Bytes(key, *run);
        if (bytes > kBudget / 16)
            return;
        std::lock_guard lock(m_);
        if (auto it = index_.find(key); it != index_.end()) {
            bytes_ -= Bytes(it->first, *it->second->second);
            order_.erase(it->second);
            index_.erase(it);
        }
        order_.emplace_front(key, std::move(run));
        index_.emplace(std::move(key), order_.begin());
        bytes_ += bytes;
        while (bytes_ > kBudget && !order_.empty()) {
            auto& last = order_.back();
            bytes_ -= Bytes(last.first, *last.second);
            index_.erase(last.first);
            order_.pop_back();
        }
    }

private:
    static constexpr size_t kBudget = size_t{16} << 20;
    static size_t Bytes(const std::u16string& key, const TextRun& run) {
        return 2 * (key.size() * sizeof(char16_t) + sizeof(TextRun)) + 64 +
               run.spans.size() * sizeof(TextRun::Span);
    }
    using Entry = std::pair<std::u16string, std::shared_ptr<const TextRun>>;
    std::mutex m_;
    std::list<Entry> order_;
    std::unordered_map<std::u16string, std::list<Entry>::iterator> index_;
    size_t bytes_ = 0;
};

std::u16string RunKey(const Font::Metrics& m, const QString& s, UINT align, int underlineIndex) {
    std::u16string key;
    key.reserve(static_cast<size_t>(s.size()) + 6);
    for (int shift = 0; shift < 64; shift += 16)
        key.push_back(static_cast<char16_t>((m.id >> shift) & 0xFFFFu));
    key.push_back(static_cast<char16_t>(align & (TA_CENTER | TA_BASELINE)));
    key.push_back(static_cast<char16_t>(underlineIndex + 1));
    key.append(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()));
    return key;
}

// Draws the run white on black into a picture large enough for any glyph's overhang and keeps
// the white pixels; a grey one (anti-aliasing) or one on the picture's edge leaves it inexact.
void TakePixels(TextRun& run, const Font::Metrics& m, LONG escapement, const QString& s,
                UINT align, int underlineIndex) {
    run.drawn = true;
    if (m.smooth)
        return;
    const int h = m.ascent + m.descent;
    const Placement at = Place(m, run.width, align);
    const int pad = m.maxWidth + h + 2;
    const QRect box(at.ox - pad, at.baseline - m.ascent - pad, run.width + 2 * pad, h + 2 * pad);
    QTransform turn;
    if (escapement != 0)
        turn.rotate(-escapement / 10.0);
    const QRect area = turn.mapRect(box).adjusted(-2, -2, 2, 2);
    if (static_cast<long long>(area.width()) * area.height() > 4'000'000)
        return;
    QImage scratch(area.size(), QImage::Format_RGB32);
    constexpr QRgb kOff = 0xFF000000u, kOn = 0xFFFFFFFFu;
    scratch.fill(kOff);
    {
        QPainter p(&scratch);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.translate(-area.left(), -area.top());
        PaintRun(p, m, escapement, s, at, QColor::fromRgb(kOn), underlineIndex);
    }
    const int W = scratch.width(), H = scratch.height();
    for (int y = 0; y < H; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = 0; x < W;) {
            if (row[x] == kOff) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < W && row[x] == kOn)
                ++x;
            if (x == start || start == 0 || x == W || y == 0 || y == H - 1) {
                run.spans.clear();
                return; // anti-aliased, or it may reach beyond the picture
            }
            run.spans.push_back({y + area.top(), start + area.left(), x + area.left()});
        }
    }
    run.exact = true;
}

// The run of `s` in the face: its advance and, with `pixels`, its pixels.
std::shared_ptr<const TextRun> RunOf(const Font::Metrics& m, LONG escapement, const QString& s,
                                     UINT align, int underlineIndex, bool pixels) {
    if (!runCacheOn.load(std::memory_order_relaxed)) {
        auto run = std::make_shared<TextRun>();
        run->width = QFontMetrics(m.font).horizontalAdvance(s);
        return run;
    }
    RunCache& cache = RunCache::Instance();
    std::u16string key = RunKey(m, s, align, underlineIndex);
    auto found = cache.Find(key);
    if (found && (found->drawn || !pixels))
        return found;
    auto run = std::make_shared<TextRun>();
    run->width = found ? found->width : QFontMetrics(m.font).horizontalAdvance(s);
    if (pixels)
        TakePixels(*run, m, escapement, s, align, underlineIndex);
    cache.Keep(std::move(key), run);
    return run;
}

int Advance(const Font::Metrics& m, const QString& s) {
    return RunOf(m, 0, s, TA_LEFT | TA_TOP, -1, false)->width;
}

// Draws one run with its reference point at (x, y) as the DC's text alignment says.
// Returns the run's advance.
int DrawRun(Canvas& c, int x, int y, const QString& s, UINT align, const QRect* clipTo,
            int underlineIndex = -1) {
    Font& font = *c.st.font;
    const Font::Metrics& m = font.Get();
    if (!HasFonts() || s.isEmpty())
        return 0;
    const LONG escapement = font.lf.lfEscapement;
    const bool opaque = c.st.bkMode == OPAQUE;
    // Spans hold text laid straight or turned by right angles, where moving the reference
    // point by whole pixels moves every pixel alike; other angles and an opaque cell turned
    // with the text are left to Qt.
    const bool fromSpans = escapement % 900 == 0 && !(opaque && escapement != 0);
    const auto run = RunOf(m, escapement, s, align, underlineIndex, fromSpans);
    const int w = run->width;
    const int h = m.ascent + m.descent;
    const Placement at = Place(m, w, align);
    const QRgb color = c.Color(c.st.text);
    if (fromSpans && run->exact) {
        std::vector<QRect> clip;
        if (clipTo) {
            for (const QRect& r : c.clip)
                if (const QRect both = r & *clipTo; !both.isEmpty())
                    clip.push_back(both);
            std::swap(c.clip, clip);
        }
        uchar* bits = c.img->bits();
        const int rows = c.img->height();
        if (opaque) {
            const int top = y + at.baseline - m.ascent;
            const QRgb bk = c.Color(c.st.bk);
            for (int row = std::max(top, 0); row < std::min(top + h, rows); ++row)
                c.Span(bits, row, x + at.ox, x + at.ox + w, bk, R2_COPYPEN);
        }
        for (const TextRun::Span& span : run->spans) {
            const int row = y + span.dy;
            if (row >= 0 && row < rows)
                c.Span(bits, row, x + span.x0, x + span.x1, color, R2_COPYPEN);
        }
        if (clipTo)
            std::swap(c.clip, clip);
    } else {
        QPainter p(c.img);
        SetupPainter(p, c);
        if (clipTo)
            p.setClipRect(*clipTo, c.st.hasClip ? Qt::IntersectClip : Qt::ReplaceClip);
        p.translate(x, y);
        const QColor bk = QColor::fromRgb(c.Color(c.st.bk));
        PaintRun(p, m, escapement, s, at, QColor::fromRgb(color), underlineIndex, w,
                 opaque ? &bk : nullptr);
    }
    if (c.mono)
        ToMonochrome(*c.img, c.st.bk);
    return w;
}

} // namespace

namespace ms::gdi {

const Font::Metrics& Font::Get() {
    const std::thread::id self = std::this_thread::get_id();
    std::lock_guard lock(m_);
    for (const auto& [thread, metrics] : metrics_)
        if (thread == self)
            return *metrics;
    metrics_.emplace_back(self, SharedMetrics(lf));
    return *metrics_.back().second;
}

} // namespace ms::gdi

namespace ms {

QString MapFontFace(std::u16string_view face) {
    struct Entry {
        const char* windows;
        const char* installed;
    };
    static const Entry table[] = {
        {"Arial", "Liberation Sans"},
        {"Helvetica", "Liberation Sans"},
        {"Arial Narrow", "Liberation Sans Narrow"},
        {"Times New Roman", "Liberation Serif"},
        {"Times", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
        {"SimSun", "Noto Sans CJK SC"},
        {"NSimSun", "Noto Sans CJK SC"},
        {"SimHei", "Noto Sans CJK SC"},
        {"Microsoft YaHei", "Noto Sans CJK SC"},
        {"\xE5\xAE\x8B\xE4\xBD\x93", "Noto Sans CJK SC"}, // SimSun's Chinese name
        {"MingLiU", "Noto Sans CJK TC"},
        {"PMingLiU", "Noto Sans CJK TC"},
        {"MS Gothic", "Noto Sans CJK JP"},
        {"MS UI Gothic", "Noto Sans CJK JP"},
        {"MS Mincho", "Noto Sans CJK JP"},
        {"Gulim", "Noto Sans CJK KR"},
        {"Batang", "Noto Sans CJK KR"},
        {"Arial Unicode MS", "DejaVu Sans"},
        {"System", "DejaVu Sans"},
        {"MS Shell Dlg", "DejaVu Sans"},
        {"MS Shell Dlg 2", "DejaVu Sans"},
        {"MS Sans Serif", "DejaVu Sans"},
        {"Microsoft Sans Serif", "DejaVu Sans"},
        {"Tahoma", "DejaVu Sans"},
        {"Verdana", "DejaVu Sans"},
        {"Segoe UI", "DejaVu Sans"},
        {"Courier", "DejaVu Sans Mono"},
        {"Fixedsys", "DejaVu Sans Mono"},
        {"Terminal", "DejaVu Sans Mono"},
        {"Lucida Console", "DejaVu Sans Mono"},
        {"Consolas", "DejaVu Sans Mono"},
    };
    const QString name = QString::fromStdU16String(std::u16string(face)).trimmed();
    for (const Entry& e : table)
        if (name.compare(QString::fromUtf8(e.windows), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(e.installed);
    return name.isEmpty() ? QStringLiteral("DejaVu Sans") : name;
}

QFont QFontFromLogFont(const LOGFONTW& lf) {
    QFont f;
    const QString family = MapFontFace(FaceOf(lf));
    // Faces we do not map fall back to DejaVu, and CJK text to Noto, whatever the face.
    f.setFamilies({family, QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC")});
    const bool smooth = lf.lfQuality == ANTIALIASED_QUALITY || lf.lfQuality == CLEARTYPE_QUALITY;
    f.setStyleStrategy(smooth ? QFont::PreferDefault : QFont::NoAntialias);
    f.setKerning(false);
    f.setWeight(lf.lfWeight <= 0
                    ? QFont::Normal
                    : static_cast<QFont::Weight>(std::clamp<int>(lf.lfWeight, 1, 1000)));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    // Negative height: character (em) height; positive: cell height (ascent + descent);
    // zero: the default size.
    long h = lf.lfHeight;
    int px;
    if (h < 0) {
        px = static_cast<int>(std::min<long>(-static_cast<long>(h), 2000));
    } else {
        const long cell = h == 0 ? 16 : std::min<long>(h, 2000);
        px = static_cast<int>(cell * 8 / 10);
        if (HasFonts()) {
            QFont probe = f;
            probe.setPixelSize(100);
            QFontMetricsF fm(probe);
            const double ratio = (fm.ascent() + fm.descent()) / 100.0;
            if (ratio > 0)
                px = static_cast<int>(std::lround(cell / ratio));
        }
    }
    f.setPixelSize(std::max(px, 1));
    if (lf.lfWidth > 0 && HasFonts()) {
        QFontMetricsF fm(f);
        const double avg = fm.averageCharWidth();
        if (avg > 0)
            f.setStretch(
                std::clamp(static_cast<int>(std::lround(lf.lfWidth * 100.0 / avg)), 1, 4000));
    }
    return f;
}

void SetTextRunCache(bool on) {
    runCacheOn = on;
}

QFont QFontOfHandle(HFONT font) {
    std::shared_ptr<Font> f;
    {
        std::lock_guard lock(TableMutex());
        f = LookupAs<Font>(font, Kind::Font);
        if (!f)
            f = std::static_pointer_cast<Font>(Stock(DEFAULT_GUI_FONT));
    }
    return f->Get().font;
}

} // namespace ms

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
    if (!lf)
        return nullptr;
    auto f = std::make_shared<Font>();
    f->lf = *lf;
    f->lf.lfFaceName[LF_FACESIZE - 1] = 0; // a face read from a file may lack its end
    return static_cast<HFONT>(Register(f));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCWSTR face) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic);
    lf.lfUnderline = static_cast<BYTE>(underline);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    for (int i = 0; face && face[i] && i < LF_FACESIZE - 1; ++i)
        lf.lfFaceName[i] = face[i];
    return CreateFontIndirectW(&lf);
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
    if (count < 0)
        return FALSE;
    const std::u16string s = TextArg(text, count);
    Call call(hdc, "TextOut", {x, y}, nullptr, &s);
    if (!call)
        return FALSE;
    const UINT align = call.dc->st.align;
    if (align & TA_UPDATECP) {
        x = call.dc->st.pos.x;
        y = call.dc->st.pos.y;
    }
    Canvas c = call.Pixels();
    int w = 0;
    if (c)
        w = DrawRun(c, x, y, Q(s), align, nullptr);
    if (align & TA_UPDATECP) {
        std::lock_guard lock(TableMutex());
        call.dc->st.pos.x = x + w;
    }
    return TRUE;
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const INT*) {
    const std::u16string s = TextArg(text, static_cast<int>(count));
    Call call(hdc, "ExtTextOut",
              {x, y, static_cast<long>(options), rect ? rect->left : 0, rect ? rect->top : 0,
               rect ? rect->right : 0, rect ? rect->bottom : 0},
              nullptr, &s);
    if (!call)
        return FALSE;
    const UINT align = call.dc->st.align & ~static_cast<UINT>(TA_UPDATECP);
    Canvas c = call.Pixels();
    if (!c)
        return TRUE;
    QRect box;
    if (rect)
        box = QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1));
    if ((options & ETO_OPAQUE) && rect) {
        for (int yy = std::max(box.top(), 0); yy <= std::min(box.bottom(), c.img->height() - 1);
             ++yy)
            c.Span(yy, box.left(), box.right() + 1, c.Color(c.st.bk), R2_COPYPEN);
    }
    if (!s.empty())
        DrawRun(c, x, y, Q(s), align, (options & ETO_CLIPPED) && rect ? &box : nullptr);
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size) {
    auto font = FontOfDc(hdc);
    if (!font || !size || count < 0)
        return FALSE;
    const Font::Metrics& m = font->Get();
    const QString s = Q(TextArg(text, count));
    size->cy = m.ascent + m.descent;
    size->cx = HasFonts() ? Advance(m, s) : static_cast<LONG>(s.size()) * m.avgWidth;
    return TRUE;
}

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* tm) {
    auto font = FontOfDc(hdc);
    if (!font || !tm)
        return FALSE;
    const Font::Metrics& m = font->Get();
    const LOGFONTW& lf = font->lf;
    *tm = TEXTMETRICW{};
    tm->tmHeight = m.ascent + m.descent;
    tm->tmAscent = m.ascent;
    tm->tmDescent = m.descent;
    tm->tmInternalLeading = std::max(0, tm->tmHeight - m.font.pixelSize());
    tm->tmExternalLeading = m.leading;
    tm->tmAveCharWidth = m.avgWidth;
    tm->tmMaxCharWidth = m.maxWidth;
    tm->tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
    tm->tmDigitizedAspectX = 96;
    tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFFFC;
    tm->tmDefaultChar = u'?';
    tm->tmBreakChar = u' ';
    tm->tmItalic = lf.lfItalic;
    tm->tmUnderlined = lf.lfUnderline;
    tm->tmStruckOut = lf.lfStrikeOut;
    // TMPF_FIXED_PITCH set means a variable-pitch font (a Windows quirk kept for callers).
    const bool fixed = (lf.lfPitchAndFamily & 3) == FIXED_PITCH;
    tm->tmPitchAndFamily = static_cast<BYTE>((fixed ? 0 : 1) | 4 | (lf.lfPitchAndFamily & 0xF0));
    tm->tmCharSet = lf.lfCharSet;
    return TRUE;
}

namespace {

struct Line {
    QString text;
    int underline = -1;
};

// Removes '&' prefixes: "&&" is a literal '&', "&x" underlines x.
Line StripPrefix(const QString& s, bool prefix) {
    Line l;
    if (!prefix) {
        l.text = s;
        return l;
    }
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == u'&' && i + 1 < s.size()) {
            ++i;
            if (s[i] != u'&' && l.underline < 0)
                l.underline = static_cast<int>(l.text.size());
        } else if (s[i] == u'&') {
            continue;
        }
        l.text += s[i];
    }
    return l;
}

std::vector<QString> WrapWords(const QString& line, const QFontMetrics& fm, int width) {
    std::vector<QString> out;
    const QStringList words = line.split(u' ');
    QString cur;
    for (const QString& w : words) {
        const QString next = cur.isEmpty() ? w : cur + u' ' + w;
        if (!cur.isEmpty() && fm.horizontalAdvance(next) > width) {
            out.push_back(cur);
            cur = w;
        } else {
            cur = next;
        }
    }
    out.push_back(cur);
    return out;
}

} // namespace

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    if (!rect || !text)
        return 0;
    const std::u16string s = TextArg(text, count);
    Call call(hdc, "DrawText",
              {rect->left, rect->top, rect->right, rect->bottom, static_cast<long>(format)},
              nullptr, &s);
    if (!call)
        return 0;
    Canvas c = call.Pixels();
    const Font::Metrics& m = c.st.font->Get();
    const int lh = m.ascent + m.descent;
    QString all = Q(s);
    if (format & DT_EXPANDTABS)
        all.replace(u'\t', QStringLiteral("        "));
    const bool prefix = !(format & DT_NOPREFIX);
    const bool fonts = HasFonts();
    std::optional<QFontMetrics> fm; // needs the font database; made when wrapping or eliding
    auto metrics = [&]() -> const QFontMetrics& {
        if (!fm)
            fm.emplace(m.font);
        return *fm;
    };
    auto width = [&](const QString& t) {
        return fonts ? Advance(m, t) : static_cast<int>(t.size()) * m.avgWidth;
    };
    const int boxW = rect->right - rect->left;
    std::vector<Line> lines;
    if (format & DT_SINGLELINE) {
        all.remove(u'\r');
        all.replace(u'\n', u' ');
        lines.push_back(StripPrefix(all, prefix));
    } else {
        all.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        all.replace(u'\r', u'\n');
        for (const QString& raw : all.split(u'\n')) {
            const Line l = StripPrefix(raw, prefix);
            if ((format & DT_WORDBREAK) && fonts) {
                int consumed = 0;
                for (const QString& part : WrapWords(l.text, metrics(), boxW)) {
                    Line w;
                    w.text = part;
                    if (l.underline >= consumed && l.underline < consumed + part.size())
                        w.underline = l.underline - consumed;
                    consumed += static_cast<int>(part.size()) + 1;
                    lines.push_back(w);
                }
            } else {
                lines.push_back(l);
            }
        }
    }
    if ((format & DT_END_ELLIPSIS) && (format & DT_SINGLELINE) && fonts &&
        width(lines[0].text) > boxW) {
        lines[0].text = metrics().elidedText(lines[0].text, Qt::ElideRight, boxW);
        lines[0].underline = -1;
    }
    int maxW = 0;
    for (const Line& l : lines)
        maxW = std::max(maxW, width(l.text));
    const int total = lh * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        rect->right = rect->left + maxW;
        rect->bottom = rect->top + total;
        return total;
    }
    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect->top + (rect->bottom - rect->top - lh) / 2;
        else if (format & DT_BOTTOM)
            y = rect->bottom - lh;
    }
    if (c) {
        int ly = y;
        for (const Line& l : lines) {
            const int w = width(l.text);
            int x = rect->left;
            if (format & DT_CENTER)
                x = rect->left + (boxW - w) / 2;
            else if (format & DT_RIGHT)
                x = rect->right - w;
            // Text wider than its box spills over the sides (circle and square labels rely on
            // it); only the DC's clip region limits it.
            DrawRun(c, x, ly, l.text, TA_LEFT | TA_TOP, nullptr,
                    (format & DT_HIDEPREFIX) ? -1 : l.underline);
            ly += lh;
        }
    }
    return (format & (DT_VCENTER | DT_BOTTOM)) && (format & DT_SINGLELINE) ? y - rect->top + total
                                                                           : total;
}
