// The exports of finished measurements: a spreadsheet (a table of one row per shape and the
// picture of the measurements at A1), a word-processor report (one block of lines per shape
// and the picture) and a DXF drawing (the shapes' geometry in the measurement unit). The same
// functions serve the main window (live shapes, preview coordinates) and the photo-measure
// canvas (canvas shapes); the callers choose the file, show the busy cursor, and hand in a
// copy of their shapes, how to render the picture and where messages go.
//
// UI thread only: the spreadsheet and word-processor stand-ins and the DXF wrapper are used
// from one thread. Every export writes its target only when it is complete: a failure at any
// stage shows its message and leaves an existing file as it was.
#pragma once

#include "measure/MeasureRecords.h"

#include "platform/win/core/CString.h"

#include <functional>
#include <vector>

class CDxfDrawing;

// Which kind codes the records carry: LiveTool values or canvas kinds.
enum class ShapeSource { Live, Canvas };

// A copy of the finished live shapes, taken under the live lists' lock.
std::vector<CMeasureRecord> CopyLiveShapes();
// A copy of a canvas's shapes.
std::vector<CMeasureRecord> CopyShapes(const CMeasureRecordList& shapes);

// Label line `index` of the record, empty when the record holds fewer lines.
CString LabelLine(const CMeasureRecord& record, size_t index);

// The total of a continual line's segment labels, "T:%.*f%s" in g_decimalPlaces and
// g_unitName: with n points, n odd and at least 3, the numbers that begin label lines 0 to
// (n - 3) / 2 are added (a label that does not begin with a number counts 0). Empty for an
// even n, fewer than 3 points or a sum of 0.
CString ContinualLineTotal(const CMeasureRecord& record);

// The ten column names of the sheet "ExportData".
std::vector<CString> SpreadsheetHeaders(ShapeSource source);
// The ten cells of the record's row; false for a kind that gives no row (texts, labels,
// guides).
bool SpreadsheetRow(const CMeasureRecord& record, ShapeSource source, std::vector<CString>& cells);

// One line of the word-processor report: its fixed label and the value typed right after it.
struct ReportLine {
    CString label;
    CString value;
    bool operator==(const ReportLine&) const = default;
};
// The report's lines: "File Name:", "Time of establishment:", then per live record its title
// and value lines.
std::vector<ReportLine> WordReportLines(const std::vector<CMeasureRecord>& records);

// Shows one message of an export (a message box with the stop icon in the programs).
using ExportMessage = std::function<void(const CString& text)>;
// Writes the picture of the measurements to the path; false when no picture was written.
using ExportPicture = std::function<bool(const CString& path)>;

// Where the picture of an export goes before it is placed in the document.
struct ExportPictureJob {
    CString path;         // "10000.bmp" in the program folder
    ExportPicture render; // the snapshot compositor or the canvas
};

// The spreadsheet export: "ExportData" with the header row and one row per record, then the
// picture at A1 of the first worksheet through the spreadsheet application. A workbook name
// (".xls", ".xlsx") gets a workbook; any other name the text form of the table alone, which
// holds no picture. The file is written beside the target and renamed over it when complete.
// True when the export reached the file; messages name every failure.
bool ExportToSpreadsheet(const CString& path, const std::vector<CMeasureRecord>& records,
                         ShapeSource source, const ExportPictureJob& picture,
                         const ExportMessage& show);

// The word-processor report of live records, Arial 12, single underline, left-aligned, with
// the picture after the last line; ".docx" an OOXML document, any other name RTF.
bool ExportToWord(const CString& path, const std::vector<CMeasureRecord>& records,
                  const ExportPictureJob& picture, const ExportMessage& show);

// The space the records' points are in and how they become drawing coordinates: a point
// (x, y) becomes X = x * f * s * 10 / m, Y = (height - y * f) * s * 10 / m, with f the
// points' factor into the space the lengths are measured in, `height` that space's height,
// s the unit scale and m the magnification; so the picture's bottom row is Y = 0. A record
// that keeps the scale it was measured with (m_unitsPerPixel) takes that in place of s * 10 / m.
struct DxfSpace {
    double pointFactor = 1.0;
    double height = 0.0;
    double unitScale = 0.0;
    double magnification = 1.0;
};

enum class DxfResult {
    Saved,
    NoDrawing,        // the library is missing or refused a new drawing: nothing written
    BadMagnification, // not above 0 (or not finite): nothing written
    SaveFailed,       // the library could not write the file
};

// The DXF drawing of the records: the line type "Continuous", the layer "Layer1" (the canvas
// also "Layer2", current for its entities), then lines, circles and polylines per record. A
// record with fewer points than its kind uses is left out. The drawing is destroyed again.
DxfResult ExportToDxf(CDxfDrawing& dxf, const CString& path,
                      const std::vector<CMeasureRecord>& records, ShapeSource source,
                      const DxfSpace& space);

// The texts the programs show for a DXF result (empty for Saved).
CString DxfResultText(DxfResult result);

// The path with ".dxf" appended when its file name has no extension.
CString WithDxfExtension(const CString& path);
