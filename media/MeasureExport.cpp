#include "media/MeasureExport.h"

#include "measure/Geometry.h"
#include "measure/Units.h"
#include "media/DxfDrawing.h"
#include "media/OdbcSpreadsheet.h"
#include "media/WordAutomation.h"

#include "platform/services/ExcelAutomation.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/TempFiles.h"
#include "platform/win/core/WString.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <system_error>

namespace {

struct RowRule {
    int kind;
    const char16_t* title;
    // Label line per column 2..10 (index 0 is column 2); -1 empty, -2 the continual total.
    int cells[9];
};

constexpr int E = -1; // empty cell
constexpr int T = -2; // the continual line's total

//                          Length Dia1 Dia2 Width Height Area Angle Girth Arc
constexpr RowRule kLiveRows[] = {
    {1, u"Line", {0, E, E, E, E, E, E, E, E}},
    {24, u"Line", {0, E, E, E, E, E, E, E, E}},
    {2, u"dot Line", {0, E, E, E, E, E, E, E, E}},
    {3, u"Parallel Line", {0, E, E, E, E, E, E, E, E}},
    {4, u"Continual Line", {T, E, E, E, E, E, E, E, E}},
    {5, u"Rectangle", {E, E, E, 1, 2, 0, E, E, E}},
    {6, u"Ploygon", {E, E, E, E, E, 0, E, E, E}},
    {7, u"Ellipse", {E, 1, 2, E, E, 0, E, E, E}},
    {8, u"Radius Circle", {E, 1, E, E, E, 0, E, 2, E}},
    {9, u"Diameter Circle", {E, 1, E, E, E, 0, E, 2, E}},
    {10, u"Three Point Circle", {E, 0, E, E, E, E, E, E, E}},
    {11, u"distance of two Circles", {2, 0, 1, E, E, E, E, E, E}},
    {12, u"three point angle", {E, E, E, E, E, E, 0, E, E}},
    {13, u"four point angle", {E, E, E, E, E, E, 0, E, E}},
    {25, u"four point angle", {E, E, E, E, E, E, 0, E, E}},
    {17, u"Arc Measurement", {E, 0, E, E, E, E, 1, E, 2}},
    {21, u"Auto Circle Measurement", {E, 0, E, E, E, E, E, E, E}},
    {22, u"Auto Line Measurement", {0, E, E, E, E, E, E, E, E}},
    {23, u"Auto Arc Measurement", {E, 0, E, E, E, E, 1, E, 2}},
};

constexpr RowRule kCanvasRows[] = {
    {1, u"Line", {0, E, E, E, E, E, E, E, E}},
    {18, u"Line", {0, E, E, E, E, E, E, E, E}},
    {24, u"Line", {0, E, E, E, E, E, E, E, E}},
    {22, u"Dot Line", {0, E, E, E, E, E, E, E, E}},
    {12, u"Parallel Line", {0, E, E, E, E, E, E, E, E}},
    {6, u"Continual Line", {T, E, E, E, E, E, E, E, E}},
    {3, u"Rectangle", {E, E, E, 1, 2, 0, E, E, E}},
    {19, u"Identify Circle", {E, 0, E, E, E, E, E, E, E}},
    {9, u"Three Point Circle", {E, 0, E, E, E, E, E, E, E}},
    {222, u"Arc", {E, 0, E, E, E, E, 1, E, 2}},
    {333, u"Arc", {E, 0, E, E, E, E, 1, E, 2}},
    {11, u"distance of two Circles", {2, 0, 1, E, E, E, E, E, E}},
    {5, u"three point angle", {E, E, E, E, E, E, 0, E, E}},
    {10, u"four point angle", {E, E, E, E, E, E, 0, E, E}},
    {21, u"Auto Angle-Detection", {E, E, E, E, E, E, 0, E, E}},
};

template <size_t N> const RowRule* FindRule(const RowRule (&rules)[N], int kind) {
    for (const RowRule& r : rules)
        if (r.kind == kind)
            return &r;
    return nullptr;
}

// The report's block of a live record: its title and (label, label line) pairs; -2 the total.
struct ReportRule {
    int kind;
    const char16_t* title;
    struct {
        const char16_t* label;
        int line;
    } values[3];
};

constexpr ReportRule kReportRules[] = {
    {1, u"Line", {{u"Length:", 0}}},
    {24, u"Line", {{u"Length:", 0}}},
    {2, u"Dot Line", {{u"Length:", 0}}},
    {3, u"Parallel Line", {{u"Length:", 0}}},
    {4, u"Continual Line", {{u"Length:", T}}},
    {5, u"Rectangle", {{u"Width:", 1}, {u"Height:", 2}, {u"Area:", 0}}},
    {6, u"Ploygon", {{u"Area:", 0}}},
    {7, u"Ellipse", {{u"Area:", 0}, {u"Radius1:", 1}, {u"Radius2:", 2}}},
    {8, u"Radius Circle", {{u"Radius1:", 1}, {u"Area:", 0}, {u"Girth:", 2}}},
    {9, u"Diameter Circle", {{u"Radius1:", 1}, {u"Area:", 0}, {u"Girth:", 2}}},
    {10, u"Three Point Circle", {{u"Diameter:", 1}}},
    {11, u"distance of two Circles", {{u"Length:", 2}, {u"Radius1:", 0}, {u"Radius2:", 1}}},
    {12, u"three point angle", {{u"Angle:", 0}}},
    {13, u"four point angle", {{u"Angle:", 0}}},
    {25, u"four point angle", {{u"Angle:", 0}}},
    {21, u"Auto Circle Measurement", {{u"Area:", 0}, {u"Radius:", 1}, {u"Girth:", 2}}},
    {22, u"Auto Line Measurement", {{u"Length:", 0}}},
    {23, u"Auto Arc Measurement", {{u"Radius:", 0}, {u"Angle:", 1}, {u"Arc:", 2}}},
};

CString CellOf(const CMeasureRecord& r, int line) {
    if (line == T)
        return ContinualLineTotal(r);
    return line < 0 ? CString() : LabelLine(r, static_cast<size_t>(line));
}

std::u16string LowerExtension(const std::u16string& path) {
    const size_t slash = path.find_last_of(u'/');
    const size_t dot = path.find_last_of(u'.');
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash))
        return {};
    std::u16string ext = path.substr(dot + 1);
    for (char16_t& c : ext)
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
    return ext;
}

// A file written under a hidden name beside the target, with the target's extension so that
// the writers choose the same form, and renamed over the target by Commit. Removed unless
// committed; a commit also removes what exports killed before theirs left beside the target.
class FileBeside {
public:
    explicit FileBeside(const std::u16string& target)
        : target_(target), temp_(ms::FromUtf8(ms::HiddenTempNameBeside(ms::NativePath(target)))) {}
    ~FileBeside() {
        if (!committed_) {
            std::error_code ec;
            std::filesystem::remove(ms::NativePath(temp_), ec);
        }
    }
    FileBeside(const FileBeside&) = delete;
    FileBeside& operator=(const FileBeside&) = delete;
    const std::u16string& Path() const { return temp_; }
    bool Commit() {
        std::error_code ec;
        std::filesystem::rename(ms::NativePath(temp_), ms::NativePath(target_), ec);
        committed_ = !ec;
        if (committed_)
            ms::RemoveStaleTemps(ms::NativePath(target_));
        return committed_;
    }

private:
    std::u16string target_, temp_;
    bool committed_ = false;
};

// Writes the table into `file`; false after showing why it could not.
bool WriteTable(const std::u16string& file, const std::vector<CMeasureRecord>& records,
                ShapeSource source, const ExportMessage& show) {
    try {
        COdbcSpreadsheet sheet(CString(file), u"ExportData", true);
        sheet.BeginBatch();
        sheet.AddHeaders(SpreadsheetHeaders(source), false);
        std::vector<CString> cells;
        for (const CMeasureRecord& r : records)
            if (SpreadsheetRow(r, source, cells))
                sheet.AddRow(cells, 0, false);
        if (!sheet.Commit()) {
            show(sheet.LastError().IsEmpty() ? CString(u"Could not write the spreadsheet.")
                                             : sheet.LastError());
            return false;
        }
        return true;
    } catch (const CDBException& e) {
        show(e.m_strError.IsEmpty() ? CString(u"Could not write the spreadsheet.") : e.m_strError);
        return false;
    }
}

// Deletes an old picture and renders a new one; false (after the message) when no picture file
// came out, so that an earlier export's picture is never taken for this one.
bool RenderPicture(const ExportPictureJob& picture, const ExportMessage& show) {
    const std::string native = ms::NativePath(picture.path.Str());
    std::error_code ec;
    std::filesystem::remove(native, ec);
    const bool made = picture.render && picture.render(picture.path) &&
                      std::filesystem::file_size(native, ec) > 0 && !ec;
    if (!made)
        show(u"Could not make the picture of the measurements.");
    return made;
}

// The spreadsheet application's part: open the written workbook, select worksheet 1, put the
// picture at A1, save, close and quit. False (after its message) when the picture did not
// reach the workbook.
bool PlacePicture(const std::u16string& file, ShapeSource source, const ExportPictureJob& picture,
                  const ExportMessage& show) {
    using namespace ms::excel;
    std::shared_ptr<Application> app = Application::Create();
    if (!app) {
        show(source == ShapeSource::Live ? u"Could not start Excel111."
                                         : u"Could not start Excel.");
        return false;
    }
    try {
        app->SetDisplayAlerts(false);
        app->SetUserControl(false);
    } catch (const ms::AutomationError&) {
        show(source == ShapeSource::Live ? u"Could not start Excel222."
                                         : u"Could not start Excel.");
        return false;
    }

    std::shared_ptr<Workbooks> books;
    auto closeBooks = [&] {
        try {
            if (books)
                books->Close();
        } catch (const ms::AutomationError&) {
            show(u"Could not clean up workbook.");
        }
        books.reset();
    };
    auto quit = [&] {
        try {
            app->Quit();
        } catch (const ms::AutomationError&) {
            show(u"Could not quit Excel.");
        }
    };

    std::shared_ptr<WorkbookObject> book;
    try {
        books = app->GetWorkbooks();
        book = books->Open(file);
    } catch (const ms::AutomationError&) {
        show(u"Could not open workbork.");
        closeBooks();
        quit();
        return false;
    }
    try {
        std::shared_ptr<Worksheets> sheets = book->GetWorksheets();
        const LONG count = sheets->Count();
        for (LONG i = 1; i <= count; ++i)
            sheets->Item(static_cast<SHORT>(i))->Name();
    } catch (const ms::AutomationError&) {
        show(u"Could not get sheet names.");
    }
    try {
        book->GetWorksheets()->Item(1)->Select();
    } catch (const ms::AutomationError&) {
        show(u"Could not populate the worksheet.");
        closeBooks();
        quit();
        return false;
    }

    bool placed = RenderPicture(picture, show);
    if (placed) {
        try {
            std::shared_ptr<Worksheet> active = book->GetActiveSheet();
            std::shared_ptr<Pictures> pictures = active->GetPictures();
            pictures->Cut();
            active->GetRange(u"A1", u"A1")->Select();
            pictures->Insert(picture.path.Str())->GetBorder()->SetWeight(2);
            active->GetRange(u"A1", u"A1")->Show();
            book->Save();
        } catch (const ms::AutomationError& e) {
            show(CString::FromUtf8(e.what()));
            placed = false;
        }
    }
    book.reset();
    closeBooks();
    quit();
    return placed;
}

// The foot of the perpendicular from p2 on the line through p0 and p1. Computed in double:
// the points may lie anywhere in the range of LONG, where their differences do not fit one.
void PerpendicularFoot(const POINT& p0, const POINT& p1, const POINT& p2, double& fx, double& fy) {
    const double x0 = p0.x, y0 = p0.y, x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y;
    if (p0.x == p1.x) {
        fx = x0;
        fy = y2;
    } else if (p0.y == p1.y) {
        fx = x2;
        fy = y0;
    } else {
        const double k = (y1 - y0) / (x1 - x0);
        fx = (x2 + k * (y2 - y0) + k * k * x0) / (k * k + 1.0);
        fy = y2 + (x2 - fx) / k;
    }
}

// Half the sum of two coordinates, truncated toward zero as an integer division, without the
// sum overflowing.
double IntegerMidpoint(LONG a, LONG b) {
    return static_cast<double>((static_cast<std::int64_t>(a) + b) / 2);
}

// What one record becomes in the drawing, in pixel coordinates of its space.
struct DxfWriter {
    CDxfDrawing& dxf;
    const DxfSpace& space;
    double factor; // s * 10 / m

    double X(double x) const { return x * space.pointFactor * factor; }
    double Y(double y) const { return (space.height - y * space.pointFactor) * factor; }
    double R(double r) const { return r * space.pointFactor * factor; }

    // A shape with a coordinate that is not a finite number is left out.
    static bool Finite(std::initializer_list<double> values) {
        for (double v : values)
            if (!std::isfinite(v))
                return false;
        return true;
    }
    void Line(double x1, double y1, double x2, double y2) {
        const double X1 = X(x1), Y1 = Y(y1), X2 = X(x2), Y2 = Y(y2);
        if (Finite({X1, Y1, X2, Y2}))
            dxf.AddLine(X1, Y1, X2, Y2);
    }
    void Line(const POINT& a, const POINT& b) { Line(a.x, a.y, b.x, b.y); }
    void Circle(double cx, double cy, double radiusPixels) {
        const double X1 = X(cx), Y1 = Y(cy), R1 = R(radiusPixels);
        if (Finite({X1, Y1, R1}))
            dxf.AddCircle(X1, Y1, R1);
    }
    void Polyline(const std::vector<POINT>& points, bool closed) {
        std::vector<DXF_VERTEX> vertices(points.size(), DXF_VERTEX{});
        for (size_t i = 0; i < points.size(); ++i) {
            vertices[i].x = X(points[i].x);
            vertices[i].y = Y(points[i].y);
            if (!Finite({vertices[i].x, vertices[i].y}))
                return;
        }
        dxf.AddPolyline(vertices.data(), DWORD(vertices.size()), closed ? 1 : 0);
    }
    void DotLine(const std::vector<POINT>& p) {
        double fx = 0, fy = 0;
        PerpendicularFoot(p[0], p[1], p[2], fx, fy);
        Line(p[2].x, p[2].y, fx, fy);
    }
    // The vertices of a continual line: p0, p1, then p(i), p(i + 2) for every odd i < n - 2, so
    // the inner vertices appear twice and the line runs through every vertex in order.
    void ContinualLine(const std::vector<POINT>& p) {
        std::vector<POINT> v{p[0], p[1]};
        for (size_t i = 1; i + 2 < p.size(); i += 2) {
            v.push_back(p[i]);
            v.push_back(p[i + 2]);
        }
        Polyline(v, false);
    }
    void Rectangle(const std::vector<POINT>& p) {
        Polyline({p[0], POINT{p[0].x, p[1].y}, p[1], POINT{p[1].x, p[0].y}}, true);
    }

    void Live(const CMeasureRecord& r) {
        const std::vector<POINT>& p = r.m_points;
        const size_t n = p.size();
        switch (r.m_kind) {
        case LIVE_LINE:
        case LIVE_PARALLEL_LINE:
        case LIVE_AUTO_LINE:
        case LIVE_AUTO_DISTANCE:
            if (n >= 2)
                Line(p[0], p[1]);
            break;
        case LIVE_DOT_LINE:
            if (n >= 3)
                DotLine(p);
            break;
        case LIVE_CONTINUAL_LINE:
            if (n >= 2)
                ContinualLine(p);
            break;
        case LIVE_RECTANGLE:
            if (n >= 2)
                Rectangle(p);
            break;
        case LIVE_POLYGON:
            // The last point is the one that closed the polygon; two vertices at least.
            if (n >= 3)
                Polyline(std::vector<POINT>(p.begin(), p.end() - 1), true);
            break;
        case LIVE_RADIUS_CIRCLE:
            if (n >= 2)
                Circle(p[0].x, p[0].y, Distance(p[0], p[1]));
            break;
        case LIVE_DIAMETER_CIRCLE:
            // Each half an integer division, as the live view draws the circle.
            if (n >= 2)
                Circle(IntegerMidpoint(p[0].x, p[1].x), IntegerMidpoint(p[0].y, p[1].y),
                       Distance(p[0], p[1]) * 0.5);
            break;
        case LIVE_THREE_POINT_CIRCLE:
            if (n >= 3)
                Circle(p[2].x, p[2].y, Distance(p[2], p[1]));
            break;
        case LIVE_TWO_CIRCLES:
            if (n >= 9) {
                Circle(p[3].x, p[3].y, Distance(p[3], p[0]));
                Circle(p[8].x, p[8].y, Distance(p[8], p[5]));
                Line(p[3], p[8]);
            }
            break;
        case LIVE_ANGLE:
            if (n >= 3) {
                Line(p[0], p[1]);
                Line(p[1], p[2]);
            }
            break;
        case LIVE_FOUR_POINT_ANGLE:
        case LIVE_AUTO_ANGLE:
            if (n >= 4) {
                Line(p[0], p[1]);
                Line(p[2], p[3]);
            }
            break;
        case LIVE_AUTO_CIRCLE:
            if (n >= 1)
                Circle(p[0].x, p[0].y, r.m_radius);
            break;
        default:
            break;
        }
    }

    void Canvas(const CMeasureRecord& r) {
        const std::vector<POINT>& p = r.m_points;
        const size_t n = p.size();
        switch (r.m_kind) {
        case CANVAS_KIND_LINE:
        case TOOL_PARALLEL_LINE:
        case TOOL_AUTO_LINE_SPACING:
        case TOOL_AUTO_LINE_LENGTH2:
            if (n >= 2)
                Line(p[0], p[1]);
            break;
        case CANVAS_KIND_RECTANGLE:
            if (n >= 2)
                Rectangle(p);
            break;
        case TOOL_ANGLE:
            if (n >= 3) {
                Line(p[0], p[1]);
                Line(p[1], p[2]);
            }
            break;
        case TOOL_CONTINUOUS_LINE:
            if (n >= 2)
                ContinualLine(p);
            break;
        case TOOL_THREE_POINT_CIRCLE:
            if (n >= 2)
                Circle(p[0].x, p[0].y, Distance(p[0], p[1]));
            break;
        case TOOL_FOUR_POINT_ANGLE:
        case TOOL_AUTO_ANGLE:
            if (n >= 4) {
                Line(p[0], p[1]);
                Line(p[2], p[3]);
            }
            break;
        case TOOL_TWO_CIRCLES:
            if (n >= 9) {
                Circle(p[3].x, p[3].y, Distance(p[0], p[3]));
                Circle(p[8].x, p[8].y, Distance(p[5], p[8]));
                Line(p[3], p[8]);
            }
            break;
        case TOOL_AUTO_CIRCLE:
            if (n >= 1)
                Circle(p[0].x, p[0].y, r.m_radius);
            break;
        case TOOL_DOT_LINE:
            if (n >= 3)
                DotLine(p);
            break;
        default:
            break;
        }
    }
};

DXF_LTYPE LineTypeRecord() {
    DXF_LTYPE r{};
    ms::CopyBounded(r.name, std::size(r.name), u"Continuous");
    ms::CopyBounded(r.description, std::size(r.description), u"Solid line");
    return r;
}

DXF_LAYER LayerRecord(const char16_t* name, DWORD lineType) {
    DXF_LAYER r{};
    ms::CopyBounded(r.name, std::size(r.name), name);
    r.color = 1;
    r.lineType = lineType;
    return r;
}

} // namespace

std::vector<CMeasureRecord> CopyLiveShapes() {
    LiveListsLock lock;
    return CopyShapes(lock.Shapes());
}

std::vector<CMeasureRecord> CopyShapes(const CMeasureRecordList& shapes) {
    std::vector<CMeasureRecord> copy;
    copy.reserve(static_cast<size_t>(shapes.GetSize()));
    for (const auto& r : shapes)
        copy.push_back(*r);
    return copy;
}

CString LabelLine(const CMeasureRecord& record, size_t index) {
    return index < record.m_labels.size() ? record.m_labels[index] : CString();
}

CString ContinualLineTotal(const CMeasureRecord& record) {
    const size_t n = record.m_points.size();
    if (n < 3 || n % 2 == 0)
        return {};
    double sum = 0.0;
    for (size_t i = 2; i < n; i += 2)
        sum += _wtof(LabelLine(record, i / 2 - 1).GetString());
    if (sum == 0.0 || !std::isfinite(sum))
        return {};
    return MeasureLabel(LabelKind::Total, sum);
}

std::vector<CString> SpreadsheetHeaders(ShapeSource source) {
    return {u"measuring objective",
            u"Length",
            u"Diameter1",
            u"Diameter2",
            u"Width",
            u"Height",
            u"Area",
            u"Angle",
            u"Girth",
            source == ShapeSource::Live ? u"Arc-length" : u"Arc"};
}

bool SpreadsheetRow(const CMeasureRecord& record, ShapeSource source, std::vector<CString>& cells) {
    const RowRule* rule = source == ShapeSource::Live ? FindRule(kLiveRows, record.m_kind)
                                                      : FindRule(kCanvasRows, record.m_kind);
    if (!rule)
        return false;
    cells.assign(1, CString(rule->title));
    for (int line : rule->cells)
        cells.push_back(CellOf(record, line));
    return true;
}

std::vector<ReportLine> WordReportLines(const std::vector<CMeasureRecord>& records) {
    std::vector<ReportLine> lines{{u"File Name:", {}}, {u"Time of establishment:", {}}};
    for (const CMeasureRecord& r : records) {
        const ReportRule* rule = nullptr;
        for (const ReportRule& candidate : kReportRules)
            if (candidate.kind == r.m_kind)
                rule = &candidate;
        if (!rule)
            continue;
        lines.push_back({rule->title, {}});
        for (const auto& value : rule->values)
            if (value.label)
                lines.push_back({value.label, CellOf(r, value.line)});
    }
    return lines;
}

bool ExportToSpreadsheet(const CString& path, const std::vector<CMeasureRecord>& records,
                         ShapeSource source, const ExportPictureJob& picture,
                         const ExportMessage& show) {
    FileBeside file(path.Str());
    if (!WriteTable(file.Path(), records, source, show))
        return false;
    const std::u16string ext = LowerExtension(path.Str());
    if ((ext == u"xls" || ext == u"xlsx") && !PlacePicture(file.Path(), source, picture, show))
        return false;
    if (!file.Commit()) {
        show(u"Could not write " + path + u".");
        return false;
    }
    return true;
}

bool ExportToWord(const CString& path, const std::vector<CMeasureRecord>& records,
                  const ExportPictureJob& picture, const ExportMessage& show) {
    CWordAutomation word;
    if (!word.Start())
        return false; // Start showed its message
    try {
        word.SetFont(u"Arial", 12.0f, 0, 0);
        word.SetFontStyle(0, 0, 1);
        word.SetAlignment(0);
        for (const ReportLine& line : WordReportLines(records)) {
            word.TypeText(line.label);
            if (!line.value.IsEmpty())
                word.TypeText(line.value);
            word.m_selection->TypeParagraph();
        }
        if (!RenderPicture(picture, show)) {
            word.Quit();
            return false;
        }
        word.InsertPicture(picture.path);
        word.SaveAs(path);
    } catch (const ms::AutomationError& e) {
        show(CString::FromUtf8(e.what()));
        word.Quit();
        return false;
    }
    word.Quit();
    return true;
}

DxfResult ExportToDxf(CDxfDrawing& dxf, const CString& path,
                      const std::vector<CMeasureRecord>& records, ShapeSource source,
                      const DxfSpace& space) {
    const double factor = space.unitScale * 10.0 / space.magnification;
    if (!(space.magnification > 0.0) || !std::isfinite(factor))
        return DxfResult::BadMagnification;
    if (!dxf.Create())
        return DxfResult::NoDrawing;

    DXF_LTYPE lineType = LineTypeRecord();
    const DWORD lineTypeHandle = dxf.AddLineType(&lineType);
    DXF_LAYER layer = LayerRecord(u"Layer1", lineTypeHandle);
    dxf.AddLayer(&layer);
    if (source == ShapeSource::Canvas) {
        layer = LayerRecord(u"Layer2", lineTypeHandle);
        dxf.AddLayer(&layer);
        dxf.SetLayer(u"Layer2");
    }

    DxfWriter writer{dxf, space, factor};
    for (const CMeasureRecord& r : records) {
        // Each shape in the scale it was measured with, as its label reads.
        writer.factor = r.m_unitsPerPixel > 0.0 ? r.m_unitsPerPixel : factor;
        if (source == ShapeSource::Live)
            writer.Live(r);
        else
            writer.Canvas(r);
    }
    const int saved = dxf.SaveToFile(path.GetString(), 0);
    dxf.Destroy();
    return saved ? DxfResult::Saved : DxfResult::SaveFailed;
}

CString DxfResultText(DxfResult result) {
    switch (result) {
    case DxfResult::Saved:
        return {};
    case DxfResult::NoDrawing:
        return u"Fatal error on creating CDxfDrawing!";
    case DxfResult::BadMagnification:
        return u"The magnification must be a number above 0.";
    case DxfResult::SaveFailed:
        return u"Error while saving dxf file!";
    }
    return {};
}

CString WithDxfExtension(const CString& path) {
    const std::u16string& s = path.Str();
    const size_t slash = s.find_last_of(u'/');
    const size_t dot = s.find_last_of(u'.');
    const bool hasExtension = dot != std::u16string::npos &&
                              (slash == std::u16string::npos || dot > slash + 1) &&
                              dot + 1 < s.size();
    return hasExtension ? path : path + u".dxf";
}
