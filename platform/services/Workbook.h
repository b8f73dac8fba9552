// Workbooks of the spreadsheet stand-ins (data access and automation): sheets of text cells
// and pictures, written as OOXML (libxlsxwriter) and read back from OOXML packages (libzip,
// expat). A workbook read and written again keeps its sheets, their order, every value (as
// text) and every picture at its top-left cell, not formats or formulas. Workbooks come from
// outside: reading is bounded to the columns A to IV and rows 1 to 65,536, and a damaged package is
// refused, never half read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ms::xlsx {

constexpr int kMaxRows = 65536;
constexpr int kMaxColumns = 256;
// Characters (UTF-16 units) one cell holds.
constexpr size_t kMaxCellLength = 32767;

// A picture placed with its top-left corner at a cell, at its own size.
struct SheetPicture {
    int row = 0; // 0-based
    int column = 0;
    std::string data; // the picture file's bytes (PNG or JPEG)
};

struct Sheet {
    std::u16string name;
    std::vector<std::vector<std::u16string>> rows; // rows[r][c], 0-based; rows may be short
    std::vector<SheetPicture> pictures;

    // The number of rows up to the last one holding a value.
    int UsedRows() const;
    // The number of columns up to the last one holding a value in any row.
    int UsedColumns() const;
    const std::u16string& Cell(int row, int column) const;
    void SetCell(int row, int column, std::u16string value);
};

struct Workbook {
    std::vector<Sheet> sheets;
    // The sheet of that name, compared without regard to case; null when none.
    Sheet* Find(std::u16string_view name);
};

// The workbook at `path`, or nothing with the reason in `error`.
std::optional<Workbook> Read(const std::u16string& path, std::u16string& error);
// Writes the workbook to a temporary file beside `path` and renames it over `path` when
// complete, so a failure leaves the old file as it was. False with the reason in `error`; a
// cell longer than kMaxCellLength is refused, the reason naming its row and sheet.
bool Write(const Workbook& book, const std::u16string& path, std::u16string& error);

} // namespace ms::xlsx
