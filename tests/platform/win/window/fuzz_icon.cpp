// Cursor and icon files come from outside (".cur", ".ani", ".ico", or a picture used as one):
// any bytes must load or be refused without reading or writing out of bounds, and without an
// allocation that the file's size does not justify.
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "platform/win/gdi/Gdi.h"
#include "platform/win/window/WinUser.h"
#include "tests/support/FuzzScratch.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::u16string file = ms::FromUtf8(mstest::FuzzScratch("icon", ".cur"));
    ms::WriteFileAtomic(file, std::string_view(reinterpret_cast<const char*>(data), size));
    if (HCURSOR cursor = LoadCursorFromFile(file.c_str()))
        DestroyCursor(cursor);
    return 0;
}
