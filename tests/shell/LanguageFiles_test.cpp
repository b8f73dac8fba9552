// The shipped language files: all 24 of them, each a UTF-8 file with a byte-order mark and the
// one section "Rontage", each holding every key of English1252.ini with a text that keeps the
// English text's format specifiers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kFiles[] = {
    "Arabic1256.ini",     "Bulgarian442.ini",   "Chinese950.ini",    "Chinese936.ini",
    "Danish1252.ini",     "German1252.ini",     "Spanish1252.ini",   "Finnish1252.ini",
    "French1252.ini",     "Hebrew1255.ini",     "Italian1252.ini",   "Japanese932.ini",
    "Korean949.ini",      "Dutch1252.ini",      "Norwegian1252.ini", "Polish1250.ini",
    "Portuguese1252.ini", "Russian1251.ini",    "Swedish1252.ini",   "Thai874.ini",
    "Turkish1254.ini",    "Vietnamese1258.ini", "Persian874.ini",    "English1252.ini",
};

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

bool IsUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80         ? 1
                         : (c >> 5) == 6  ? 2
                         : (c >> 4) == 14 ? 3
                         : (c >> 3) == 30 ? 4
                                          : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += n;
    }
    return true;
}

struct LangFile {
    std::string error;                       // empty when the file reads as a language file
    std::vector<std::string> order;          // keys as written
    std::map<std::string, std::string> text; // lower-case key -> text
};

LangFile Load(const std::filesystem::path& path) {
    LangFile f;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        f.error = "missing";
        return f;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    std::string bytes = ss.str();
    if (bytes.rfind("\xEF\xBB\xBF", 0) != 0) {
        f.error = "no UTF-8 byte-order mark";
        return f;
    }
    bytes.erase(0, 3);
    if (!IsUtf8(bytes)) {
        f.error = "not UTF-8";
        return f;
    }
    std::istringstream lines(bytes);
    std::string line;
    std::string section;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            section = line;
            if (section != "[Rontage]")
                f.error = "unexpected section " + section;
            continue;
        }
        const auto eq = line.find('=');
        if (section.empty() || eq == std::string::npos || eq == 0) {
            f.error = "stray line: " + line;
            continue;
        }
        const std::string key = Trim(line.substr(0, eq));
        if (!f.text.emplace(Lower(key), Trim(line.substr(eq + 1))).second)
            f.error = "key twice: " + key;
        f.order.push_back(key);
    }
    return f;
}

std::vector<std::string> Specifiers(const std::string& s) {
    static const std::regex specifier(R"(%[-+ 0#]*(\*|\d+)?(\.(\*|\d+))?(l|ll|h|I64)?[a-zA-Z%]|\\n)");
    std::vector<std::string> out;
    for (auto it = std::sregex_iterator(s.begin(), s.end(), specifier); it != std::sregex_iterator();
         ++it)
        out.push_back(it->str());
    return out;
}

const std::filesystem::path kDir = MS_LANG_DIR;

TEST(LanguageFiles, AllTwentyFourAreWellFormed) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kDir))
        count += entry.path().extension() == ".ini";
    EXPECT_EQ(count, std::size(kFiles));
    for (const char* name : kFiles) {
        const LangFile f = Load(kDir / name);
        EXPECT_EQ(f.error, "") << name;
        EXPECT_FALSE(f.order.empty()) << name;
    }
}

TEST(LanguageFiles, EveryEnglishKeyIsInEveryFileWithItsSpecifiers) {
    const LangFile english = Load(kDir / "English1252.ini");
    ASSERT_EQ(english.error, "");
    ASSERT_GT(english.order.size(), 200u);
    for (const char* name : kFiles) {
        const LangFile f = Load(kDir / name);
        for (const std::string& key : english.order) {
            const auto it = f.text.find(Lower(key));
            if (it == f.text.end()) {
                ADD_FAILURE() << name << " lacks " << key;
                continue;
            }
            EXPECT_FALSE(it->second.empty()) << name << " " << key;
            EXPECT_EQ(Specifiers(it->second), Specifiers(english.text.at(Lower(key))))
                << name << " " << key;
        }
        for (const std::string& key : f.order)
            EXPECT_TRUE(english.text.count(Lower(key)))
                << name << " has " << key << ", English not";
    }
}

} // namespace
