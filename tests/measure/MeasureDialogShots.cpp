// Not a test: one measurement dialog on a real display, for a look at its layout in a language.
//   measure_dialog_shots pen|units|text|calibration|circle|magnifier|canvas [language file]
// The language file is looked up in the program folder ("German1252.ini"). "canvas" shows a
// canvas holding one shape of each kind over a generated picture.
#include "measure/InputDlgs.h"
#include "measure/MagnifierDlg.h"
#include "measure/MeasureCanvas.h"
#include "measure/MeasureSettings.h"
#include "measure/PenSettingDlg.h"
#include "measure/TextDlg.h"
#include "kit/LangText.h"

#include "imaging/DibImage.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* g_what = "pen";
std::string g_language;

// The setting dialog opened on its unit page.
class CUnitPageDlg : public CPenSettingDlg {
public:
    BOOL OnInitDialog() override {
        CPenSettingDlg::OnInitDialog();
        m_tab.SetCurSel(1);
        NMHDR nm{m_tab.m_hWnd, IDC_PEN_TAB, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessage(WM_NOTIFY, IDC_PEN_TAB, reinterpret_cast<LPARAM>(&nm));
        return TRUE;
    }
};

struct Shape {
    int kind;
    std::vector<POINT> points;
    std::vector<const char16_t*> labels;
    double radius = 0.0;
    int selected = 0;
};

// One shape of each kind, in the canvas coordinates of the 640 x 512 view.
const Shape kShapes[] = {
    {1, {{40, 40}, {200, 40}, {40, 34}, {40, 46}, {200, 34}, {200, 46}, {95, 46}}, {u"L:1.234mm"}},
    {3, {{240, 30}, {360, 100}, {366, 30}}, {u"W:0.600mm", u"H:0.350mm", u"A:0.210mm2"}},
    {4, {{420, 30}, {0, 0}}, {u"Crack at the edge"}},
    {5, {{40, 170}, {100, 120}, {160, 170}, {80, 175}}, {u"Angle:79.61"}},
    {6, {{190, 150}, {250, 125}, {205, 145}, {330, 160}, {280, 150}}, {u"12.345mm", u"1.000mm"}},
    {9, {{440, 170}, {480, 170}, {440, 130}, {400, 170}, {485, 176}}, {u"D:0.400mm"}},
    {10, {{40, 250}, {120, 230}, {40, 262}, {120, 300}, {125, 262}}, {u"Angle:50.91"}},
    {11,
     {{250, 275},
      {220, 245},
      {190, 275},
      {220, 275},
      {195, 310},
      {330, 275},
      {310, 255},
      {290, 275},
      {310, 275},
      {300, 300},
      {250, 250}},
     {u"R:0.300mm", u"R:0.200mm", u"D:0.900mm"}},
    {12,
     {{400, 240}, {520, 240}, {400, 280}, {520, 280}, {460, 240}, {460, 280}, {465, 253}},
     {u"H:0.400mm"},
     0.0,
     1},
    {13, {{590, 60}}, {u"1"}},
    {18,
     {{40, 350}, {140, 350}, {40, 390}, {140, 390}, {90, 350}, {90, 390}, {95, 363}},
     {u"H:0.400mm"}},
    {19, {{220, 380}, {255, 380}}, {u"D:0.600mm"}, 30.0},
    {21, {{300, 350}, {360, 410}, {300, 410}, {380, 350}, {335, 415}}, {u"Angle:81.87"}},
    {22, {{420, 330}, {560, 370}, {470, 410}, {480, 415}}, {u"H:0.552mm"}},
    {24, {{40, 440}, {200, 455}, {120, 460}}, {u"L:1.607mm"}},
    {222,
     {{250, 470}, {290, 440}, {330, 470}, {335, 430}},
     {u"R:0.433mm", u"Angle:135.0", u"Arc:1.02mm"}},
    {333,
     {{470, 480}, {510, 455}, {550, 480}, {555, 440}},
     {u"R:0.451mm", u"Angle:112.6", u"Arc:0.88mm"}},
};

// A picture of dark bands for the canvas, written beside the program.
std::u16string CanvasPicture() {
    CDibImage image(1280, 1024, 24);
    for (DWORD y = 0; y < 1024; ++y) {
        BYTE* row = image.GetBits(y);
        for (DWORD x = 0; x < 1280; ++x) {
            row[3 * x] = static_cast<BYTE>(60 + (x / 160) * 8);
            row[3 * x + 1] = static_cast<BYTE>(50 + (y / 128) * 6);
            row[3 * x + 2] = 45;
        }
    }
    const std::u16string path = ms::ProgramDir() + u"/Probe_50X_2.bmp";
    image.SaveToFile(path.c_str(), DIBIMAGE_TYPE_BMP);
    return path;
}

CWnd g_host;
CMeasureCanvas* g_canvas = nullptr;

void ShowCanvas() {
    g_host.CreateEx(0, nullptr, u"Canvas", WS_POPUP | WS_VISIBLE, 0, 0, 640, 512, nullptr, nullptr);
    g_canvas = new CMeasureCanvas(&g_host);
    g_canvas->m_path = CanvasPicture().c_str();
    g_canvas->Create(IDD_MEASURE_CANVAS, &g_host);
    g_canvas->MoveWindow(0, 0, 640, 512);
    for (const Shape& s : kShapes) {
        auto r = std::make_unique<CMeasureRecord>();
        r->m_kind = s.kind;
        r->m_points = s.points;
        for (const char16_t* l : s.labels)
            r->m_labels.emplace_back(l);
        r->m_radius = s.radius;
        r->m_selected = s.selected;
        r->m_penWidth = 2;
        r->m_lineColor = RGB(0, 230, 0);
        r->m_labelColor = RGB(255, 60, 60);
        r->m_labelFont = DefaultLabelFont();
        r->m_fontSize = 14;
        r->m_textColor = RGB(255, 255, 0);
        r->m_textFont = DefaultLabelFont();
        r->m_textFont.lfHeight = -18;
        g_canvas->m_shapes.Add(std::move(r));
    }
    g_canvas->ShowWindow(SW_SHOW);
    g_canvas->Redraw(TRUE);
}

class CShotsApp : public CWinApp {
public:
    BOOL InitInstance() override {
        InitCommonControls();
        if (!g_language.empty())
            ms::CopyBounded(g_langFilePath, MAX_PATH,
                            ms::ProgramDir() + u"/" + ms::FromUtf8(g_language));
        if (std::strcmp(g_what, "canvas") == 0) {
            ShowCanvas();
            return TRUE; // runs the message loop until the process is ended
        }
        if (std::strcmp(g_what, "pen") == 0) {
            CPenSettingDlg dlg;
            dlg.DoModal();
        } else if (std::strcmp(g_what, "units") == 0) {
            CUnitPageDlg dlg;
            dlg.DoModal();
        } else if (std::strcmp(g_what, "text") == 0) {
            g_textFont = DefaultLabelFont();
            g_textFont.lfHeight = -20;
            CTextDlg dlg;
            dlg.m_text = u"Scratch on the wafer, 0.25 mm";
            dlg.DoModal();
        } else if (std::strcmp(g_what, "calibration") == 0) {
            CCalibrationDlg dlg;
            dlg.DoModal();
        } else if (std::strcmp(g_what, "circle") == 0) {
            CCircleToleranceDlg dlg;
            dlg.DoModal();
        } else if (std::strcmp(g_what, "magnifier") == 0) {
            CMagnifierDlg dlg;
            dlg.DoModal();
        }
        return FALSE;
    }
} theApp;

} // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        g_what = argv[1];
    if (argc > 2)
        g_language = argv[2];
    return AfxWinMain(argc, argv);
}
