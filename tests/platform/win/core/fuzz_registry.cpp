// The registry file is text a person may edit: any bytes must read without reading or writing
// out of bounds (a damaged file is set aside and reads as empty).
#include "platform/win/core/Files.h"
#include "platform/win/core/Registry.h"
#include "platform/win/core/WString.h"
#include "tests/support/FuzzScratch.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <glob.h>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = [] {
        std::string d = mstest::FuzzScratch("registry");
        ::setenv("XDG_CONFIG_HOME", d.c_str(), 1);
        std::system(("mkdir -p " + d + "/microscope").c_str());
        return d;
    }();
    // A damaged file is set aside under a new name each time: the copies go at once.
    glob_t aside{};
    if (::glob((dir + "/microscope/registry.txt.damaged-*").c_str(), 0, nullptr, &aside) == 0)
        for (size_t i = 0; i < aside.gl_pathc; ++i)
            ::unlink(aside.gl_pathv[i]);
    ::globfree(&aside);
    ms::WriteFileAtomic(ms::RegistryFile(),
                        std::string_view(reinterpret_cast<const char*>(data), size));
    HKEY k;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, u"SOFTWARE\\varazizuziVe\\Units", 0, KEY_ALL_ACCESS, &k) ==
        ERROR_SUCCESS) {
        BYTE buf[64];
        DWORD type = 0, len = sizeof buf;
        RegQueryValueEx(k, u"unit", nullptr, &type, buf, &len);
        len = 2;
        RegQueryValueEx(k, u"decimal", nullptr, &type, buf, &len);
        DWORD v = 3;
        RegSetValueEx(k, u"decimal", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
        RegCloseKey(k);
    }
    return 0;
}
