// COdbcSpreadsheet: a spreadsheet file as a plain table of text rows, for the spreadsheet
// exports. A name ending in ".xls" or ".xlsx" is a workbook reached through the data-access
// layer (CDatabase, CRecordset and the spreadsheet driver; the Excel form); any other name is
// a text file of UTF-16LE lines (the text form), each value in double quotes followed by the
// separator. The whole sheet is held in memory as one row text per row, read when the object
// is constructed and written whole on every change, or once at Commit in batch mode.
//
// Values survive as they are: a double quote inside a value is doubled in the row text (and
// in the text file), an apostrophe is doubled in the statements. Headers are written once: a
// header name that the sheet already has is refused in both forms.
//
// Used on the UI thread for one command: construct (with backup: the old sheet is copied to
// the sheet "SheetBackup" of the same workbook, or to "<file>.bak"), BeginBatch, AddHeaders,
// AddRow per row, Commit. A connection that cannot be opened (no driver, a file that is no
// workbook) throws CDBException out of the constructor and Commit; every other failure
// returns false with the reason in LastError().
#pragma once

#include "platform/services/Database.h"
#include "platform/win/core/CString.h"

#include <memory>
#include <vector>

class COdbcSpreadsheet {
public:
    COdbcSpreadsheet(CString fileName, CString sheetOrSeparator, bool backup);
    ~COdbcSpreadsheet();
    COdbcSpreadsheet(const COdbcSpreadsheet&) = delete;
    COdbcSpreadsheet& operator=(const COdbcSpreadsheet&) = delete;

    // Sets the header row of a new sheet; on a sheet that has one, replaces it (replace set) or
    // adds the names to its right.
    bool AddHeaders(const std::vector<CString>& names, bool replace);
    // Places one row: row 0 appends, 1 to the last row replaces (replace set) or inserts
    // before it, a row past the end appends empty rows up to it.
    bool AddRow(const std::vector<CString>& values, LONG row, bool replace);
    // The values of one row (1 is the header row); row 0 reads the next row in turn and
    // returns false, leaving LastError as it was, past the last one.
    bool ReadRow(std::vector<CString>& values, LONG row);
    void BeginBatch() { m_batch = true; }
    // Writes the whole sheet and leaves batch mode. False (still in batch mode, the file as it
    // was) when it cannot be written.
    bool Commit();

    const CString& LastError() const { return m_lastError; }
    bool IsExcel() const { return m_isExcel; }
    bool BackupMade() const { return m_backup; }
    LONG TotalRows() const { return m_totalRows; }
    SHORT TotalColumns() const { return m_totalColumns; }

private:
    bool LoadSheet();
    void FindExcelOdbcDriver();
    CString RowText(const std::vector<CString>& values) const;
    CString EmptyRowText() const;
    std::vector<CString> SplitRow(const CString& text) const;
    bool CommitExcel();
    bool CommitText();

    bool m_sheetExists = false;
    bool m_backup = false;
    bool m_isExcel = false;
    bool m_batch = false;
    LONG m_currentRow = 1;
    LONG m_totalRows = 0;
    SHORT m_totalColumns = 0;
    CString m_selectSql;
    CString m_connect;
    CString m_sql;
    CString m_sheetName;
    CString m_driver;
    CString m_fileName;
    CString m_separator;
    CString m_lastError;
    std::vector<CString> m_scratchRow;
    std::vector<CString> m_fieldNames;
    std::vector<CString> m_rows;
    std::unique_ptr<CDatabase> m_database;
    std::unique_ptr<CRecordset> m_recordset;
};
