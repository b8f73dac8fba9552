#include "measure/IniTextFile.h"

#include "platform/win/core/WString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class IniTextFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "initext-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
        m_path = m_dir / "CalibrationIni.ini";
        m_wpath = CString::FromUtf8(m_path.string());
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void Write(const std::string& bytes) const { std::ofstream(m_path, std::ios::binary) << bytes; }
    std::string Read() const {
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    // Loads the file, runs the edit, destroys the object (which writes it back).
    template <class F> void Edit(F f) const {
        CIniTextFile ini;
        ASSERT_EQ(ini.Load(m_wpath), 1);
        f(ini);
    }

    fs::path m_dir, m_path;
    CString m_wpath;
};

TEST_F(IniTextFileTest, ReadsValuesBySectionAndKey) {
    Write("[100]\r\n100=95.2\r\n[ABC]\r\nabc= 7.5\r\n");
    Edit([](CIniTextFile& ini) {
        CString v = u"untouched";
        EXPECT_EQ(ini.GetString(u"100", u"100", v), 1);
        EXPECT_EQ(v, u"95.2");
        v = u"untouched";
        EXPECT_EQ(ini.GetString(u"10", u"10", v), 0); // the whole bracketed text must match
        EXPECT_EQ(v, u"untouched");
        EXPECT_EQ(ini.GetString(u"abc", u"abc", v), 1); // section ignores case
        EXPECT_EQ(v, u" 7.5");                          // the value is not trimmed
    });
}

TEST_F(IniTextFileTest, WritesTable) {
    struct Case {
        const char* before;
        const WCHAR *section, *key, *value;
        const char* after;
    } cases[] = {
        {"[100]\r\n100=95.2\r\n", u"10", u"10", u"9.8", "[100]\r\n100=95.2\r\n[10]\r\n10=9.8\r\n"},
        {"[100]\r\n100=95.2\r\n", u"100", u"100", u"96.0", "[100]\r\n100=96.0\r\n"},
        {"[5]\r\n[6]\r\n6=6.1\r\n", u"5", u"5", u"4.9", "[5]\r\n5=4.9\r\n[6]\r\n6=6.1\r\n"},
        {"[6]\r\n6=6.1\r\n[5]\r\n", u"5", u"5", u"4.9", "[6]\r\n6=6.1\r\n[5]\r\n5=4.9\r\n"},
        {"", u"50", u"50", u"48.3", "[50]\r\n50=48.3\r\n"},
        {"[ABC]\r\nx=1\r\n", u"abc", u"abc", u"2", "[ABC]\r\nx=1\r\nabc=2\r\n"},
        {"[5]\r\n//5=1.0\r\n5=4.9\r\n", u"5", u"5", u"5.1", "[5]\r\n//5=1.0\r\n5=5.1\r\n"},
        // A following header that contains the key is not the key line.
        {"[10]\r\n[100]\r\n100=95.2\r\n", u"10", u"10", u"9.8",
         "[10]\r\n10=9.8\r\n[100]\r\n100=95.2\r\n"},
        // LF line ends and a last line without one are read; the rewrite uses CR LF.
        {"[1]\n1=0.5", u"2", u"2", u"1.5", "[1]\r\n1=0.5\r\n[2]\r\n2=1.5\r\n"},
    };
    for (const Case& c : cases) {
        Write(c.before);
        Edit([&](CIniTextFile& ini) { EXPECT_EQ(ini.SetString(c.section, c.key, c.value), 1); });
        EXPECT_EQ(Read(), c.after) << c.before;
    }
}

TEST_F(IniTextFileTest, FindKeyResults) {
    Write("[5]\r\n//5=1.0\r\n5=4.9\r\n[7]\r\n[8]\r\n8=1\r\n[9]\r\n");
    Edit([](CIniTextFile& ini) {
        EXPECT_EQ(ini.FindKey(u"5", u"5"), 3);
        EXPECT_EQ(ini.FindKey(u"7", u"7"), -2);
        EXPECT_EQ(ini.FindKey(u"9", u"9"), -1);
        EXPECT_EQ(ini.FindKey(u"4", u"4"), -1);
    });
}

TEST_F(IniTextFileTest, MissingFileIsNeitherReadNorCreated) {
    CString v = u"x";
    {
        CIniTextFile ini;
        EXPECT_EQ(ini.Load(m_wpath), 0);
        EXPECT_EQ(ini.GetString(u"1", u"1", v), 0);
        EXPECT_EQ(ini.SetString(u"1", u"1", u"2.0"), 0);
    }
    EXPECT_FALSE(fs::exists(m_path));
    EXPECT_FALSE(ReadCalibration(m_wpath, u"200", v));
    EXPECT_EQ(v, u"x");
}

TEST_F(IniTextFileTest, UnchangedFileIsNotRewritten) {
    Write("[1]\n1=0.5\n");
    Edit([](CIniTextFile& ini) { EXPECT_EQ(ini.SetString(u"1", u"1", u"0.5"), 1); });
    EXPECT_EQ(Read(), "[1]\n1=0.5\n");
}

TEST_F(IniTextFileTest, EightBitBytesSurvive) {
    Write("// Kalibrierung \xE9\xFC\r\n[1]\r\n1=0.5\r\n");
    Edit([](CIniTextFile& ini) { ini.SetString(u"1", u"1", u"0.7"); });
    EXPECT_EQ(Read(), "// Kalibrierung \xE9\xFC\r\n[1]\r\n1=0.7\r\n");
}

TEST_F(IniTextFileTest, CalibrationFileIsCreatedWhenStored) {
    ASSERT_TRUE(StoreCalibration(m_wpath, u"200", 187.46));
    ASSERT_TRUE(StoreCalibration(m_wpath, u"50", 48.3));
    ASSERT_TRUE(StoreCalibration(m_wpath, u"200", 190.0));
    EXPECT_EQ(Read(), "[200]\r\n200=190.0\r\n[50]\r\n50=48.3\r\n");
    CString v;
    EXPECT_TRUE(ReadCalibration(m_wpath, u"50", v));
    EXPECT_EQ(v, u"48.3");

    // Texts that are not digits and points never reach the file.
    for (const WCHAR* bad : {u"", u"2]0", u"x", u"1=2", u"20 "})
        EXPECT_FALSE(StoreCalibration(m_wpath, bad, 1.0));
    EXPECT_FALSE(StoreCalibration(m_wpath, u"5", std::strtod("inf", nullptr)));
    EXPECT_EQ(Read(), "[200]\r\n200=190.0\r\n[50]\r\n50=48.3\r\n");
}

// A file saved by an editor that adds a byte-order mark, or with other line ends: every
// section is found, a store replaces the value instead of appending a second section, and
// the file is written with CR LF (the mark kept).
TEST_F(IniTextFileTest, ByteOrderMarkAndAnyLineEnds) {
    struct Case {
        const char* name;
        std::string before, after;
    } cases[] = {
        {"mark, CR LF", "\xEF\xBB\xBF[200]\r\n200=187.5\r\n[50]\r\n50=48.3\r\n",
         "\xEF\xBB\xBF[200]\r\n200=190.0\r\n[50]\r\n50=48.3\r\n"},
        {"CR only", "[200]\r200=187.5\r[50]\r50=48.3\r",
         "[200]\r\n200=190.0\r\n[50]\r\n50=48.3\r\n"},
        {"mixed", "[200]\n200=187.5\r[50]\r\n50=48.3", "[200]\r\n200=190.0\r\n[50]\r\n50=48.3\r\n"},
    };
    for (const Case& c : cases) {
        Write(c.before);
        CString v;
        EXPECT_TRUE(ReadCalibration(m_wpath, u"200", v)) << c.name;
        EXPECT_EQ(v, u"187.5") << c.name;
        EXPECT_TRUE(ReadCalibration(m_wpath, u"50", v)) << c.name;
        EXPECT_EQ(v, u"48.3") << c.name;
        ASSERT_TRUE(StoreCalibration(m_wpath, u"200", 190.0)) << c.name;
        EXPECT_EQ(Read(), c.after) << c.name;
    }
}

// Hand-edited or damaged files are read and written without a fault.
TEST_F(IniTextFileTest, ArbitraryBytesAreHandled) {
    std::mt19937 rng(12345);
    const char alphabet[] = "[]=/\r\n 0123456789.abc\t\x00\xff";
    for (int round = 0; round < 200; ++round) {
        std::string bytes(rng() % 200, ' ');
        for (char& c : bytes)
            c = alphabet[rng() % (sizeof alphabet - 1)];
        Write(bytes);
        CIniTextFile ini;
        ASSERT_EQ(ini.Load(m_wpath), 1);
        CString v;
        const WCHAR* names[] = {u"1", u"10", u"", u"a", u"[", u"="};
        const WCHAR* section = names[rng() % 6];
        const WCHAR* key = names[rng() % 6];
        const int n = ini.FindKey(section, key);
        EXPECT_TRUE(n == -1 || n == -2 || (n >= 1 && n <= int(ini.Lines().size())));
        ini.GetString(section, key, v);
        EXPECT_EQ(ini.SetString(section, key, u"1.5"), 1);
        EXPECT_EQ(ini.GetString(section, key, v), ini.FindKey(section, key) >= 1 ? 1 : 0);
    }
}

// A calibration is kept in full: read back, it gives the magnification it was made with to far
// more digits than a label shows, while round values keep the one-decimal form of older files.
TEST_F(IniTextFileTest, CalibrationKeepsItsFullPrecision) {
    const struct {
        double value;
        const char16_t* text;
    } cases[] = {
        {190.0, u"190.0"},
        {48.3, u"48.3"},
        {3.1496062992125984, u"3.1496062992126"},
        {127.65957446808511, u"127.659574468085"},
        {0.000123456789012345, u"0.000123456789012345"},
        {123456.789, u"123456.789"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CalibrationValueText(c.value), CString(c.text)) << c.value;
        ASSERT_TRUE(StoreCalibration(m_wpath, u"100", c.value));
        CString v;
        ASSERT_TRUE(ReadCalibration(m_wpath, u"100", v));
        EXPECT_EQ(v, CString(c.text));
        const double back = wcstod(v.GetString(), nullptr);
        EXPECT_NEAR(back / c.value, 1.0, 1e-13) << c.value;
    }
    EXPECT_EQ(Read(), "[100]\r\n100=123456.789\r\n");

    // The field shows one decimal and gives the full value back while it shows that text.
    CalibratedZoomField field;
    double value = 0.0;
    EXPECT_FALSE(field.Read(u"", value));
    EXPECT_EQ(field.Show(3.1496062992125984), CString(u"3.1"));
    EXPECT_TRUE(field.Read(u"3.1", value));
    EXPECT_EQ(value, 3.1496062992125984);
    EXPECT_FALSE(field.Read(u"3.2", value)); // typed over
    field.Forget();
    EXPECT_FALSE(field.Read(u"3.1", value));
}

TEST_F(IniTextFileTest, UnwritableFileReportsFailure) {
    const CString path =
        CString::FromUtf8((m_dir / "no-such-folder" / "CalibrationIni.ini").string());
    EXPECT_FALSE(StoreCalibration(path, u"20", 19.5));
}

} // namespace
