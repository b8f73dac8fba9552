#include "platform/win/core/Registry.h"

#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/ms-reg-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        ::setenv("XDG_CONFIG_HOME", tmpl, 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        std::system(("rm -rf " + dir_).c_str());
    }
    std::string FileText() { return ms::ReadFileBytes(ms::RegistryFile()).value_or(""); }
    HKEY Create(LPCWSTR path, DWORD* disposition = nullptr) {
        HKEY k = nullptr;
        EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 &k, disposition),
                  ERROR_SUCCESS);
        return k;
    }
    std::string dir_;
};

DWORD SetDword(HKEY k, LPCWSTR name, DWORD v) {
    return RegSetValueEx(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
}

} // namespace

TEST_F(RegistryTest, DwordAndStringRoundTripWithByteSizes) {
    DWORD how = 0;
    HKEY k = Create(u"SOFTWARE\\varazizuziVe\\Units", &how);
    EXPECT_EQ(how, DWORD(REG_CREATED_NEW_KEY));
    const WCHAR unit[] = u"mm";
    EXPECT_EQ(RegSetValueEx(k, u"unit", 0, REG_SZ, reinterpret_cast<const BYTE*>(unit), 6),
              ERROR_SUCCESS);
    EXPECT_EQ(SetDword(k, u"decimal", 3), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);

    // Names are case-insensitive, as on Windows.
    ASSERT_EQ(
        RegOpenKeyEx(HKEY_CURRENT_USER, u"software\\VARAZIZUZIVE\\units", 0, KEY_ALL_ACCESS, &k),
        ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueEx(k, u"UNIT", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(size, 6u);
    WCHAR buf[12] = {u'x', u'x', 0};
    size = 2;
    EXPECT_EQ(RegQueryValueEx(k, u"unit", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    size = sizeof buf;
    EXPECT_EQ(RegQueryValueEx(k, u"unit", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::u16string(buf), u"mm");
    DWORD decimals = 0;
    size = 4;
    EXPECT_EQ(
        RegQueryValueEx(k, u"decimal", nullptr, &type, reinterpret_cast<BYTE*>(&decimals), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(decimals, 3u);
    EXPECT_EQ(
        RegQueryValueEx(k, u"missing", nullptr, &type, reinterpret_cast<BYTE*>(&decimals), &size),
        ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(decimals, 3u);
    RegCloseKey(k);

    EXPECT_EQ(RegCloseKey(Create(u"SOFTWARE\\VARAZIZUZIVE\\units", &how)), ERROR_SUCCESS);
    EXPECT_EQ(how, DWORD(REG_OPENED_EXISTING_KEY));

    // The store is readable text, one typed line per value.
    std::string text = FileText();
    EXPECT_NE(
        text.find(
            "[SOFTWARE\\varazizuziVe\\Units]\n\"unit\"=sz(6):\"mm\"\n\"decimal\"=dword:00000003\n"),
        std::string::npos)
        << text;
}

TEST_F(RegistryTest, OpenWithoutCreateFailsForMissingKey) {
    HKEY k = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\varazizuziVe", 0, KEY_ALL_ACCESS, &k),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(k, nullptr);
    EXPECT_EQ(FileText(), ""); // reading creates nothing
    RegCloseKey(Create(u"SOFTWARE\\wifimicroscope\\setting"));
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\wifimicroscope", 0, KEY_READ, &k),
              ERROR_SUCCESS);
    EXPECT_EQ(SetDword(k, u"x", 1), ERROR_ACCESS_DENIED); // opened for reading only
    RegCloseKey(k);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\varazizuziVe\\Units", 0, KEY_READ, &k),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, u".htm", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(0x1234)), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, ValuesSurviveTheTextFormByteForByte) {
    HKEY k = Create(u"SOFTWARE\\t");
    struct Case {
        const WCHAR* name;
        DWORD type;
        std::string bytes;
    };
    std::string unterminated;
    for (char16_t c : std::u16string(u"centimetres!")) // 12 characters, no terminator
        unterminated += {static_cast<char>(c), 0};
    std::string special;
    for (char16_t c : std::u16string(u"a\"b\\c\nd°中\xD800"))
        special += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    special += std::string(2, '\0');
    std::string blob;
    for (int i = 0; i < 92; ++i)
        blob += static_cast<char>(i * 7);
    const Case cases[] = {
        {u"unterminated", REG_SZ, unterminated},
        {u"special \"name\"", REG_SZ, special},
        {u"odd", REG_SZ, std::string("m\0m", 3)},
        {u"padded", REG_SZ, std::string("m\0\0\0\0\0\0\0", 8)},
        {u"empty", REG_SZ, ""},
        {u"font", REG_BINARY, blob},
        {u"", REG_SZ, std::string("d\0\0\0", 4)},
        {u"short dword", REG_DWORD, std::string("\1\2", 2)},
        {u"multi", REG_MULTI_SZ, std::string("a\0\0\0\0\0", 6)},
    };
    for (const auto& c : cases)
        ASSERT_EQ(RegSetValueEx(k, c.name, 0, c.type, reinterpret_cast<const BYTE*>(c.bytes.data()),
                                static_cast<DWORD>(c.bytes.size())),
                  ERROR_SUCCESS);
    for (const auto& c : cases) {
        SCOPED_TRACE(ms::ToUtf8(c.name));
        BYTE buf[200];
        DWORD type = 0, size = sizeof buf;
        ASSERT_EQ(RegQueryValueEx(k, c.name, nullptr, &type, buf, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), size), c.bytes);
    }
    RegCloseKey(k);
}

TEST_F(RegistryTest, DeletingKeysAndValues) {
    HKEY parent = Create(u"SOFTWARE\\p");
    HKEY child = Create(u"SOFTWARE\\p\\c");
    SetDword(child, u"v", 1);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, u"SOFTWARE\\p"), ERROR_ACCESS_DENIED); // has a subkey
    EXPECT_EQ(RegDeleteValue(child, u"V"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(child, u"v"), ERROR_FILE_NOT_FOUND);
    SetDword(child, u"v", 1);
    EXPECT_EQ(RegDeleteKey(parent, u"c"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(parent, u"c"), ERROR_FILE_NOT_FOUND);
    DWORD v = 0, size = 4;
    EXPECT_EQ(RegQueryValueEx(child, u"v", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size),
              ERROR_KEY_DELETED);
    EXPECT_EQ(SetDword(child, u"v", 2), ERROR_KEY_DELETED); // a write does not bring it back
    HKEY k;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\p\\c", 0, KEY_READ, &k),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(child);
    RegCloseKey(parent);
}

// The settings folder removed while the program runs: what the program set stays readable,
// and the next change writes folder and file again, with the earlier values.
TEST_F(RegistryTest, ARemovedSettingsFolderIsWrittenAgainWithEverything) {
    HKEY held = Create(u"SOFTWARE\\varazizuziVe\\LanguageID");
    EXPECT_EQ(SetDword(held, u"LanID", 7), ERROR_SUCCESS);
    ASSERT_EQ(std::system(("rm -rf " + dir_ + "/microscope").c_str()), 0);

    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\varazizuziVe\\LanguageID", 0,
                           KEY_ALL_ACCESS, &k),
              ERROR_SUCCESS);
    DWORD v = 0, size = 4;
    EXPECT_EQ(RegQueryValueEx(k, u"LanID", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(v, 7u);
    EXPECT_EQ(SetDword(k, u"ImageFormat", 1), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(held, u"SubLanIDD", 2), ERROR_SUCCESS); // a handle from before, too
    RegCloseKey(k);
    RegCloseKey(held);
    const std::string text = FileText();
    for (const char* name : {"LanID", "ImageFormat", "SubLanIDD"})
        EXPECT_NE(text.find(name), std::string::npos) << name << " in\n" << text;
}

// Two programs writing at the same time: each change is made under the lock on a fresh read.
TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    RegCloseKey(Create(u"SOFTWARE\\shared"));
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const int perProcess = 30;
    pid_t children[2];
    for (int p = 0; p < 2; ++p) {
        children[p] = ::fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0) {
            char c;
            ::close(go[1]);
            (void)!::read(go[0], &c, 1); // start together
            HKEY k;
            if (RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\shared", 0, KEY_ALL_ACCESS, &k) !=
                ERROR_SUCCESS)
                ::_exit(2);
            for (int i = 0; i < perProcess; ++i) {
                std::u16string name =
                    ms::FromUtf8("p" + std::to_string(p) + "_" + std::to_string(i));
                if (SetDword(k, name.c_str(), static_cast<DWORD>(p * 1000 + i)) != ERROR_SUCCESS)
                    ::_exit(3);
            }
            ::_exit(0);
        }
    }
    ::close(go[0]);
    ::close(go[1]); // releases both children at once
    for (pid_t c : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(c, &status, 0), c);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    HKEY k;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\shared", 0, KEY_READ, &k), ERROR_SUCCESS);
    for (int p = 0; p < 2; ++p)
        for (int i = 0; i < perProcess; ++i) {
            std::u16string name = ms::FromUtf8("p" + std::to_string(p) + "_" + std::to_string(i));
            DWORD v = 0, size = 4;
            ASSERT_EQ(RegQueryValueEx(k, name.c_str(), nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&v), &size),
                      ERROR_SUCCESS)
                << ms::ToUtf8(name);
            EXPECT_EQ(v, static_cast<DWORD>(p * 1000 + i));
        }
    RegCloseKey(k);
}

// A batch: queries see each change at once, the file is written once when the outermost batch
// ends, and another program that changes a value meanwhile waits for the batch and loses
// nothing (nor does the batch).
TEST_F(RegistryTest, ABatchWritesOnceAtItsEndAndAnotherProgramWaitsForIt) {
    RegCloseKey(Create(u"SOFTWARE\\shared"));
    const std::string before = FileText();
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char c;
        ::close(go[1]);
        (void)!::read(go[0], &c, 1); // the batch has taken the lock
        HKEY k;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\shared", 0, KEY_ALL_ACCESS, &k) !=
                ERROR_SUCCESS ||
            SetDword(k, u"other", 3) != ERROR_SUCCESS)
            ::_exit(2);
        ::_exit(0);
    }
    ::close(go[0]);
    {
        ms::RegistryBatch outer;
        HKEY k = Create(u"SOFTWARE\\shared\\batched");
        {
            ms::RegistryBatch inner;
            EXPECT_EQ(SetDword(k, u"first", 1), ERROR_SUCCESS);
        }
        EXPECT_EQ(FileText(), before) << "an inner batch ended";
        EXPECT_EQ(SetDword(k, u"second", 2), ERROR_SUCCESS);
        EXPECT_EQ(RegDeleteValue(k, u"never"), ERROR_FILE_NOT_FOUND);
        DWORD v = 0, size = 4;
        EXPECT_EQ(
            RegQueryValueEx(k, u"first", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size),
            ERROR_SUCCESS);
        EXPECT_EQ(v, 1u);
        RegCloseKey(k);
        ASSERT_EQ(::write(go[1], "g", 1), 1);
        EXPECT_EQ(FileText(), before);
    }
    ::close(go[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const struct {
        LPCWSTR key, name;
        DWORD value;
    } kExpected[] = {{u"SOFTWARE\\shared\\batched", u"first", 1},
                     {u"SOFTWARE\\shared\\batched", u"second", 2},
                     {u"SOFTWARE\\shared", u"other", 3}};
    for (const auto& e : kExpected) {
        HKEY k;
        ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, e.key, 0, KEY_READ, &k), ERROR_SUCCESS);
        DWORD v = 0, size = 4;
        EXPECT_EQ(RegQueryValueEx(k, e.name, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size),
                  ERROR_SUCCESS)
            << ms::ToUtf8(e.name);
        EXPECT_EQ(v, e.value);
        RegCloseKey(k);
    }
}

TEST_F(RegistryTest, DamagedFileIsReportedOnceKeptAsideAndDefaultsUsed) {
    const std::string damaged = "[SOFTWARE]\n[SOFTWARE\\varazizuziVe]\n\"LanID\"=dword:zz\n";
    ASSERT_EQ(::system(("mkdir -p " + dir_ + "/microscope").c_str()), 0);
    ASSERT_TRUE(ms::WriteFileAtomic(ms::RegistryFile(), damaged));

    testing::internal::CaptureStderr();
    HKEY k;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\varazizuziVe", 0, KEY_READ, &k),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("damaged (line 3)"), std::string::npos) << err;

    WIN32_FIND_DATA fd;
    std::u16string backups = ms::RegistryFile() + u".damaged-*";
    HANDLE h = FindFirstFile(backups.c_str(), &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FindClose(h);
    EXPECT_EQ(*ms::ReadFileBytes(ms::FromUtf8(dir_) + u"/microscope/" + fd.cFileName), damaged);

    // The first-run defaults can be written again.
    k = Create(u"SOFTWARE\\varazizuziVe\\LanguageID");
    EXPECT_EQ(SetDword(k, u"LanID", 7), ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_NE(FileText().find("\"LanID\"=dword:00000007"), std::string::npos);
}

TEST_F(RegistryTest, HandEditedFileWithByteOrderMarkAndCrLfIsRead) {
    ASSERT_EQ(::system(("mkdir -p " + dir_ + "/microscope").c_str()), 0);
    ASSERT_TRUE(ms::WriteFileAtomic(ms::RegistryFile(),
                                    "\xEF\xBB\xBF# edited\r\n[SOFTWARE]\r\n\r\n[SOFTWARE\\w]\r\n"
                                    "\"port\"=dword:00001f90\r\n"));
    HKEY k;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\w", 0, KEY_READ, &k), ERROR_SUCCESS);
    DWORD v = 0, size = 4;
    EXPECT_EQ(RegQueryValueEx(k, u"port", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(v, 8080u);
    RegCloseKey(k);
}

// A REG_SZ's declared size beyond its text is zero padding: it costs nothing until a caller
// reads it, and is written back as the size, not spelled out. Values declaring more than the
// store may hold in total make the file damaged, however small the file is.
TEST_F(RegistryTest, DeclaredSizesCostWhatTheFileHolds) {
    ASSERT_EQ(::system(("mkdir -p " + dir_ + "/microscope").c_str()), 0);
    ASSERT_TRUE(ms::WriteFileAtomic(ms::RegistryFile(), "[SOFTWARE\\w]\n\"unit\"=sz(40):\"mm\"\n"
                                                        "\"big\"=sz(15000000):\"x\"\n"));
    HKEY k;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\w", 0, KEY_ALL_ACCESS, &k),
              ERROR_SUCCESS);
    BYTE buf[64];
    std::memset(buf, 0x55, sizeof buf);
    DWORD type = 0, size = sizeof buf;
    ASSERT_EQ(RegQueryValueEx(k, u"unit", nullptr, &type, buf, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 40u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 40),
              std::string("m\0m", 3) + std::string(37, '\0'));
    EXPECT_EQ(buf[40], 0x55);
    size = sizeof buf;
    EXPECT_EQ(RegQueryValueEx(k, u"big", nullptr, &type, buf, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 15000000u);
    EXPECT_EQ(SetDword(k, u"decimal", 3), ERROR_SUCCESS);
    RegCloseKey(k);
    const std::string text = FileText();
    EXPECT_LT(text.size(), 1000u);
    EXPECT_NE(text.find("\"big\"=sz(15000000):\"x\"\n"), std::string::npos) << text.substr(0, 300);

    // Sixty values of 15 MB each in a file of about 1.5 KB.
    std::string hostile = "[SOFTWARE\\h]\n";
    for (int i = 0; i < 60; ++i)
        hostile += "\"v" + std::to_string(i) + "\"=sz(15000000):\"\"\n";
    ASSERT_TRUE(ms::WriteFileAtomic(ms::RegistryFile(), hostile));
    testing::internal::CaptureStderr();
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\h", 0, KEY_READ, &k),
              ERROR_FILE_NOT_FOUND);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(FileText(), ""); // set aside as damaged
}
