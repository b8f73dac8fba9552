#include "platform/services/SpreadsheetDriver.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

#include <sys/stat.h>

namespace ms::odbc {

namespace {

[[noreturn]] void Fail(std::u16string message) {
    throw DriverError{std::move(message)};
}

// ---- Connection string ----

// KEY=value pairs separated by ';'; a value may be enclosed in {}, "" or ''.
std::vector<std::pair<std::u16string, std::u16string>> ParseConnect(std::u16string_view s) {
    std::vector<std::pair<std::u16string, std::u16string>> pairs;
    size_t i = 0;
    while (i < s.size()) {
        size_t eq = s.find(u'=', i);
        if (eq == std::u16string_view::npos)
            break;
        std::u16string key(s.substr(i, eq - i));
        while (!key.empty() && IsSpace(key.front()))
            key.erase(key.begin());
        while (!key.empty() && IsSpace(key.back()))
            key.pop_back();
        i = eq + 1;
        std::u16string value;
        char16_t close = i < s.size() && s[i] == u'{'    ? u'}'
                         : i < s.size() && s[i] == u'"'  ? u'"'
                         : i < s.size() && s[i] == u'\'' ? u'\''
                                                         : 0;
        if (close) {
            size_t end = s.find(close, i + 1);
            if (end == std::u16string_view::npos)
                end = s.size();
            value = s.substr(i + 1, end - i - 1);
            i = end + 1;
            size_t semi = s.find(u';', i);
            i = semi == std::u16string_view::npos ? s.size() : semi + 1;
        } else {
            size_t semi = s.find(u';', i);
            size_t end = semi == std::u16string_view::npos ? s.size() : semi;
            value = s.substr(i, end - i);
            i = end + 1;
        }
        pairs.emplace_back(std::move(key), std::move(value));
    }
    return pairs;
}

// ---- Statements ----

struct Token {
    enum Kind { Word, Name, String, Number, Symbol, End } kind;
    std::u16string text;
};

std::vector<Token> Tokenize(std::u16string_view sql) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < sql.size()) {
        char16_t c = sql[i];
        if (IsSpace(c)) {
            ++i;
        } else if (c == u'[') {
            size_t end = sql.find(u']', i + 1);
            if (end == std::u16string_view::npos)
                Fail(u"Syntax error: a name in brackets is not closed.");
            tokens.push_back({Token::Name, std::u16string(sql.substr(i + 1, end - i - 1))});
            i = end + 1;
        } else if (c == u'\'') {
            std::u16string text;
            ++i;
            for (;;) {
                if (i >= sql.size())
                    Fail(u"Syntax error: a string is not closed.");
                if (sql[i] == u'\'') {
                    if (i + 1 < sql.size() && sql[i + 1] == u'\'') {
                        text += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += sql[i++];
            }
            tokens.push_back({Token::String, std::move(text)});
        } else if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'.') {
            size_t start = i++;
            while (i < sql.size() && ((sql[i] >= u'0' && sql[i] <= u'9') || sql[i] == u'.' ||
                                      sql[i] == u'e' || sql[i] == u'E'))
                ++i;
            tokens.push_back({Token::Number, std::u16string(sql.substr(start, i - start))});
        } else if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c > 0x7F) {
            size_t start = i++;
            while (i < sql.size() &&
                   ((sql[i] >= u'A' && sql[i] <= u'Z') || (sql[i] >= u'a' && sql[i] <= u'z') ||
                    (sql[i] >= u'0' && sql[i] <= u'9') || sql[i] == u'_' || sql[i] == u'$' ||
                    sql[i] > 0x7F))
                ++i;
            tokens.push_back({Token::Word, std::u16string(sql.substr(start, i - start))});
        } else if (std::u16string_view(u"(),*;").find(c) != std::u16string_view::npos) {
            tokens.push_back({Token::Symbol, std::u16string(1, c)});
            ++i;
        } else {
            Fail(u"Syntax error near '" + std::u16string(1, c) + u"'.");
        }
    }
    tokens.push_back({Token::End, {}});
    return tokens;
}

class Parser {
public:
    explicit Parser(std::u16string_view sql) : tokens_(Tokenize(sql)) {}
    bool Keyword(std::u16string_view word) {
        if (Peek().kind == Token::Word && SameNoCase(Peek().text, word)) {
            ++pos_;
            return true;
        }
        return false;
    }
    void ExpectKeyword(std::u16string_view word) {
        if (!Keyword(word))
            Fail(u"Syntax error: " + std::u16string(word) + u" expected.");
    }
    bool Symbol(char16_t c) {
        if (Peek().kind == Token::Symbol && Peek().text[0] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void ExpectSymbol(char16_t c) {
        if (!Symbol(c))
            Fail(u"Syntax error: '" + std::u16string(1, c) + u"' expected.");
    }
    std::u16string Identifier() {
        const Token& t = Peek();
        if (t.kind != Token::Name && t.kind != Token::Word)
            Fail(u"Syntax error: a name expected.");
        ++pos_;
        return t.text;
    }
    std::u16string Literal() {
        const Token& t = Peek();
        if (t.kind == Token::String || t.kind == Token::Number) {
            ++pos_;
            return t.text;
        }
        if (Keyword(u"NULL"))
            return {};
        Fail(u"Syntax error: a value expected.");
    }
    void ExpectEnd() {
        Symbol(u';');
        if (Peek().kind != Token::End)
            Fail(u"Syntax error: unexpected text after the statement.");
    }

private:
    const Token& Peek() const { return tokens_[pos_]; }
    std::vector<Token> tokens_;
    size_t pos_ = 0;
};

// "Sheet$A1:IV65536" -> sheet "Sheet", with a range ending at row 65536 (1-based); "Sheet":
// the sheet's name without a range.
struct TableRef {
    std::u16string sheet;
    bool hasRange = false;
    int lastRow = 0; // 1-based last row of the range, 0 when open-ended
};

TableRef ParseTable(const std::u16string& text) {
    TableRef t;
    size_t dollar = text.rfind(u'$');
    if (dollar == std::u16string::npos) {
        t.sheet = text;
    } else {
        t.sheet = text.substr(0, dollar);
        t.hasRange = true;
        std::u16string range = text.substr(dollar + 1);
        size_t colon = range.find(u':');
        std::u16string last = colon == std::u16string::npos ? range : range.substr(colon + 1);
        size_t digits = last.find_first_of(u"0123456789");
        if (digits != std::u16string::npos)
            t.lastRow = _wtoi(last.c_str() + digits);
    }
    if (t.sheet.empty())
        Fail(u"No table name.");
    return t;
}

bool ValidSheetName(const std::u16string& name) {
    if (name.empty() || name.size() > 31 || name.front() == u'\'' || name.back() == u'\'')
        return false;
    return name.find_first_of(u"[]:*?/\\") == std::u16string::npos;
}

xlsx::Sheet& ExistingSheet(xlsx::Workbook& book, const TableRef& t) {
    xlsx::Sheet* sheet = book.Find(t.sheet);
    if (!sheet)
        Fail(u"The table '" + t.sheet + u"' does not exist.");
    return *sheet;
}

} // namespace

SpreadsheetConnection::SpreadsheetConnection(const std::u16string& connect) {
    std::u16string driver;
    for (auto& [key, value] : ParseConnect(connect)) {
        if (SameNoCase(key, u"DRIVER"))
            driver = value;
        else if (SameNoCase(key, u"DBQ"))
            path_ = value;
        else if (SameNoCase(key, u"READONLY"))
            readOnly_ = SameNoCase(value, u"TRUE") || value == u"1";
    }
    if (!SameNoCase(driver, kSpreadsheetDriver))
        Fail(u"Data source name not found and no default driver specified.");
    if (path_.empty())
        Fail(u"No workbook named in the connection.");
    struct stat st;
    if (::stat(NativePath(path_).c_str(), &st) == 0) {
        std::u16string error;
        auto book = xlsx::Read(path_, error);
        if (!book)
            Fail(u"The workbook '" + path_ + u"' cannot be opened. " + error);
        book_ = std::move(*book);
    }
}

ResultSet SpreadsheetConnection::Select(const std::u16string& sql) {
    {
        Parser p(sql);
        p.ExpectKeyword(u"SELECT");
        p.ExpectSymbol(u'*');
        p.ExpectKeyword(u"FROM");
        TableRef t = ParseTable(p.Identifier());
        p.ExpectEnd();
        const xlsx::Sheet& sheet = ExistingSheet(book_, t);
        ResultSet r;
        int columns = sheet.UsedColumns(), rows = sheet.UsedRows();
        for (int c = 0; c < columns; ++c) {
            std::u16string name = sheet.Cell(0, c);
            r.columns.push_back(name.empty() ? u"F" + ms::FromUtf8(std::to_string(c + 1)) : name);
        }
        for (int row = 1; row < rows; ++row) {
            std::vector<std::u16string> values;
            for (int c = 0; c < columns; ++c)
                values.push_back(sheet.Cell(row, c));
            r.rows.push_back(std::move(values));
        }
        return r;
    }
}

void SpreadsheetConnection::Execute(const std::u16string& sql) {
    try {
        Parser p(sql);
        if (readOnly_)
            Fail(u"The workbook is opened read-only.");
        if (p.Keyword(u"DROP")) {
            p.ExpectKeyword(u"TABLE");
            TableRef t = ParseTable(p.Identifier());
            p.ExpectEnd();
            xlsx::Sheet& sheet = ExistingSheet(book_, t);
            if (t.hasRange) {
                sheet.rows.clear();
            } else {
                std::erase_if(book_.sheets, [&](const xlsx::Sheet& s) { return &s == &sheet; });
            }
        } else if (p.Keyword(u"CREATE")) {
            p.ExpectKeyword(u"TABLE");
            TableRef t = ParseTable(p.Identifier());
            std::vector<std::u16string> names;
            p.ExpectSymbol(u'(');
            do {
                names.push_back(p.Identifier());
                p.Identifier(); // the type: every column holds text
                if (p.Symbol(u'(')) {
                    p.Literal();
                    p.ExpectSymbol(u')');
                }
            } while (p.Symbol(u','));
            p.ExpectSymbol(u')');
            p.ExpectEnd();
            for (size_t i = 0; i < names.size(); ++i)
                for (size_t j = 0; j < i; ++j)
                    if (SameNoCase(names[i], names[j]))
                        Fail(u"The field '" + names[i] + u"' is given twice.");
            if (names.size() > size_t(xlsx::kMaxColumns))
                Fail(u"Too many fields.");
            xlsx::Sheet* sheet = book_.Find(t.sheet);
            if (sheet && (!t.hasRange || sheet->UsedRows() > 0))
                Fail(u"The table '" + t.sheet + u"' already exists.");
            if (!sheet) {
                if (!ValidSheetName(t.sheet))
                    Fail(u"'" + t.sheet + u"' is not a valid sheet name.");
                book_.sheets.push_back(xlsx::Sheet{t.sheet, {}, {}});
                sheet = &book_.sheets.back();
            }
            for (size_t c = 0; c < names.size(); ++c)
                sheet->SetCell(0, int(c), names[c]);
        } else if (p.Keyword(u"INSERT")) {
            p.ExpectKeyword(u"INTO");
            TableRef t = ParseTable(p.Identifier());
            std::vector<std::u16string> fields, values;
            if (p.Symbol(u'(')) {
                do
                    fields.push_back(p.Identifier());
                while (p.Symbol(u','));
                p.ExpectSymbol(u')');
            }
            p.ExpectKeyword(u"VALUES");
            p.ExpectSymbol(u'(');
            do
                values.push_back(p.Literal());
            while (p.Symbol(u','));
            p.ExpectSymbol(u')');
            p.ExpectEnd();
            xlsx::Sheet& sheet = ExistingSheet(book_, t);
            int columns = sheet.UsedColumns();
            std::vector<int> target;
            if (fields.empty()) {
                for (int c = 0; c < int(values.size()); ++c)
                    target.push_back(c);
            } else {
                for (const auto& f : fields) {
                    int found = -1;
                    for (int c = 0; c < columns && found < 0; ++c)
                        if (SameNoCase(sheet.Cell(0, c), f))
                            found = c;
                    if (found < 0)
                        Fail(u"The field '" + f + u"' does not exist in the table '" + t.sheet +
                             u"'.");
                    target.push_back(found);
                }
            }
            if (values.size() != target.size() || int(values.size()) > columns)
                Fail(u"The number of values does not match the number of fields.");
            // The row below the range, or below the last row in use.
            int row = t.hasRange && t.lastRow > 0 ? t.lastRow : std::max(sheet.UsedRows(), 1);
            if (row >= xlsx::kMaxRows)
                Fail(u"The sheet is full.");
            for (size_t i = 0; i < values.size(); ++i)
                sheet.SetCell(row, target[i], values[i]);
            if (sheet.rows.size() <= size_t(row))
                sheet.rows.resize(size_t(row) + 1); // a row of empty values still counts
        } else {
            Fail(u"Syntax error: the statement is not understood.");
        }
        changed_ = true;
    } catch (const DriverError&) {
        failed_ = true;
        throw;
    }
}

void SpreadsheetConnection::Commit() {
    if (!changed_ || failed_)
        return;
    std::u16string error;
    if (!xlsx::Write(book_, path_, error))
        Fail(error);
    changed_ = false;
}

} // namespace ms::odbc
