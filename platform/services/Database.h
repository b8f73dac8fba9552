// The framework's database classes (CDatabase, CRecordset) over the in-process spreadsheet
// driver (SpreadsheetDriver.h), which is the one driver installed. A connection reads its
// workbook when it opens; its statements change the workbook in memory, and Close writes it
// once, atomically, when they changed it and none failed. A connection destroyed while open
// writes nothing. Failures throw CDBException with the data source's message.
#pragma once

#include "platform/win/core/CString.h"

#include <exception>
#include <memory>
#include <string>

namespace ms::odbc {
class SpreadsheetConnection;
struct ResultSet;
} // namespace ms::odbc

using RETCODE = SHORT;
#define SQL_ERROR (-1)

class CDBException : public std::exception {
public:
    explicit CDBException(CString error) : m_strError(std::move(error)) {}
    const char* what() const noexcept override;
    RETCODE m_nRetCode = SQL_ERROR;
    CString m_strError; // the data source's message

private:
    mutable std::string what_;
};

class CDatabase {
public:
    enum DbOpenOptions {
        openExclusive = 0x0001,
        openReadOnly = 0x0002,
        useCursorLib = 0x0004,
        noOdbcDialog = 0x0008,
        forceOdbcDialog = 0x0010,
    };
    CDatabase();
    virtual ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Opens the connection (no dialog is ever shown). Throws CDBException when the driver is
    // not installed or the workbook cannot be opened.
    BOOL OpenEx(LPCWSTR connect, DWORD options = 0);
    BOOL IsOpen() const { return connection_ != nullptr; }
    // Throws CDBException when the statement fails (or no connection is open).
    void ExecuteSQL(LPCWSTR sql);
    // Writes what the statements changed and closes. The connection is closed in any case;
    // throws CDBException when the workbook could not be written (the file is then as it was).
    void Close();

private:
    friend class CRecordset;
    std::unique_ptr<ms::odbc::SpreadsheetConnection> connection_;
};

struct CODBCFieldInfo {
    CString m_strName;
};

// A forward-only result of a SELECT statement.
class CRecordset {
public:
    enum OpenType { dynaset = 0, snapshot = 1, forwardOnly = 2, dynamic = 3 };
    enum OpenOptions { none = 0, readOnly = 0x0004, appendOnly = 0x0008 };
    explicit CRecordset(CDatabase* database = nullptr);
    virtual ~CRecordset();
    CRecordset(const CRecordset&) = delete;
    CRecordset& operator=(const CRecordset&) = delete;

    // Runs the statement. Throws CDBException when it fails (a sheet that does not exist).
    virtual BOOL Open(UINT openType, LPCWSTR sql, DWORD options = none);
    BOOL IsOpen() const { return result_ != nullptr; }
    void Close();
    short GetODBCFieldCount() const;
    // Throws CDBException for an index out of range.
    void GetODBCFieldInfo(short index, CODBCFieldInfo& info);
    // The current record's value; throws CDBException past the end or out of range.
    void GetFieldValue(short index, CString& value);
    void MoveNext();
    BOOL IsEOF() const;

private:
    CDatabase* database_;
    std::unique_ptr<ms::odbc::ResultSet> result_;
    size_t current_ = 0;
};

// The installed drivers' names, each ended by a null character, then an empty name. FALSE
// when the list does not fit `size` characters.
BOOL SQLGetInstalledDriversW(LPWSTR buffer, WORD size, WORD* used);
