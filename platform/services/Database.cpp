#include "platform/services/Database.h"

#include "platform/services/SpreadsheetDriver.h"
#include "platform/win/core/WString.h"

const char* CDBException::what() const noexcept {
    if (what_.empty())
        what_ = m_strError.ToUtf8();
    return what_.c_str();
}

namespace {
[[noreturn]] void Throw(const std::u16string& message) {
    throw CDBException(CString(message));
}
} // namespace

CDatabase::CDatabase() = default;
CDatabase::~CDatabase() = default;

BOOL CDatabase::OpenEx(LPCWSTR connect, DWORD) {
    if (connection_)
        Throw(u"The connection is already open.");
    try {
        connection_ = std::make_unique<ms::odbc::SpreadsheetConnection>(connect ? connect : u"");
    } catch (const ms::odbc::DriverError& e) {
        Throw(e.message);
    }
    return TRUE;
}

void CDatabase::ExecuteSQL(LPCWSTR sql) {
    if (!connection_)
        Throw(u"The connection is not open.");
    try {
        connection_->Execute(sql ? sql : u"");
    } catch (const ms::odbc::DriverError& e) {
        Throw(e.message);
    }
}

void CDatabase::Close() {
    auto connection = std::move(connection_);
    if (!connection)
        return;
    try {
        connection->Commit();
    } catch (const ms::odbc::DriverError& e) {
        Throw(e.message);
    }
}

CRecordset::CRecordset(CDatabase* database) : database_(database) {}
CRecordset::~CRecordset() = default;

BOOL CRecordset::Open(UINT, LPCWSTR sql, DWORD) {
    if (!database_ || !database_->connection_)
        Throw(u"The connection is not open.");
    try {
        result_ =
            std::make_unique<ms::odbc::ResultSet>(database_->connection_->Select(sql ? sql : u""));
    } catch (const ms::odbc::DriverError& e) {
        Throw(e.message);
    }
    current_ = 0;
    return TRUE;
}

void CRecordset::Close() {
    result_.reset();
}

short CRecordset::GetODBCFieldCount() const {
    return result_ ? short(result_->columns.size()) : 0;
}

void CRecordset::GetODBCFieldInfo(short index, CODBCFieldInfo& info) {
    if (!result_ || index < 0 || size_t(index) >= result_->columns.size())
        Throw(u"Invalid column number.");
    info.m_strName = CString(result_->columns[size_t(index)]);
}

void CRecordset::GetFieldValue(short index, CString& value) {
    if (!result_ || current_ >= result_->rows.size())
        Throw(u"No current record.");
    const auto& row = result_->rows[current_];
    if (index < 0 || size_t(index) >= row.size())
        Throw(u"Invalid column number.");
    value = CString(row[size_t(index)]);
}

void CRecordset::MoveNext() {
    if (result_ && current_ < result_->rows.size())
        ++current_;
}

BOOL CRecordset::IsEOF() const {
    return !result_ || current_ >= result_->rows.size();
}

BOOL SQLGetInstalledDriversW(LPWSTR buffer, WORD size, WORD* used) {
    std::u16string list = ms::odbc::kSpreadsheetDriver;
    list += u'\0';
    list += u'\0';
    if (used)
        *used = WORD(list.size());
    if (!buffer || list.size() > size)
        return FALSE;
    std::copy(list.begin(), list.end(), buffer);
    return TRUE;
}
