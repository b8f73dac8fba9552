// The in-process spreadsheet driver behind the data-access stand-in (Database.h): a workbook
// (Workbook.h) as a database whose tables are its sheets, with the statements the spreadsheet
// exports issue:
//   SELECT * FROM [Sheet$A1:IV65536]
//   DROP TABLE [Sheet$A1:IV65536]               empties the sheet ([Sheet]: removes it)
//   CREATE TABLE [Sheet] ([a] char(255), ...)   a new sheet with that header row
//   CREATE TABLE [Sheet$A1:IV65536] (...)       the header row of an empty sheet
//   INSERT INTO [Sheet$A1:IVn] ([a], ...) VALUES ('x', ...)   the row below the range
// String literals double their apostrophes ('it''s'). Row 1 holds the column names.
//
// The workbook is read when the connection opens (a missing file is a new, empty workbook)
// and written once, atomically, by Commit, only when a statement changed it and none failed:
// a failure at any stage leaves the file as it was.
#pragma once

#include "platform/services/Workbook.h"

#include <string>
#include <vector>

namespace ms::odbc {

// The one driver installed.
inline constexpr char16_t kSpreadsheetDriver[] = u"Excel Workbook Driver (*.xls, *.xlsx)";

// A failed connection or statement, with the data source's message.
struct DriverError {
    std::u16string message;
};

struct ResultSet {
    std::vector<std::u16string> columns;
    std::vector<std::vector<std::u16string>> rows; // each as long as `columns`
};

class SpreadsheetConnection {
public:
    // Connection string keys: DRIVER (this driver), DBQ (the workbook's path), READONLY.
    // Throws DriverError for another driver, no workbook path, or a file that is no workbook.
    explicit SpreadsheetConnection(const std::u16string& connect);
    void Execute(const std::u16string& sql);     // throws DriverError
    ResultSet Select(const std::u16string& sql); // throws DriverError
    // Writes the workbook when it changed and no statement failed; throws DriverError when it
    // cannot be written.
    void Commit();
    const xlsx::Workbook& Book() const { return book_; }

private:
    std::u16string path_;
    xlsx::Workbook book_;
    bool readOnly_ = false;
    bool changed_ = false;
    bool failed_ = false;
};

} // namespace ms::odbc
