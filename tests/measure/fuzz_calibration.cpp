// "CalibrationIni.ini" lies beside the program and may have been edited by hand: any bytes
// must read, and take a stored calibration, without reading or writing out of bounds.
#include "measure/IniTextFile.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "tests/support/FuzzScratch.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::u16string file = ms::FromUtf8(mstest::FuzzScratch("calibration", ".ini"));
    ms::WriteFileAtomic(file, std::string_view(reinterpret_cast<const char*>(data), size));
    CString value;
    ReadCalibration(file.c_str(), u"200", value);
    ReadCalibration(file.c_str(), u"50.5", value);
    {
        CIniTextFile ini;
        if (ini.Load(file.c_str())) {
            ini.FindKey(u"10", u"10");
            ini.SetString(u"10", u"10", u"9.8", 1);
        }
    }
    StoreCalibration(file.c_str(), u"200", 187.46);
    return 0;
}
