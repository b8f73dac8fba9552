// Not a test: the photo-measure window on a real display, to be driven by the window system's
// input (xdotool) and looked at in screenshots.
//   photo_measure_shots [picture]
// Without a picture it opens a generated 1280 x 1024 "Sample_200X_01.bmp" (a dark disc and a
// dark band on grey) from the program folder, as the main window does for a picture of the
// strip.
#include "measure/PhotoMeasureDlg.h"

#include "imaging/DibImage.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"

namespace {

std::u16string Picture() {
    CDibImage image(1280, 1024, 24);
    for (long y = 0; y < 1024; ++y)
        for (long x = 0; x < 1280; ++x) {
            const long dx = x - 900, dy = y - 520;
            const bool dark = dx * dx + dy * dy < 160 * 160 || (x >= 240 && x < 340);
            const BYTE v = dark ? 30 : 200;
            image.SetPixelColor(x, y, RGBQUAD{v, BYTE(v + (x * 40) / 1280), v, 0});
        }
    const std::u16string path = ms::ProgramDir() + u"/Sample_200X_01.bmp";
    image.SaveToFile(path.c_str(), DIBIMAGE_TYPE_BMP);
    return path;
}

CWnd g_main;
std::u16string g_argument;

class CShotsApp : public CWinApp {
public:
    BOOL InitInstance() override {
        g_main.CreateEx(0, nullptr, u"Main", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
        const std::u16string path = g_argument.empty() ? Picture() : g_argument;
        CPhotoMeasureDlg::Open(CString(path.c_str()), &g_main, g_main.m_hWnd);
        return TRUE; // runs the message loop until the process is ended
    }
} theApp;

} // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        g_argument = ms::FromUtf8(argv[1]);
    return AfxWinMain(argc, argv);
}
