// rc: the resource compiler of the build. Reads a resource script (DIALOG/DIALOGEX with
// controls, STRINGTABLE, ACCELERATORS, MENU, and file resources such as BITMAP, ICON, CURSOR
// and WAVE) with the #include/#define/#if lines of its headers, and writes one C++ source file
// that embeds the files (.incbin) and registers the tables with the window layer.
//
//   rc <script.rc> <out.cpp> <module-name> [-I<dir>]...
//
// Also writes <out.cpp>.d, the list of files read, for the build's dependency tracking.
// Errors name the file and line and end the run with status 1.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Constants a script may name without including a header.
const std::map<std::string, long long>& Builtins() {
    static const std::map<std::string, long long> m = {
        {"WS_OVERLAPPED", 0},
        {"WS_POPUP", 0x80000000LL},
        {"WS_CHILD", 0x40000000},
        {"WS_MINIMIZE", 0x20000000},
        {"WS_VISIBLE", 0x10000000},
        {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000},
        {"WS_CLIPCHILDREN", 0x02000000},
        {"WS_MAXIMIZE", 0x01000000},
        {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000},
        {"WS_DLGFRAME", 0x00400000},
        {"WS_VSCROLL", 0x00200000},
        {"WS_HSCROLL", 0x00100000},
        {"WS_SYSMENU", 0x00080000},
        {"WS_THICKFRAME", 0x00040000},
        {"WS_GROUP", 0x00020000},
        {"WS_TABSTOP", 0x00010000},
        {"WS_MINIMIZEBOX", 0x00020000},
        {"WS_MAXIMIZEBOX", 0x00010000},
        {"WS_OVERLAPPEDWINDOW", 0x00CF0000},
        {"WS_POPUPWINDOW", 0x80880000LL},
        {"WS_EX_DLGMODALFRAME", 0x1},
        {"WS_EX_NOPARENTNOTIFY", 0x4},
        {"WS_EX_TOPMOST", 0x8},
        {"WS_EX_ACCEPTFILES", 0x10},
        {"WS_EX_TRANSPARENT", 0x20},
        {"WS_EX_TOOLWINDOW", 0x80},
        {"WS_EX_WINDOWEDGE", 0x100},
        {"WS_EX_CLIENTEDGE", 0x200},
        {"WS_EX_CONTEXTHELP", 0x400},
        {"WS_EX_STATICEDGE", 0x20000},
        {"WS_EX_APPWINDOW", 0x40000},
        {"WS_EX_CONTROLPARENT", 0x10000},
        {"DS_ABSALIGN", 0x1},
        {"DS_SYSMODAL", 0x2},
        {"DS_3DLOOK", 0x4},
        {"DS_FIXEDSYS", 0x8},
        {"DS_NOFAILCREATE", 0x10},
        {"DS_LOCALEDIT", 0x20},
        {"DS_SETFONT", 0x40},
        {"DS_MODALFRAME", 0x80},
        {"DS_NOIDLEMSG", 0x100},
        {"DS_SETFOREGROUND", 0x200},
        {"DS_CONTROL", 0x400},
        {"DS_CENTER", 0x800},
        {"DS_CENTERMOUSE", 0x1000},
        {"DS_CONTEXTHELP", 0x2000},
        {"DS_SHELLFONT", 0x48},
        {"SS_LEFT", 0},
        {"SS_CENTER", 1},
        {"SS_RIGHT", 2},
        {"SS_ICON", 3},
        {"SS_BLACKRECT", 4},
        {"SS_GRAYRECT", 5},
        {"SS_WHITERECT", 6},
        {"SS_BLACKFRAME", 7},
        {"SS_GRAYFRAME", 8},
        {"SS_WHITEFRAME", 9},
        {"SS_SIMPLE", 0xB},
        {"SS_LEFTNOWORDWRAP", 0xC},
        {"SS_OWNERDRAW", 0xD},
        {"SS_BITMAP", 0xE},
        {"SS_ETCHEDHORZ", 0x10},
        {"SS_ETCHEDVERT", 0x11},
        {"SS_ETCHEDFRAME", 0x12},
        {"SS_NOPREFIX", 0x80},
        {"SS_NOTIFY", 0x100},
        {"SS_CENTERIMAGE", 0x200},
        {"SS_REALSIZEIMAGE", 0x800},
        {"SS_SUNKEN", 0x1000},
        {"BS_PUSHBUTTON", 0},
        {"BS_DEFPUSHBUTTON", 1},
        {"BS_CHECKBOX", 2},
        {"BS_AUTOCHECKBOX", 3},
        {"BS_RADIOBUTTON", 4},
        {"BS_3STATE", 5},
        {"BS_AUTO3STATE", 6},
        {"BS_GROUPBOX", 7},
        {"BS_AUTORADIOBUTTON", 9},
        {"BS_OWNERDRAW", 0xB},
        {"BS_LEFTTEXT", 0x20},
        {"BS_ICON", 0x40},
        {"BS_BITMAP", 0x80},
        {"BS_LEFT", 0x100},
        {"BS_RIGHT", 0x200},
        {"BS_CENTER", 0x300},
        {"BS_TOP", 0x400},
        {"BS_BOTTOM", 0x800},
        {"BS_VCENTER", 0xC00},
        {"BS_PUSHLIKE", 0x1000},
        {"BS_MULTILINE", 0x2000},
        {"BS_NOTIFY", 0x4000},
        {"BS_FLAT", 0x8000},
        {"ES_LEFT", 0},
        {"ES_CENTER", 1},
        {"ES_RIGHT", 2},
        {"ES_MULTILINE", 4},
        {"ES_UPPERCASE", 8},
        {"ES_LOWERCASE", 0x10},
        {"ES_PASSWORD", 0x20},
        {"ES_AUTOVSCROLL", 0x40},
        {"ES_AUTOHSCROLL", 0x80},
        {"ES_NOHIDESEL", 0x100},
        {"ES_OEMCONVERT", 0x400},
        {"ES_READONLY", 0x800},
        {"ES_WANTRETURN", 0x1000},
        {"ES_NUMBER", 0x2000},
        {"CBS_SIMPLE", 1},
        {"CBS_DROPDOWN", 2},
        {"CBS_DROPDOWNLIST", 3},
        {"CBS_OWNERDRAWFIXED", 0x10},
        {"CBS_OWNERDRAWVARIABLE", 0x20},
        {"CBS_AUTOHSCROLL", 0x40},
        {"CBS_SORT", 0x100},
        {"CBS_HASSTRINGS", 0x200},
        {"CBS_NOINTEGRALHEIGHT", 0x400},
        {"LBS_NOTIFY", 1},
        {"LBS_SORT", 2},
        {"LBS_NOREDRAW", 4},
        {"LBS_MULTIPLESEL", 8},
        {"LBS_OWNERDRAWFIXED", 0x10},
        {"LBS_HASSTRINGS", 0x40},
        {"LBS_USETABSTOPS", 0x80},
        {"LBS_NOINTEGRALHEIGHT", 0x100},
        {"LBS_EXTENDEDSEL", 0x800},
        {"LBS_DISABLENOSCROLL", 0x1000},
        {"LBS_STANDARD", 0xA00003},
        {"SBS_HORZ", 0},
        {"SBS_VERT", 1},
        {"TBS_AUTOTICKS", 1},
        {"TBS_VERT", 2},
        {"TBS_HORZ", 0},
        {"TBS_TOP", 4},
        {"TBS_BOTTOM", 0},
        {"TBS_LEFT", 4},
        {"TBS_RIGHT", 0},
        {"TBS_BOTH", 8},
        {"TBS_NOTICKS", 0x10},
        {"TBS_ENABLESELRANGE", 0x20},
        {"TBS_FIXEDLENGTH", 0x40},
        {"TBS_NOTHUMB", 0x80},
        {"TBS_TOOLTIPS", 0x100},
        {"UDS_WRAP", 1},
        {"UDS_SETBUDDYINT", 2},
        {"UDS_ALIGNRIGHT", 4},
        {"UDS_ALIGNLEFT", 8},
        {"UDS_AUTOBUDDY", 0x10},
        {"UDS_ARROWKEYS", 0x20},
        {"UDS_HORZ", 0x40},
        {"UDS_NOTHOUSANDS", 0x80},
        {"LVS_ICON", 0},
        {"LVS_REPORT", 1},
        {"LVS_SMALLICON", 2},
        {"LVS_LIST", 3},
        {"LVS_SINGLESEL", 4},
        {"LVS_SHOWSELALWAYS", 8},
        {"LVS_SORTASCENDING", 0x10},
        {"LVS_SHAREIMAGELISTS", 0x40},
        {"LVS_NOLABELWRAP", 0x80},
        {"LVS_AUTOARRANGE", 0x100},
        {"LVS_EDITLABELS", 0x200},
        {"LVS_OWNERDATA", 0x1000},
        {"LVS_NOSCROLL", 0x2000},
        {"LVS_ALIGNLEFT", 0x800},
        {"LVS_NOCOLUMNHEADER", 0x4000},
        {"LVS_NOSORTHEADER", 0x8000},
        {"TCS_TABS", 0},
        {"TCS_BUTTONS", 0x100},
        {"TCS_MULTILINE", 0x200},
        {"TCS_FIXEDWIDTH", 0x400},
        {"TCS_OWNERDRAWFIXED", 0x2000},
        {"TCS_TOOLTIPS", 0x4000},
        {"TCS_FOCUSNEVER", 0x8000},
        {"PBS_SMOOTH", 1},
        {"PBS_VERTICAL", 4},
        {"IDOK", 1},
        {"IDCANCEL", 2},
        {"IDABORT", 3},
        {"IDRETRY", 4},
        {"IDIGNORE", 5},
        {"IDYES", 6},
        {"IDNO", 7},
        {"IDHELP", 9},
        {"IDC_STATIC", -1},
        {"VK_BACK", 8},
        {"VK_TAB", 9},
        {"VK_RETURN", 0xD},
        {"VK_SHIFT", 0x10},
        {"VK_CONTROL", 0x11},
        {"VK_MENU", 0x12},
        {"VK_PAUSE", 0x13},
        {"VK_ESCAPE", 0x1B},
        {"VK_SPACE", 0x20},
        {"VK_PRIOR", 0x21},
        {"VK_NEXT", 0x22},
        {"VK_END", 0x23},
        {"VK_HOME", 0x24},
        {"VK_LEFT", 0x25},
        {"VK_UP", 0x26},
        {"VK_RIGHT", 0x27},
        {"VK_DOWN", 0x28},
        {"VK_INSERT", 0x2D},
        {"VK_DELETE", 0x2E},
        {"VK_HELP", 0x2F},
        {"VK_F1", 0x70},
        {"VK_F2", 0x71},
        {"VK_F3", 0x72},
        {"VK_F4", 0x73},
        {"VK_F5", 0x74},
        {"VK_F6", 0x75},
        {"VK_F7", 0x76},
        {"VK_F8", 0x77},
        {"VK_F9", 0x78},
        {"VK_F10", 0x79},
        {"VK_F11", 0x7A},
        {"VK_F12", 0x7B},
        {"FW_NORMAL", 400},
        {"FW_BOLD", 700},
        {"DEFAULT_CHARSET", 1},
        {"ANSI_CHARSET", 0},
        {"GB2312_CHARSET", 134},
        {"LANG_NEUTRAL", 0},
        {"SUBLANG_NEUTRAL", 0},
        {"SUBLANG_DEFAULT", 1},
        {"LANG_ENGLISH", 9},
        {"SUBLANG_ENGLISH_US", 1},
        {"LANG_CHINESE", 4},
        {"SUBLANG_CHINESE_SIMPLIFIED", 2},
    };
    return m;
}

// ---- Text: UTF-8 in, UTF-16 out ----

std::u16string Utf8To16(const std::string& s) {
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::uint32_t cp;
        int n;
        if (c < 0x80) {
            cp = c;
            n = 1;
        } else if ((c >> 5) == 6) {
            cp = c & 0x1f;
            n = 2;
        } else if ((c >> 4) == 14) {
            cp = c & 0x0f;
            n = 3;
        } else if ((c >> 3) == 30) {
            cp = c & 0x07;
            n = 4;
        } else {
            throw Error("text is not UTF-8");
        }
        if (i + static_cast<std::size_t>(n) > s.size())
            throw Error("text is not UTF-8");
        for (int k = 1; k < n; ++k)
            cp =
                (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0x3f);
        i += static_cast<std::size_t>(n);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3ff));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string CppString(const std::u16string& s) {
    std::string out = "u\"";
    char buf[16];
    for (std::size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size()) {
            const std::uint32_t cp =
                0x10000 + ((static_cast<std::uint32_t>(c) - 0xD800) << 10) + (s[i + 1] - 0xDC00u);
            std::snprintf(buf, sizeof buf, "\\U%08X", cp);
            out += buf;
            ++i;
        } else if (c < 0x20 || (c >= 0x7f && c < 0xa0) || (c >= 0xD800 && c <= 0xDFFF)) {
            // Control characters: an octal escape cannot swallow the next character.
            std::snprintf(buf, sizeof buf, "\\%03o", static_cast<unsigned>(c & 0x1ff));
            if (c > 0x1ff) {
                std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            }
            out += buf;
        } else {
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    out += '"';
    return out;
}

// ---- Tokens ----

struct Token {
    enum Kind { Ident, Number, String, Punct, End } kind = End;
    std::string text; // identifiers, punctuation, string bytes (UTF-8)
    long long value = 0;
    std::string file;
    int line = 0;
};

class Lexer {
public:
    Lexer(std::string text, std::string file) : s_(std::move(text)), file_(std::move(file)) {}

    // Preprocessor lines are handed to `directive`; the rest becomes tokens.
    std::vector<Token>
    Run(const std::function<bool(const std::string& line, int lineNo)>& directive) {
        std::vector<Token> out;
        bool lineStart = true;
        while (p_ < s_.size()) {
            char c = s_[p_];
            if (c == '\n') {
                ++line_;
                ++p_;
                lineStart = true;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r' || c == '\f') {
                ++p_;
                continue;
            }
            if (c == '/' && p_ + 1 < s_.size() && s_[p_ + 1] == '/') {
                while (p_ < s_.size() && s_[p_] != '\n')
                    ++p_;
                continue;
            }
            if (c == '/' && p_ + 1 < s_.size() && s_[p_ + 1] == '*') {
                p_ += 2;
                while (p_ + 1 < s_.size() && !(s_[p_] == '*' && s_[p_ + 1] == '/')) {
                    if (s_[p_] == '\n')
                        ++line_;
                    ++p_;
                }
                p_ += 2;
                continue;
            }
            if (c == '#' && lineStart) {
                std::string l;
                const int at = line_;
                while (p_ < s_.size() && s_[p_] != '\n') {
                    if (s_[p_] == '\\' && p_ + 1 < s_.size() && s_[p_ + 1] == '\n') {
                        p_ += 2;
                        ++line_;
                        continue;
                    }
                    l += s_[p_++];
                }
                skipping_ = !directive(l, at);
                continue;
            }
            lineStart = false;
            if (skipping_) {
                while (p_ < s_.size() && s_[p_] != '\n')
                    ++p_;
                continue;
            }
            Token t;
            t.file = file_;
            t.line = line_;
            if (c == '"' || (c == 'L' && p_ + 1 < s_.size() && s_[p_ + 1] == '"')) {
                if (c == 'L')
                    ++p_;
                ++p_;
                t.kind = Token::String;
                while (true) {
                    if (p_ >= s_.size())
                        throw Error(Where() + "unterminated string");
                    char d = s_[p_++];
                    if (d == '"') {
                        if (p_ < s_.size() && s_[p_] == '"') { // "" is a quote
                            t.text += '"';
                            ++p_;
                            continue;
                        }
                        break;
                    }
                    if (d == '\n')
                        throw Error(Where() + "unterminated string");
                    if (d == '\\' && p_ < s_.size()) {
                        char e = s_[p_++];
                        switch (e) {
                        case 'n':
                            t.text += '\n';
                            break;
                        case 't':
                            t.text += '\t';
                            break;
                        case 'r':
                            t.text += '\r';
                            break;
                        case 'a':
                            t.text += '\b';
                            break;
                        case '0':
                            t.text += '\0';
                            break;
                        case '\\':
                            t.text += '\\';
                            break;
                        case '"':
                            t.text += '"';
                            break;
                        default:
                            t.text += '\\';
                            t.text += e;
                            break;
                        }
                        continue;
                    }
                    t.text += d;
                }
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                t.kind = Token::Number;
                std::size_t used = 0;
                t.value = std::stoll(s_.substr(p_, 24), &used, 0);
                p_ += used;
                while (p_ < s_.size() &&
                       (s_[p_] == 'L' || s_[p_] == 'l' || s_[p_] == 'U' || s_[p_] == 'u'))
                    ++p_;
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                t.kind = Token::Ident;
                while (p_ < s_.size() &&
                       (std::isalnum(static_cast<unsigned char>(s_[p_])) || s_[p_] == '_'))
                    t.text += s_[p_++];
            } else {
                t.kind = Token::Punct;
                t.text = std::string(1, c);
                ++p_;
            }
            out.push_back(std::move(t));
        }
        return out;
    }

private:
    std::string Where() const { return file_ + ":" + std::to_string(line_) + ": "; }
    std::string s_;
    std::string file_;
    std::size_t p_ = 0;
    int line_ = 1;
    bool skipping_ = false;
};

// ---- Resources ----

struct Item {
    std::string cls;
    std::u16string text;
    long long id = 0;
    long long style = 0;
    long long exStyle = 0;
    long long x = 0, y = 0, cx = 0, cy = 0;
};

struct Dialog {
    long long id = 0;
    long long style = 0x80000000LL | 0x00800000 | 0x00080000; // WS_POPUP | WS_BORDER | WS_SYSMENU
    long long exStyle = 0;
    long long x = 0, y = 0, cx = 0, cy = 0;
    std::optional<std::u16string> caption;
    std::u16string cls;
    long long menu = 0;
    long long points = 0, weight = 0, italic = 0;
    std::u16string face;
    std::vector<Item> items;
};

struct MenuEntry {
    long long menu;
    long long flags;
    long long id;
    std::u16string text;
};

struct Accel {
    long long table, fVirt, key, cmd;
};

struct FileRes {
    std::string type;
    long long id = 0;
    std::string name;
    fs::path path;
};

class Compiler {
public:
    Compiler(std::vector<fs::path> includes) : includes_(std::move(includes)) {}

    void ReadScript(const fs::path& path) {
        const std::string text = Slurp(path);
        std::vector<bool> active{true};
        Lexer lexer(text, path.string());
        auto tokens = lexer.Run([&](const std::string& line, int lineNo) {
            return Directive(line, lineNo, path, active);
        });
        tokens_ = std::move(tokens);
        pos_ = 0;
        ParseScript(path);
    }

    void Write(const fs::path& out, const std::string& module) {
        std::ostringstream o;
        o << "// Generated by the resource compiler from the resource script; do not edit.\n"
          << "#include \"platform/win/window/Resources.h\"\n\nnamespace {\n\n";
        // Files: embedded by the assembler, byte for byte.
        for (std::size_t i = 0; i < files_.size(); ++i) {
            std::string p = fs::absolute(files_[i].path).string();
            std::string esc;
            for (char c : p) {
                if (c == '"' || c == '\\')
                    esc += '\\';
                esc += c;
            }
            o << "__asm__(\".section .rodata\\n.balign 16\\n"
              << Sym(module, i) << ":\\n.incbin \\\"" << esc
              << "\\\"\\n.byte 0\\n.previous\\n\");\n";
            o << "extern \"C\" const unsigned char " << Sym(module, i) << "[];\n";
        }
        o << "\nconst ms::res::StringEntry kStrings[] = {\n";
        for (const auto& [id, text] : strings_)
            o << "    {" << id << "u, " << CppString(text) << "},\n";
        o << "    {0u, nullptr}};\n\n";
        for (std::size_t d = 0; d < dialogs_.size(); ++d) {
            const Dialog& dl = dialogs_[d];
            o << "const ms::res::DialogItem kItems" << d << "[] = {\n";
            for (const Item& it : dl.items)
                o << "    {" << CppString(Utf8To16(it.cls)) << ", " << CppString(it.text) << ", "
                  << static_cast<unsigned>(it.id & 0xffff) << "u, 0x" << std::hex
                  << (it.style & 0xffffffffLL) << "u, 0x" << (it.exStyle & 0xffffffffLL) << std::dec
                  << "u, " << it.x << ", " << it.y << ", " << it.cx << ", " << it.cy << "},\n";
            o << "    {nullptr, nullptr, 0u, 0u, 0u, 0, 0, 0, 0}};\n";
        }
        o << "\nconst ms::res::DialogTemplate kDialogs[] = {\n";
        for (std::size_t d = 0; d < dialogs_.size(); ++d) {
            const Dialog& dl = dialogs_[d];
            o << "    {" << dl.id << "u, 0x" << std::hex << (dl.style & 0xffffffffLL) << "u, 0x"
              << (dl.exStyle & 0xffffffffLL) << std::dec << "u, " << dl.x << ", " << dl.y << ", "
              << dl.cx << ", " << dl.cy << ", "
              << (dl.caption ? CppString(*dl.caption) : std::string("nullptr")) << ", "
              << (dl.cls.empty() ? std::string("nullptr") : CppString(dl.cls)) << ", " << dl.menu
              << "u, " << dl.points << ", " << dl.weight << ", " << dl.italic << ", "
              << (dl.face.empty() ? std::string("nullptr") : CppString(dl.face)) << ", kItems" << d
              << ", " << dl.items.size() << "},\n";
        }
        o << "    {0u, 0u, 0u, 0, 0, 0, 0, nullptr, nullptr, 0u, 0, 0, 0, nullptr, nullptr, "
             "0}};\n\n";
        o << "const ms::res::AccelEntry kAccels[] = {\n";
        for (const Accel& a : accels_)
            o << "    {" << a.table << "u, " << a.fVirt << ", " << a.key << ", " << a.cmd << "},\n";
        o << "    {0u, 0, 0, 0}};\n\n";
        o << "const ms::res::MenuItem kMenus[] = {\n";
        for (const MenuEntry& m : menus_)
            o << "    {" << m.menu << "u, 0x" << std::hex << m.flags << std::dec << "u, " << m.id
              << "u, " << CppString(m.text) << "},\n";
        o << "    {0u, 0u, 0u, nullptr}};\n\n";
        o << "const ms::res::FileResource kFiles[] = {\n";
        for (std::size_t i = 0; i < files_.size(); ++i) {
            const FileRes& f = files_[i];
            o << "    {" << CppString(Utf8To16(f.type)) << ", " << f.id << "u, "
              << (f.name.empty() ? std::string("nullptr") : CppString(Utf8To16(f.name))) << ", "
              << Sym(module, i) << ", " << fs::file_size(f.path) << "u},\n";
        }
        o << "    {nullptr, 0u, nullptr, nullptr, 0u}};\n\n";
        o << "const ms::res::ResourceModule kModule = {kStrings, " << strings_.size()
          << ", kDialogs, " << dialogs_.size() << ", kAccels, " << accels_.size() << ", kMenus, "
          << menus_.size() << ", kFiles, " << files_.size() << "};\n\n"
          << "[[maybe_unused]] const bool kRegistered = ms::res::RegisterModule(&kModule);\n\n} // "
             "namespace\n";
        WriteIfChanged(out, o.str());
        std::ostringstream dep;
        dep << Escape(out.string()) << ":";
        for (const auto& f : read_)
            dep << " " << Escape(f);
        dep << "\n";
        WriteIfChanged(out.string() + ".d", dep.str());
    }

private:
    static std::string Escape(const std::string& s) {
        std::string o;
        for (char c : s) {
            if (c == ' ')
                o += '\\';
            o += c;
        }
        return o;
    }
    static std::string Sym(const std::string& module, std::size_t i) {
        std::string m;
        for (char c : module)
            m += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return "ms_res_" + m + "_" + std::to_string(i);
    }
    static void WriteIfChanged(const fs::path& p, const std::string& text) {
        std::ifstream in(p, std::ios::binary);
        if (in) {
            std::stringstream ss;
            ss << in.rdbuf();
            if (ss.str() == text)
                return;
        }
        std::ofstream out(p, std::ios::binary);
        out << text;
        if (!out)
            throw Error("cannot write " + p.string());
    }

    std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        if (!in)
            throw Error("cannot read " + p.string());
        read_.insert(fs::absolute(p).lexically_normal().string());
        std::stringstream ss;
        ss << in.rdbuf();
        std::string s = ss.str();
        if (s.size() >= 3 && static_cast<unsigned char>(s[0]) == 0xEF &&
            static_cast<unsigned char>(s[1]) == 0xBB && static_cast<unsigned char>(s[2]) == 0xBF)
            s.erase(0, 3);
        return s;
    }

    std::optional<fs::path> Resolve(const std::string& name, const fs::path& from) {
        fs::path p = from.parent_path() / name;
        if (fs::exists(p))
            return p;
        for (const auto& dir : includes_)
            if (fs::exists(dir / name))
                return dir / name;
        return std::nullopt;
    }

    // Preprocessor. Returns whether the lines after it are active.
    bool Directive(std::string line, int lineNo, const fs::path& file, std::vector<bool>& active) {
        auto where = [&] { return file.string() + ":" + std::to_string(lineNo) + ": "; };
        std::size_t i = 1;
        auto skipWs = [&] {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                ++i;
        };
        skipWs();
        std::string word;
        while (i < line.size() && std::isalpha(static_cast<unsigned char>(line[i])))
            word += line[i++];
        skipWs();
        std::string rest = line.substr(i);
        if (auto c = rest.find("//"); c != std::string::npos)
            rest.erase(c);
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r'))
            rest.pop_back();
        const bool on = active.back();
        if (word == "ifdef" || word == "ifndef") {
            const bool def = defines_.count(rest) != 0;
            active.push_back(on && (word == "ifdef" ? def : !def));
            elseDone_.push_back(!on || active.back());
        } else if (word == "if") {
            const bool v = on && Evaluate(rest, where) != 0;
            active.push_back(v);
            elseDone_.push_back(!on || v);
        } else if (word == "elif") {
            if (active.size() < 2)
                throw Error(where() + "#elif without #if");
            const bool parentOn = active[active.size() - 2];
            const bool v = parentOn && !elseDone_.back() && Evaluate(rest, where) != 0;
            active.back() = v;
            if (v)
                elseDone_.back() = true;
        } else if (word == "else") {
            if (active.size() < 2)
                throw Error(where() + "#else without #if");
            const bool parentOn = active[active.size() - 2];
            active.back() = parentOn && !elseDone_.back();
            elseDone_.back() = true;
        } else if (word == "endif") {
            if (active.size() < 2)
                throw Error(where() + "#endif without #if");
            active.pop_back();
            elseDone_.pop_back();
        } else if (!on) {
        } else if (word == "define") {
            std::size_t k = 0;
            std::string name;
            while (k < rest.size() &&
                   (std::isalnum(static_cast<unsigned char>(rest[k])) || rest[k] == '_'))
                name += rest[k++];
            if (k < rest.size() && rest[k] == '(')
                return true; // function-like macros mean nothing to resources
            defines_[name] = rest.substr(k);
        } else if (word == "undef") {
            defines_.erase(rest);
        } else if (word == "include") {
            std::string name = rest;
            if (name.size() >= 2 && (name.front() == '"' || name.front() == '<'))
                name = name.substr(1, name.size() - 2);
            auto p = Resolve(name, file);
            if (!p) {
                // The platform's own headers (windows.h, afxres.h...) only define what the
                // built-in table already knows.
                if (rest.front() == '<' || name == "afxres.h" || name == "windows.h" ||
                    name == "winres.h" || name == "commctrl.h" || name == "winuser.h")
                    return true;
                throw Error(where() + "cannot find include file " + name);
            }
            if (++depth_ > 16)
                throw Error(where() + "includes nested too deep");
            IncludeHeader(*p);
            --depth_;
        }
        return active.back();
    }

    void IncludeHeader(const fs::path& p) {
        // A header contributes its #defines; resource statements in it are not expected.
        const std::string text = Slurp(p);
        std::vector<bool> active{true};
        Lexer lexer(text, p.string());
        const auto saved = elseDone_;
        elseDone_.clear();
        lexer.Run([&](const std::string& line, int lineNo) {
            return Directive(line, lineNo, p, active);
        });
        elseDone_ = saved;
    }

    long long Evaluate(const std::string& expr, const std::function<std::string()>& where) {
        Lexer lexer(expr, "");
        auto toks = lexer.Run([](const std::string&, int) { return true; });
        std::size_t k = 0;
        std::function<long long()> orExpr;
        std::function<long long()> unary = [&]() -> long long {
            if (k >= toks.size())
                throw Error(where() + "bad #if expression");
            Token t = toks[k++];
            if (t.kind == Token::Punct && t.text == "!")
                return !unary();
            if (t.kind == Token::Punct && t.text == "(") {
                long long v = orExpr();
                if (k < toks.size() && toks[k].text == ")")
                    ++k;
                return v;
            }
            if (t.kind == Token::Number)
                return t.value;
            if (t.kind == Token::Ident && t.text == "defined") {
                bool paren = k < toks.size() && toks[k].text == "(";
                if (paren)
                    ++k;
                if (k >= toks.size())
                    throw Error(where() + "bad defined()");
                const bool d = defines_.count(toks[k++].text) != 0;
                if (paren && k < toks.size() && toks[k].text == ")")
                    ++k;
                return d;
            }
            if (t.kind == Token::Ident) {
                auto it = defines_.find(t.text);
                if (it == defines_.end())
                    return 0;
                return EvalText(it->second, 0);
            }
            throw Error(where() + "bad #if expression");
        };
        std::function<long long()> compare = [&]() -> long long {
            long long v = unary();
            while (k + 1 < toks.size() && toks[k].text == "=" && toks[k + 1].text == "=") {
                k += 2;
                v = v == unary();
            }
            return v;
        };
        std::function<long long()> andExpr = [&]() -> long long {
            long long v = compare();
            while (k + 1 < toks.size() && toks[k].text == "&" && toks[k + 1].text == "&") {
                k += 2;
                long long r = compare();
                v = v && r;
            }
            return v;
        };
        orExpr = [&]() -> long long {
            long long v = andExpr();
            while (k + 1 < toks.size() && toks[k].text == "|" && toks[k + 1].text == "|") {
                k += 2;
                long long r = andExpr();
                v = v || r;
            }
            return v;
        };
        return orExpr();
    }

    // The value of a macro's text (a number or an expression of constants).
    long long EvalText(const std::string& text, int depth) {
        if (depth > 32)
            throw Error("macro " + text + " refers to itself");
        Lexer lexer(text, "");
        auto toks = lexer.Run([](const std::string&, int) { return true; });
        std::size_t k = 0;
        return Expr(toks, k, depth + 1);
    }

    long long Value(const Token& t, int depth) {
        if (t.kind == Token::Number)
            return t.value;
        if (t.kind == Token::Ident) {
            auto it = defines_.find(t.text);
            if (it != defines_.end())
                return EvalText(it->second, depth);
            auto b = Builtins().find(t.text);
            if (b != Builtins().end())
                return b->second;
        }
        throw Error(Where(t) + "unknown name " + t.text);
    }

    // expr := term { ('|' | '+' | '-') term } ; term := ['NOT'|'~'|'-'] primary
    long long Expr(const std::vector<Token>& toks, std::size_t& k, int depth) {
        auto primary = [&](auto&& self) -> long long {
            if (k >= toks.size())
                throw Error("expression ends too soon");
            const Token& t = toks[k++];
            if (t.kind == Token::Punct && t.text == "(") {
                long long v = Expr(toks, k, depth);
                if (k < toks.size() && toks[k].text == ")")
                    ++k;
                return v;
            }
            if (t.kind == Token::Punct && t.text == "~")
                return ~self(self);
            if (t.kind == Token::Punct && t.text == "-")
                return -self(self);
            return Value(t, depth);
        };
        long long v;
        bool notFirst = false;
        if (k < toks.size() && toks[k].kind == Token::Ident && toks[k].text == "NOT") {
            ++k;
            v = 0;
            notMask_ |= primary(primary);
            notFirst = true;
        } else {
            v = primary(primary);
        }
        (void)notFirst;
        while (k < toks.size() && toks[k].kind == Token::Punct &&
               (toks[k].text == "|" || toks[k].text == "+" || toks[k].text == "-" ||
                toks[k].text == "&")) {
            const std::string op = toks[k++].text;
            if (k < toks.size() && toks[k].kind == Token::Ident && toks[k].text == "NOT") {
                ++k;
                const long long m = primary(primary);
                notMask_ |= m;
                v &= ~m;
                continue;
            }
            const long long r = primary(primary);
            if (op == "|")
                v |= r;
            else if (op == "+")
                v += r;
            else if (op == "-")
                v -= r;
            else
                v &= r;
        }
        return v;
    }

    // ---- Script ----

    static std::string Where(const Token& t) {
        return t.file + ":" + std::to_string(t.line) + ": ";
    }
    const Token& Peek(std::size_t ahead = 0) {
        static Token end;
        return pos_ + ahead < tokens_.size() ? tokens_[pos_ + ahead] : end;
    }
    const Token& Next() {
        const Token& t = Peek();
        if (t.kind == Token::End)
            throw Error(Where(tokens_.empty() ? t : tokens_.back()) + "unexpected end of script");
        ++pos_;
        return t;
    }
    bool IsWord(const Token& t, const char* w) { return t.kind == Token::Ident && t.text == w; }
    bool IsBegin(const Token& t) {
        return IsWord(t, "BEGIN") || (t.kind == Token::Punct && t.text == "{");
    }
    bool IsEndTok(const Token& t) {
        return IsWord(t, "END") || (t.kind == Token::Punct && t.text == "}");
    }
    void Comma() {
        if (Peek().kind == Token::Punct && Peek().text == ",")
            ++pos_;
    }
    long long Number() {
        notMask_ = 0;
        return Expr(tokens_, pos_, 0);
    }
    // A style: the given bits added to the defaults, "NOT x" taking bits away.
    long long Style(long long defaults) {
        notMask_ = 0;
        long long v = Expr(tokens_, pos_, 0);
        return ((defaults | v) & ~notMask_);
    }
    std::u16string String() {
        const Token& t = Next();
        if (t.kind != Token::String)
            throw Error(Where(t) + "a text in quotes was expected");
        return Utf8To16(t.text);
    }
    bool AtNumberStart() {
        const Token& t = Peek();
        return t.kind == Token::Number || t.kind == Token::Ident ||
               (t.kind == Token::Punct && (t.text == "(" || t.text == "-" || t.text == "~"));
    }
    void SkipBlock() {
        while (!IsBegin(Peek()))
            Next();
        Next();
        int depth = 1;
        while (depth > 0) {
            const Token& t = Next();
            if (IsBegin(t))
                ++depth;
            else if (IsEndTok(t))
                --depth;
        }
    }
    void SkipOptions() {
        static const std::set<std::string> opts = {"DISCARDABLE", "MOVEABLE",   "PURE",
                                                   "PRELOAD",     "LOADONCALL", "FIXED",
                                                   "IMPURE",      "SHARED",     "NONSHARED"};
        while (Peek().kind == Token::Ident && opts.count(Peek().text))
            ++pos_;
    }

    void ParseScript(const fs::path& script) {
        while (Peek().kind != Token::End) {
            const Token& first = Peek();
            if (IsWord(first, "LANGUAGE")) {
                Next();
                Number();
                Comma();
                Number();
                continue;
            }
            if (IsWord(first, "STRINGTABLE")) {
                Next();
                ParseStringTable();
                continue;
            }
            // <name> <TYPE> ...
            const Token nameTok = Next();
            const Token& typeTok = Next();
            if (typeTok.kind != Token::Ident && typeTok.kind != Token::Number)
                throw Error(Where(typeTok) + "a resource type was expected");
            const std::string type =
                typeTok.kind == Token::Number ? std::to_string(typeTok.value) : typeTok.text;
            if (type == "DIALOG" || type == "DIALOGEX") {
                ParseDialog(IdOf(nameTok), type == "DIALOGEX");
            } else if (type == "MENU") {
                SkipOptions();
                ParseMenu(IdOf(nameTok));
            } else if (type == "ACCELERATORS") {
                SkipOptions();
                ParseAccelerators(IdOf(nameTok));
            } else if (type == "VERSIONINFO" || type == "DESIGNINFO" || type == "GUIDELINES" ||
                       type == "TEXTINCLUDE" || type == "AFX_DIALOG_LAYOUT" || type == "TOOLBAR" ||
                       type == "DLGINIT" || type == "MENUEX") {
                SkipBlock();
            } else {
                SkipOptions();
                if (IsBegin(Peek())) {
                    SkipBlock(); // inline data: not used by the programs
                    continue;
                }
                const Token& fileTok = Next();
                if (fileTok.kind != Token::String)
                    throw Error(Where(fileTok) + "a file name in quotes was expected");
                std::string fname = fileTok.text;
                // Windows scripts double their backslashes.
                for (std::size_t k = 0; k < fname.size(); ++k)
                    if (fname[k] == '\\') {
                        fname[k] = '/';
                        if (k + 1 < fname.size() && fname[k + 1] == '\\')
                            fname.erase(k + 1, 1);
                    }
                auto p = Resolve(fname, script);
                if (!p)
                    throw Error(Where(fileTok) + "cannot find " + fname);
                read_.insert(fs::absolute(*p).lexically_normal().string());
                FileRes f;
                f.type = type;
                f.path = *p;
                if (nameTok.kind == Token::Number ||
                    (nameTok.kind == Token::Ident && Known(nameTok.text)))
                    f.id = IdOf(nameTok);
                else if (nameTok.kind == Token::Ident)
                    f.name = nameTok.text;
                else
                    f.name = nameTok.text;
                files_.push_back(f);
            }
        }
    }

    bool Known(const std::string& name) { return defines_.count(name) || Builtins().count(name); }

    long long IdOf(const Token& t) {
        const long long v = Value(t, 0);
        if (v < 0 || v > 0xFFFF)
            throw Error(Where(t) + "resource id out of range");
        return v;
    }

    void ParseStringTable() {
        SkipOptions();
        while (!IsBegin(Peek())) {
            // LANGUAGE/CHARACTERISTICS/VERSION lines before the block
            Next();
        }
        Next();
        while (!IsEndTok(Peek())) {
            const Token& idTok = Peek();
            const long long id = Number();
            Comma();
            const std::u16string text = String();
            if (strings_.count(id))
                throw Error(Where(idTok) + "string " + std::to_string(id) + " defined twice");
            strings_[id] = text;
        }
        Next();
    }

    void ParseDialog(long long id, bool ex) {
        Dialog d;
        d.id = id;
        SkipOptions();
        d.x = Number();
        Comma();
        d.y = Number();
        Comma();
        d.cx = Number();
        Comma();
        d.cy = Number();
        if (ex && Peek().kind == Token::Punct && Peek().text == ",") {
            Comma();
            Number(); // help id
        }
        bool styleGiven = false;
        while (!IsBegin(Peek())) {
            const Token& t = Next();
            if (IsWord(t, "STYLE")) {
                d.style = Style(0);
                styleGiven = true;
            } else if (IsWord(t, "EXSTYLE")) {
                d.exStyle = Number();
            } else if (IsWord(t, "CAPTION")) {
                d.caption = String();
            } else if (IsWord(t, "FONT")) {
                d.points = Number();
                Comma();
                d.face = String();
                if (ex && Peek().text == ",") {
                    Comma();
                    d.weight = Number();
                    Comma();
                    d.italic = Number();
                    if (Peek().text == ",") {
                        Comma();
                        Number(); // character set
                    }
                }
            } else if (IsWord(t, "MENU")) {
                d.menu = IdOf(Next());
            } else if (IsWord(t, "CLASS")) {
                d.cls = String();
            } else if (IsWord(t, "LANGUAGE")) {
                Number();
                Comma();
                Number();
            } else if (IsWord(t, "CHARACTERISTICS") || IsWord(t, "VERSION")) {
                Number();
            } else {
                throw Error(Where(t) + "unknown dialog statement " + t.text);
            }
        }
        if (d.caption && !styleGiven)
            d.style |= 0x00C00000; // WS_CAPTION
        if (!d.face.empty())
            d.style |= 0x40; // DS_SETFONT
        Next();
        while (!IsEndTok(Peek()))
            d.items.push_back(ParseControl());
        Next();
        dialogs_.push_back(std::move(d));
    }

    // One control line. Styles are added to WS_CHILD | WS_VISIBLE and the statement's own
    // defaults; "NOT" takes bits away.
    Item ParseControl() {
        constexpr long long childVisible = 0x40000000 | 0x10000000;
        constexpr long long tab = 0x00010000, group = 0x00020000, border = 0x00800000;
        const Token kw = Next();
        if (kw.kind != Token::Ident)
            throw Error(Where(kw) + "a control statement was expected");
        Item it;
        auto textOrId = [&]() -> std::u16string {
            if (Peek().kind == Token::String)
                return String();
            return u"#" + Utf8To16(std::to_string(Number()));
        };
        auto rect = [&] {
            it.x = Number();
            Comma();
            it.y = Number();
            Comma();
            it.cx = Number();
            Comma();
            it.cy = Number();
        };
        auto tail = [&](long long defaults) {
            it.style = childVisible | defaults;
            if (Peek().text == ",") {
                Comma();
                it.style = Style(childVisible | defaults);
                if (Peek().text == ",") {
                    Comma();
                    it.exStyle = Number();
                }
            }
        };
        const std::string k = kw.text;
        if (k == "CONTROL") {
            it.text = textOrId();
            Comma();
            it.id = Number();
            Comma();
            const Token& cls = Next();
            it.cls = cls.kind == Token::String ? cls.text : cls.text;
            Comma();
            it.style = Style(childVisible);
            Comma();
            rect();
            if (Peek().text == ",") {
                Comma();
                it.exStyle = Number();
            }
            return it;
        }
        struct TextCtl {
            const char* kw;
            const char* cls;
            long long style;
        };
        static const TextCtl textCtls[] = {
            {"LTEXT", "Static", 0 | group},       {"RTEXT", "Static", 2 | group},
            {"CTEXT", "Static", 1 | group},       {"PUSHBUTTON", "Button", 0 | tab},
            {"DEFPUSHBUTTON", "Button", 1 | tab}, {"CHECKBOX", "Button", 2 | tab},
            {"AUTOCHECKBOX", "Button", 3 | tab},  {"RADIOBUTTON", "Button", 4},
            {"AUTORADIOBUTTON", "Button", 9},     {"STATE3", "Button", 5 | tab},
            {"AUTO3STATE", "Button", 6 | tab},    {"GROUPBOX", "Button", 7},
            {"PUSHBOX", "Button", 0xA | tab},
        };
        for (const TextCtl& c : textCtls) {
            if (k != c.kw)
                continue;
            it.cls = c.cls;
            it.text = textOrId();
            Comma();
            it.id = Number();
            Comma();
            rect();
            tail(c.style);
            return it;
        }
        struct PlainCtl {
            const char* kw;
            const char* cls;
            long long style;
        };
        static const PlainCtl plainCtls[] = {
            {"EDITTEXT", "Edit", 0 | border | tab},
            {"COMBOBOX", "ComboBox", 0 | tab},
            {"LISTBOX", "ListBox", 1 | border | tab},
            {"SCROLLBAR", "ScrollBar", 0},
        };
        for (const PlainCtl& c : plainCtls) {
            if (k != c.kw)
                continue;
            it.cls = c.cls;
            it.id = Number();
            Comma();
            rect();
            tail(c.style);
            return it;
        }
        if (k == "ICON") {
            it.cls = "Static";
            it.text = textOrId();
            Comma();
            it.id = Number();
            Comma();
            it.x = Number();
            Comma();
            it.y = Number();
            it.style = childVisible | 3;
            if (Peek().text == ",") {
                Comma();
                it.cx = Number();
                Comma();
                it.cy = Number();
                if (Peek().text == ",") {
                    Comma();
                    it.style = Style(childVisible | 3);
                }
            }
            return it;
        }
        throw Error(Where(kw) + "unknown control statement " + k);
    }

    void ParseMenu(long long id) {
        if (!IsBegin(Next()))
            throw Error(Where(Peek()) + "BEGIN expected");
        ParseMenuLevel(id);
    }

    // Reads items up to END; the last item of the level gets MF_END.
    void ParseMenuLevel(long long menu) {
        constexpr long long kPopup = 0x10, kEnd = 0x80, kSeparator = 0x800;
        std::size_t lastIndex = SIZE_MAX;
        while (!IsEndTok(Peek())) {
            const Token& t = Next();
            if (IsWord(t, "MENUITEM")) {
                MenuEntry e{menu, 0, 0, {}};
                if (IsWord(Peek(), "SEPARATOR")) {
                    Next();
                    e.flags = kSeparator;
                } else {
                    e.text = String();
                    Comma();
                    e.id = Number();
                    e.flags = MenuOptions();
                }
                menus_.push_back(e);
                lastIndex = menus_.size() - 1;
            } else if (IsWord(t, "POPUP")) {
                MenuEntry e{menu, kPopup, 0, String()};
                e.flags |= MenuOptions();
                menus_.push_back(e);
                const std::size_t at = menus_.size() - 1;
                if (!IsBegin(Next()))
                    throw Error(Where(t) + "BEGIN expected after POPUP");
                ParseMenuLevel(menu);
                lastIndex = at;
            } else {
                throw Error(Where(t) + "MENUITEM or POPUP expected");
            }
        }
        Next();
        if (lastIndex != SIZE_MAX)
            menus_[lastIndex].flags |= kEnd;
        else
            menus_.push_back(
                MenuEntry{menu, kSeparator | kEnd, 0, {}}); // an empty popup still closes
    }

    long long MenuOptions() {
        long long flags = 0;
        while (Peek().text == ",") {
            Comma();
            const Token& o = Next();
            if (IsWord(o, "CHECKED"))
                flags |= 0x8;
            else if (IsWord(o, "GRAYED"))
                flags |= 0x1;
            else if (IsWord(o, "INACTIVE"))
                flags |= 0x2;
            else if (IsWord(o, "MENUBARBREAK"))
                flags |= 0x20;
            else if (IsWord(o, "MENUBREAK"))
                flags |= 0x40;
            else if (IsWord(o, "HELP"))
                flags |= 0x4000;
            else
                throw Error(Where(o) + "unknown menu option " + o.text);
        }
        return flags;
    }

    void ParseAccelerators(long long table) {
        if (!IsBegin(Next()))
            throw Error("BEGIN expected");
        while (!IsEndTok(Peek())) {
            const Token keyTok = Next();
            long long key = 0;
            long long fVirt = 0;
            bool control = false;
            if (keyTok.kind == Token::String) {
                const std::string& s = keyTok.text;
                if (s.size() == 2 && s[0] == '^') {
                    key = std::toupper(static_cast<unsigned char>(s[1])) - '@';
                    control = true;
                } else if (s.size() == 1) {
                    key = static_cast<unsigned char>(s[0]);
                } else {
                    throw Error(Where(keyTok) + "bad accelerator key");
                }
            } else {
                key = Value(keyTok, 0);
            }
            Comma();
            const long long cmd = Number();
            while (Peek().text == ",") {
                Comma();
                const Token& o = Next();
                if (IsWord(o, "VIRTKEY"))
                    fVirt |= 0x01;
                else if (IsWord(o, "ASCII"))
                    fVirt &= ~0x01LL;
                else if (IsWord(o, "NOINVERT"))
                    fVirt |= 0x02;
                else if (IsWord(o, "SHIFT"))
                    fVirt |= 0x04;
                else if (IsWord(o, "CONTROL"))
                    fVirt |= 0x08;
                else if (IsWord(o, "ALT"))
                    fVirt |= 0x10;
                else
                    throw Error(Where(o) + "unknown accelerator option " + o.text);
            }
            (void)control;
            if ((fVirt & 0x01) && keyTok.kind == Token::String && key >= 'a' && key <= 'z')
                key -= 32;
            accels_.push_back(Accel{table, fVirt, key, cmd});
        }
        Next();
    }

    std::vector<fs::path> includes_;
    std::map<std::string, std::string> defines_;
    std::vector<bool> elseDone_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    long long notMask_ = 0;
    std::set<std::string> read_;
    std::map<long long, std::u16string> strings_;
    std::vector<Dialog> dialogs_;
    std::vector<MenuEntry> menus_;
    std::vector<Accel> accels_;
    std::vector<FileRes> files_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: rc <script.rc> <out.cpp> <module-name> [-I<dir>]...\n");
        return 2;
    }
    std::vector<fs::path> includes;
    for (int i = 4; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("-I", 0) == 0)
            includes.emplace_back(a.substr(2));
    }
    try {
        Compiler c(includes);
        c.ReadScript(argv[1]);
        c.Write(argv[2], argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "rc: %s\n", e.what());
        return 1;
    }
    return 0;
}
