// "CapConfig.dat" lies beside the program and may be edited or damaged: any bytes must read
// (or count as no file) and the capture must come up over the synthetic camera without
// undefined behaviour, whatever size, rectangle, rate or code the file names.
#include "capture/CaptureWnd.h"

#include "platform/win/core/Files.h"
#include "tests/support/FuzzScratch.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const std::string dir = mstest::FuzzScratch("capconfig");
    std::filesystem::create_directories(dir);
    setenv("MS_PROGRAM_DIR", dir.c_str(), 1);
    ms::capture::UseSyntheticCamera(true);
    ms::capture::SetPostMessage([](HWND, UINT, WPARAM, LPARAM) { return true; });
    ms::capture::SyntheticDevice d;
    d.id = "cam";
    d.framesPerSecond = 0;
    ms::capture::SyntheticCamera::Instance().SetDevices({d});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ms::WriteFileAtomic(CCaptureWnd::FormatConfigPath(),
                        std::string_view(reinterpret_cast<const char*>(data), size));
    CCaptureWnd w;
    w.SetWindows(nullptr, nullptr);
    if (w.LoadFormatConfig() && !IsCapConfigInRange(w.CurrentFormat()))
        std::abort(); // a format out of range was taken
    if (w.CreateDeviceEnumerator() == S_OK && w.EnumerateDevices() && w.BuildGraph() &&
        w.ConfigureFormat()) {
        const LONG width = w.CurrentFormat().bmiHeader.biWidth;
        const LONG height = w.CurrentFormat().bmiHeader.biHeight;
        if (width <= 0 || height <= 0)
            std::abort(); // the capture runs at a size no frame can have
    }
    w.ReleaseGraph();
    return 0;
}
