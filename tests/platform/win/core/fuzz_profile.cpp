// INI files come from outside (language files, calibration and font files beside the program):
// any bytes must read without reading or writing out of bounds.
#include "platform/win/core/Files.h"
#include "platform/win/core/Profile.h"
#include "platform/win/core/WString.h"
#include "tests/support/FuzzScratch.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::u16string file = ms::FromUtf8(mstest::FuzzScratch("profile", ".ini"));
    ms::WriteFileAtomic(file, std::string_view(reinterpret_cast<const char*>(data), size));
    ms::SetProfileCodePage(file.c_str(), size % 2 ? 936 : 0);
    WCHAR buf[64];
    GetPrivateProfileString(nullptr, nullptr, u"", buf, 64, file.c_str());
    GetPrivateProfileString(u"Rontage", nullptr, u"", buf, 7, file.c_str());
    GetPrivateProfileString(u"Rontage", u"TipMeasure", u"Measure", buf, 64, file.c_str());
    GetPrivateProfileInt(u"Rontage", u"n", 3, file.c_str());
    LOGFONTW font;
    GetPrivateProfileStruct(u"FONT", u"LOGFONT", &font, sizeof font, file.c_str());
    WritePrivateProfileString(u"Rontage", u"k", u"v", file.c_str());
    return 0;
}
