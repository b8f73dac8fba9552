#include "measure/IniTextFile.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string PathBytes(const WCHAR* path) {
    return ms::ToUtf8(path ? std::u16string_view(path) : u"");
}

// Reads the whole file. 1 read, 0 missing, -1 exists but unreadable.
int ReadAll(const std::string& path, std::string& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? 0 : -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return -1;
        }
        if (n == 0)
            break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return 1;
}

const char kByteOrderMark[] = "\xEF\xBB\xBF";

bool Contains(const CString& line, const WCHAR* what) {
    return line.Find(what) >= 0;
}

// A section line, trimmed, without its first and last character (the brackets).
CString SectionName(const CString& line) {
    CString t(line);
    t.Trim();
    if (t.GetLength() < 2)
        return CString();
    return t.Mid(1, t.GetLength() - 2);
}

bool StartsSection(const CString& line) {
    CString t(line);
    t.TrimLeft();
    return !t.IsEmpty() && t[0] == u'[';
}

// What a line after the section line is to the key search.
enum class LineRole { Skip, Key, SectionEnd, Other };

// A header line never counts as the key line: "[100]" holds the key "10", and taking it as
// the key of section 10 would overwrite section 100's header.
LineRole RoleOf(const CString& line, const WCHAR* key) {
    if (Contains(line, u"//"))
        return LineRole::Skip;
    if (StartsSection(line))
        return LineRole::SectionEnd;
    if (Contains(line, key))
        return LineRole::Key;
    if (Contains(line, u"["))
        return LineRole::SectionEnd;
    return LineRole::Other;
}

bool IsMagnificationText(const WCHAR* text) {
    if (text == nullptr || *text == 0)
        return false;
    for (const WCHAR* p = text; *p; ++p)
        if (!((*p >= u'0' && *p <= u'9') || *p == u'.'))
            return false;
    return true;
}

} // namespace

CIniTextFile::~CIniTextFile() {
    Flush();
}

int CIniTextFile::Load(const WCHAR* path) {
    return LoadFile(path, false);
}

int CIniTextFile::LoadForWriting(const WCHAR* path) {
    return LoadFile(path, true);
}

int CIniTextFile::LoadFile(const WCHAR* path, bool missingIsEmpty) {
    m_path = path ? path : u"";
    std::string bytes;
    const int r = ReadAll(PathBytes(path), bytes);
    if (r < 0 || (r == 0 && !missingIsEmpty))
        return 0;
    // An editor may have added a UTF-8 byte-order mark; it is kept for the write.
    m_byteOrderMark = bytes.compare(0, 3, kByteOrderMark) == 0;
    size_t start = m_byteOrderMark ? 3 : 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = bytes.size();
        const size_t next =
            end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
        std::u16string line;
        line.reserve(end - start);
        for (size_t i = start; i < end; ++i)
            line.push_back(static_cast<unsigned char>(bytes[i]));
        // Built from a view: moving the string in trips a false uninitialised-use warning
        // of GCC 12 at -O2.
        m_lines.emplace_back(std::u16string_view(line));
        start = next;
    }
    m_loaded = 1;
    // A file that does not exist yet is written once a value is stored.
    m_changed = false;
    return 1;
}

int CIniTextFile::FindSectionLine(const WCHAR* section, bool needBracket) const {
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (SectionName(m_lines[i]).CompareNoCase(section) != 0)
            continue;
        if (needBracket && !Contains(m_lines[i], u"["))
            continue;
        return static_cast<int>(i);
    }
    return -1;
}

int CIniTextFile::FindKey(const WCHAR* section, const WCHAR* key) const {
    if (m_lines.empty() || section == nullptr || key == nullptr)
        return -1;
    const int s = FindSectionLine(section, false);
    if (s < 0)
        return -1;
    for (size_t i = static_cast<size_t>(s) + 1; i < m_lines.size(); ++i) {
        switch (RoleOf(m_lines[i], key)) {
        case LineRole::Key:
            return static_cast<int>(i) + 1;
        case LineRole::SectionEnd:
            return -2;
        default:
            break;
        }
    }
    return -1;
}

int CIniTextFile::ReadString(const WCHAR* section, const WCHAR* key, CString& value) const {
    if (!m_loaded)
        return 0;
    const int n = FindKey(section, key);
    if (n < 1)
        return 0;
    const CString& line = m_lines[static_cast<size_t>(n - 1)];
    const int eq = line.Find(u'=');
    value = eq < 0 ? line : line.Mid(eq + 1);
    return 1;
}

int CIniTextFile::WriteString(const WCHAR* section, const WCHAR* key, const WCHAR* value,
                              int noCreate) {
    if (!m_loaded || section == nullptr || key == nullptr)
        return 0;
    const CString keyLine = CString(key) + u"=" + CString(value ? value : u"");
    const CString sectionLine = CString(u"[") + section + u"]";
    const int s = FindSectionLine(section, true);
    // A missing key goes before the line that ends its section, else at the end of the file
    // (under a new section line when the section is missing).
    size_t at = m_lines.size();
    if (s >= 0) {
        for (size_t i = static_cast<size_t>(s) + 1; i < m_lines.size(); ++i) {
            const LineRole role = RoleOf(m_lines[i], key);
            if (role == LineRole::Key) {
                if (m_lines[i] != keyLine) {
                    m_lines[i] = keyLine;
                    m_changed = true;
                }
                return 1;
            }
            if (role == LineRole::SectionEnd) {
                at = i;
                break;
            }
        }
    }
    if (noCreate)
        return 0;
    if (s < 0) {
        m_lines.push_back(sectionLine);
        at = m_lines.size();
    }
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), keyLine);
    m_changed = true;
    return 1;
}

bool CIniTextFile::Flush() {
    if (!m_loaded || !m_changed)
        return true;
    std::string bytes = m_byteOrderMark ? kByteOrderMark : "";
    for (const CString& line : m_lines) {
        for (WCHAR c : line.Str())
            bytes.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
        bytes += "\r\n";
    }
    if (!ms::WriteFileAtomic(m_path.Str(), bytes))
        return false;
    m_changed = false;
    return true;
}

bool ReadCalibration(const WCHAR* path, const WCHAR* magnification, CString& value) {
    if (!IsMagnificationText(magnification))
        return false;
    CIniTextFile file;
    if (!file.Load(path))
        return false;
    return file.GetString(magnification, magnification, value) == 1;
}

bool StoreCalibration(const WCHAR* path, const WCHAR* magnification, double calibrated) {
    if (!IsMagnificationText(magnification) || !std::isfinite(calibrated))
        return false;
    const CString text = CalibrationValueText(calibrated);
    CIniTextFile file;
    if (!file.LoadForWriting(path))
        return false;
    if (file.SetString(magnification, magnification, text) != 1)
        return false;
    return file.Flush();
}

CString CalibrationValueText(double calibrated) {
    if (!std::isfinite(calibrated))
        return CString();
    const double magnitude = std::fabs(calibrated);
    // 15 significant digits: as many decimals as the digits before the point leave.
    const int leading =
        magnitude > 0.0 ? static_cast<int>(std::floor(std::log10(magnitude))) + 1 : 1;
    CString text;
    text.Format(u"%.*f", std::clamp(15 - leading, 1, 40), calibrated);
    std::u16string s = text.Str();
    while (s.size() > 2 && s.back() == u'0' && s[s.size() - 2] != u'.')
        s.pop_back();
    return CString(s.c_str());
}

CString CalibratedZoomField::Show(double calibrated) {
    m_value = calibrated;
    m_shown.Format(u"%.1f", calibrated);
    return m_shown;
}

bool CalibratedZoomField::Read(const CString& text, double& calibrated) const {
    if (m_shown.IsEmpty() || text != m_shown)
        return false;
    calibrated = m_value;
    return true;
}
