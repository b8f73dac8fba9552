#include "media/OdbcSpreadsheet.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

#include <algorithm>

namespace {

constexpr LONG kMaxRows = 65536; // the rows a sheet holds

const char16_t kQuote = u'"';

bool EndsWithNoCase(const CString& s, std::u16string_view suffix) {
    const std::u16string& str = s.Str();
    return str.size() >= suffix.size() &&
           ms::SameNoCase(std::u16string_view(str).substr(str.size() - suffix.size()), suffix);
}

std::u16string Doubled(const std::u16string& s, char16_t c) {
    std::u16string out;
    for (char16_t ch : s) {
        out += ch;
        if (ch == c)
            out += ch;
    }
    return out;
}

} // namespace

COdbcSpreadsheet::COdbcSpreadsheet(CString fileName, CString sheetOrSeparator, bool backup) {
    m_currentRow = 1;
    m_backup = backup;
    m_fileName = fileName;
    m_isExcel = EndsWithNoCase(fileName, u".xls") || EndsWithNoCase(fileName, u".xlsx");
    if (m_isExcel) {
        m_sheetName = sheetOrSeparator;
        m_separator = u",;.?";
        m_database = std::make_unique<CDatabase>();
        FindExcelOdbcDriver();
        m_connect.Format(
            u"DRIVER={%s};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"%s\";DBQ=%s",
            m_driver, m_fileName, m_fileName);
    } else {
        m_separator = sheetOrSeparator;
    }

    if (!LoadSheet() || !m_backup || !m_sheetExists)
        return;
    if (m_isExcel) {
        CString sheet = m_sheetName;
        m_sheetName = u"SheetBackup";
        m_sheetExists = false;
        if (!Commit())
            m_backup = false;
        m_sheetExists = true;
        m_sheetName = sheet;
        m_currentRow = 1;
    } else {
        CString file = m_fileName;
        m_fileName.Format(u"%s.bak", file);
        if (!Commit())
            m_backup = false;
        m_fileName = file;
    }
}

COdbcSpreadsheet::~COdbcSpreadsheet() {
    m_recordset.reset();
    m_database.reset(); // an open connection ends without writing
}

void COdbcSpreadsheet::FindExcelOdbcDriver() {
    WCHAR buffer[2000];
    WORD used = 0;
    m_driver.Empty();
    if (!SQLGetInstalledDriversW(buffer, 2000, &used))
        return;
    for (const WCHAR* name = buffer; *name && name < buffer + used;
         name += std::u16string_view(name).size() + 1) {
        if (std::u16string_view(name).find(u"Excel") != std::u16string_view::npos) {
            m_driver = name;
            return;
        }
    }
}

// ---- Row texts ----

CString COdbcSpreadsheet::RowText(const std::vector<CString>& values) const {
    std::u16string text;
    for (size_t i = 0; i < values.size(); ++i) {
        text += kQuote;
        text += Doubled(values[i].Str(), kQuote);
        text += kQuote;
        if (i + 1 < values.size())
            text += m_separator.Str();
    }
    return CString(text);
}

CString COdbcSpreadsheet::EmptyRowText() const {
    std::vector<CString> cells(size_t(std::max<SHORT>(m_totalColumns, 0)),
                               CString(m_isExcel ? u" " : u""));
    return RowText(cells);
}

std::vector<CString> COdbcSpreadsheet::SplitRow(const CString& row) const {
    const std::u16string& text = row.Str();
    const std::u16string& sep = m_separator.Str();
    // Quoted values, quotes inside doubled, separated by the separator.
    if (!text.empty() && text[0] == kQuote && !sep.empty()) {
        std::vector<CString> values;
        size_t i = 0;
        bool ok = true;
        for (;;) {
            if (i >= text.size() || text[i] != kQuote) {
                ok = false;
                break;
            }
            ++i;
            std::u16string value;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == kQuote) {
                    if (i + 1 < text.size() && text[i + 1] == kQuote) {
                        value += kQuote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed) {
                ok = false;
                break;
            }
            values.emplace_back(value);
            if (i == text.size())
                break;
            if (text.compare(i, sep.size(), sep) != 0) {
                ok = false;
                break;
            }
            i += sep.size();
        }
        if (ok)
            return values;
    }
    // Rows written by other programs: cut at each quote-separator-quote, else at each
    // separator, else the whole text without its enclosing quotes.
    std::vector<CString> values;
    std::u16string token = u"\"" + sep + u"\"";
    auto cut = [&](const std::u16string& s, const std::u16string& at) {
        std::vector<std::u16string> pieces;
        size_t start = 0, found;
        while ((found = s.find(at, start)) != std::u16string::npos) {
            pieces.push_back(s.substr(start, found - start));
            start = found + at.size();
        }
        pieces.push_back(s.substr(start));
        return pieces;
    };
    if (!sep.empty() && text.find(token) != std::u16string::npos) {
        auto pieces = cut(text, token);
        pieces.front().erase(0, 1);
        if (!pieces.back().empty())
            pieces.back().pop_back();
        for (auto& p : pieces)
            values.emplace_back(p);
    } else if (!sep.empty() && text.find(sep) != std::u16string::npos) {
        for (auto& p : cut(text, sep))
            values.emplace_back(p);
    } else {
        std::u16string v = text;
        if (v.size() >= 2 && v.front() == kQuote && v.back() == kQuote)
            v = v.substr(1, v.size() - 2);
        values.emplace_back(v);
    }
    return values;
}

// ---- Loading ----

bool COdbcSpreadsheet::LoadSheet() {
    if (!m_isExcel) {
        auto bytes = ms::ReadFileBytes(m_fileName.Str());
        if (!bytes) {
            m_lastError = u"Error in opening file\n";
            return false;
        }
        std::u16string text;
        text.reserve(bytes->size() / 2);
        for (size_t i = 0; i + 1 < bytes->size(); i += 2)
            text += char16_t(static_cast<unsigned char>((*bytes)[i]) |
                             (static_cast<unsigned char>((*bytes)[i + 1]) << 8));
        if (!text.empty() && text[0] == 0xFEFF)
            text.erase(0, 1);
        m_rows.clear();
        size_t start = 0;
        while (start < text.size()) {
            size_t lf = text.find(u'\n', start);
            size_t end = lf == std::u16string::npos ? text.size() : lf;
            size_t cut =
                end > start && text[end - 1] == u'\r' && lf != std::u16string::npos ? end - 1 : end;
            m_rows.emplace_back(text.substr(start, cut - start));
            start = end + 1;
        }
        m_totalRows = LONG(m_rows.size());
        m_fieldNames.clear();
        if (!m_rows.empty())
            m_fieldNames = SplitRow(m_rows[0]);
        size_t columns = 0;
        for (const auto& r : m_rows)
            columns = std::max(columns, SplitRow(r).size());
        m_totalColumns = SHORT(std::min<size_t>(columns, 0x7FFF));
        m_sheetExists = m_totalColumns != 0;
        m_currentRow = 1;
        return true;
    }

    m_database->OpenEx(m_connect, CDatabase::noOdbcDialog); // a failure leaves to the caller
    m_recordset = std::make_unique<CRecordset>(m_database.get());
    m_selectSql.Format(u"SELECT * FROM [%s$A1:IV65536]", m_sheetName);
    try {
        m_recordset->Open(CRecordset::forwardOnly, m_selectSql, CRecordset::readOnly);
    } catch (const CDBException&) {
        m_recordset.reset();
        m_database->Close();
        return false;
    }
    m_totalColumns = m_recordset->GetODBCFieldCount();
    try {
        if (m_totalColumns > 0) {
            m_rows.clear();
            m_fieldNames.clear();
            m_sheetExists = true;
            m_totalRows = 1;
            for (short c = 0; c < m_totalColumns; ++c) {
                CODBCFieldInfo info;
                m_recordset->GetODBCFieldInfo(c, info);
                m_fieldNames.push_back(info.m_strName);
            }
            m_rows.push_back(RowText(m_fieldNames));
            while (!m_recordset->IsEOF()) {
                ++m_totalRows;
                m_scratchRow.clear();
                for (short c = 0; c < m_totalColumns; ++c) {
                    CString value;
                    m_recordset->GetFieldValue(c, value);
                    m_scratchRow.push_back(value);
                }
                m_rows.push_back(RowText(m_scratchRow));
                m_recordset->MoveNext();
            }
        }
    } catch (const CDBException&) {
        m_lastError = u"Error reading row\n";
        m_recordset.reset();
        m_database->Close();
        return false;
    }
    m_recordset.reset();
    m_database->Close();
    m_currentRow = 1;
    return true;
}

// ---- Rows ----

bool COdbcSpreadsheet::ReadRow(std::vector<CString>& values, LONG row) {
    if (row < 0 || row > LONG(m_rows.size())) {
        m_lastError = u"Desired row is greater than total number of rows in spreadsheet\n";
        return false;
    }
    if (row != 0)
        m_currentRow = row;
    else if (m_currentRow < 1 || m_currentRow > LONG(m_rows.size()))
        return false;
    values = SplitRow(m_rows[size_t(m_currentRow - 1)]);
    ++m_currentRow;
    return true;
}

bool COdbcSpreadsheet::AddRow(const std::vector<CString>& values, LONG row, bool replace) {
    if (row == 1) {
        if (m_isExcel) {
            for (size_t i = 0; i < values.size(); ++i) {
                for (size_t j = i + 1; j < values.size(); ++j) {
                    if (values[i] == values[j]) {
                        m_lastError.Format(u"Duplicate header row field:%s\n", values[i]);
                        return false;
                    }
                }
            }
            if (LONG(values.size()) < m_totalColumns) {
                m_lastError = u"Number of columns in new header row cannot be less than the "
                              u"number of columns in previous header row";
                return false;
            }
            m_totalColumns = SHORT(std::min<size_t>(values.size(), 0x7FFF));
        }
        m_fieldNames = values;
    } else if (m_isExcel && m_totalColumns == 0) {
        m_lastError = u"No header row. Add header row first\n";
        return false;
    }
    if (m_isExcel && values.size() > m_fieldNames.size()) {
        m_lastError =
            u"Number of columns to be added cannot be greater than the number of fields\n";
        return false;
    }
    if (!m_isExcel && LONG(values.size()) > m_totalColumns)
        m_totalColumns = SHORT(std::min<size_t>(values.size(), 0x7FFF));
    if (row < 0 || row > kMaxRows || (row == 0 && m_totalRows >= kMaxRows)) {
        m_lastError = u"Desired row is greater than total number of rows in spreadsheet\n";
        return false;
    }

    CString text = RowText(values);
    if (row == 0) {
        m_rows.push_back(text);
        ++m_totalRows;
    } else if (row <= m_totalRows) {
        if (replace) {
            m_rows[size_t(row - 1)] = text;
        } else {
            m_rows.insert(m_rows.begin() + (row - 1), text);
            ++m_totalRows;
        }
    } else {
        while (LONG(m_rows.size()) < row - 1)
            m_rows.push_back(EmptyRowText());
        m_rows.push_back(text);
        m_totalRows = row;
        m_currentRow = row;
    }
    if (!m_batch)
        Commit();
    return true;
}

bool COdbcSpreadsheet::AddHeaders(const std::vector<CString>& names, bool replace) {
    if (!m_sheetExists) {
        m_totalColumns = SHORT(std::min<size_t>(names.size(), 0x7FFF));
        bool ok = AddRow(names, 1, true);
        if (ok)
            m_totalRows = 1;
        return ok;
    }
    if (replace)
        return AddRow(names, 1, true);
    if (!ReadRow(m_scratchRow, 1))
        return false;
    // A name the header row already has is refused in both forms, so that a second export
    // into the same file keeps one header row.
    for (const auto& name : names) {
        if (std::find(m_scratchRow.begin(), m_scratchRow.end(), name) != m_scratchRow.end()) {
            m_lastError.Format(u"Duplicate header row field:%s\n", name);
            return false;
        }
    }
    m_scratchRow.insert(m_scratchRow.end(), names.begin(), names.end());
    if (!AddRow(m_scratchRow, 1, true)) {
        m_lastError = u"Problems with adding headers\n";
        return false;
    }
    if (LONG(m_scratchRow.size()) > m_totalColumns)
        m_totalColumns = SHORT(std::min<size_t>(m_scratchRow.size(), 0x7FFF));
    return true;
}

// ---- Writing ----

bool COdbcSpreadsheet::Commit() {
    return m_isExcel ? CommitExcel() : CommitText();
}

bool COdbcSpreadsheet::CommitText() {
    std::string bytes;
    for (const auto& row : m_rows) {
        for (char16_t c : row.Str()) {
            bytes += char(c & 0xFF);
            bytes += char(c >> 8);
        }
        bytes += '\n';
        bytes += '\0';
    }
    if (!ms::WriteFileAtomic(m_fileName.Str(), bytes)) {
        m_lastError = u"Error writing file\n";
        return false;
    }
    m_batch = false;
    return true;
}

bool COdbcSpreadsheet::CommitExcel() {
    m_database->OpenEx(m_connect, CDatabase::noOdbcDialog); // a failure leaves to the caller
    bool sheetExisted = m_sheetExists;
    try {
        if (m_sheetExists) {
            m_sql.Format(u"DROP TABLE %s", u"[" + m_sheetName.Str() + u"$A1:IV65536]");
            m_database->ExecuteSQL(m_sql);
            m_sql.Format(u"CREATE TABLE [%s$A1:IV65536] (", m_sheetName);
        } else {
            m_sql.Format(u"CREATE TABLE [%s] (", m_sheetName);
        }
        for (const auto& name : m_fieldNames)
            m_sql += u"[" + name.Str() + u"] char(255), ";
        m_sql = m_sql.Left(m_sql.GetLength() - 2) + u")";
        m_database->ExecuteSQL(m_sql);
        if (!m_sheetExists) {
            m_sheetExists = true;
            m_totalColumns = SHORT(std::min<size_t>(m_fieldNames.size(), 0x7FFF));
        }
        for (LONG n = 1; n < m_totalRows; ++n) {
            if (!ReadRow(m_scratchRow, n + 1))
                break;
            size_t count = std::min(m_scratchRow.size(), m_fieldNames.size());
            if (count == 0)
                continue;
            m_sql.Format(u"INSERT INTO [%s$A1:IV%d] (", m_sheetName, n);
            for (size_t i = 0; i < count; ++i)
                m_sql.AppendFormat(u"[%s], ", m_fieldNames[i]);
            m_sql = m_sql.Left(m_sql.GetLength() - 2) + u") VALUES (";
            for (size_t i = 0; i < count; ++i)
                m_sql.AppendFormat(u"'%s', ", Doubled(m_scratchRow[i].Str(), u'\''));
            m_sql = m_sql.Left(m_sql.GetLength() - 2) + u")";
            m_database->ExecuteSQL(m_sql);
        }
        m_database->Close(); // writes the workbook
    } catch (const CDBException& e) {
        m_lastError = e.m_strError;
        m_sheetExists = sheetExisted;
        try {
            m_database->Close(); // after a failed statement nothing is written
        } catch (const CDBException&) {
        }
        return false;
    }
    m_batch = false;
    return true;
}
