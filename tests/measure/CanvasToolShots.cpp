// Not a test: the canvas with its tools on a real display, to be driven by the window
// system's input (xdotool) and looked at in screenshots.
//   canvas_tool_shots
// The canvas shows a generated 640 x 480 picture (a dark disc and a dark band on grey) at the
// top-left corner of the screen. Every 100 ms the program reads "tool.txt" in the program
// folder; a new word there chooses a tool (line, dot, parallel, rect, angle, polyline,
// freehand, circle3, arc, two, four, label, select, magnifier, spacing, autoangle,
// autocircle, autoarc, autoline, edge, text) or runs "move" (the Move command).
#include "measure/MeasureCanvas.h"
#include "measure/MeasureSettings.h"

#include "imaging/DibImage.h"
#include "platform/win/core/Files.h"
#include "platform/win/core/WString.h"
#include "res/TessaryResource.h"

#include <fstream>
#include <map>
#include <string>

namespace {

std::u16string Picture() {
    CDibImage image(640, 480, 24);
    for (long y = 0; y < 480; ++y)
        for (long x = 0; x < 640; ++x) {
            const long dx = x - 450, dy = y - 260;
            const bool dark = dx * dx + dy * dy < 80 * 80 || (x >= 120 && x < 170);
            const BYTE v = dark ? 30 : 200;
            image.SetPixelColor(x, y, RGBQUAD{v, v, v, 0});
        }
    const std::u16string path = ms::ProgramDir() + u"/Tools_100X_1.bmp";
    image.SaveToFile(path.c_str(), DIBIMAGE_TYPE_BMP);
    return path;
}

struct Choice {
    MeasureTool tool;
    ToolMode mode;
};

const std::map<std::string, Choice> kTools = {
    {"line", {TOOL_LINE, TOOL_MODE_MEASURE}},
    {"dot", {TOOL_DOT_LINE, TOOL_MODE_MEASURE}},
    {"parallel", {TOOL_PARALLEL_LINE, TOOL_MODE_MEASURE}},
    {"rect", {TOOL_RECTANGLE, TOOL_MODE_MEASURE}},
    {"angle", {TOOL_ANGLE, TOOL_MODE_MEASURE}},
    {"polyline", {TOOL_CONTINUOUS_LINE, TOOL_MODE_MEASURE}},
    {"freehand", {TOOL_CONTINUOUS_LINE, TOOL_MODE_PAINT}},
    {"circle3", {TOOL_THREE_POINT_CIRCLE, TOOL_MODE_MEASURE}},
    {"arc", {TOOL_ARC, TOOL_MODE_MEASURE}},
    {"two", {TOOL_TWO_CIRCLES, TOOL_MODE_MEASURE}},
    {"four", {TOOL_FOUR_POINT_ANGLE, TOOL_MODE_MEASURE}},
    {"label", {TOOL_CIRCLE_LABEL, TOOL_MODE_PAINT}},
    {"select", {TOOL_SELECT, TOOL_MODE_IDLE}},
    {"magnifier", {TOOL_MAGNIFIER, TOOL_MODE_PAINT}},
    {"spacing", {TOOL_AUTO_LINE_SPACING, TOOL_MODE_MEASURE}},
    {"autoangle", {TOOL_AUTO_ANGLE, TOOL_MODE_MEASURE}},
    {"autocircle", {TOOL_AUTO_CIRCLE, TOOL_MODE_MEASURE}},
    {"autoarc", {TOOL_AUTO_ARC, TOOL_MODE_MEASURE}},
    {"autoline", {TOOL_AUTO_LINE_LENGTH2, TOOL_MODE_MEASURE}},
    {"edge", {TOOL_EDGE_PORTION, TOOL_MODE_PAINT}},
    {"text", {TOOL_TEXT, TOOL_MODE_PAINT}},
};

CMeasureCanvas* g_canvas = nullptr;

class Host : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_TIMER)
            Poll();
        return CWnd::WindowProc(msg, wp, lp);
    }

private:
    void Poll() {
        std::ifstream in(ms::ToUtf8(ms::ProgramDir() + u"/tool.txt"));
        std::string word;
        if (!(in >> word) || word == m_last)
            return;
        m_last = word;
        if (word == "move") {
            g_canvas->BeginMoveSelected();
            return;
        }
        const auto it = kTools.find(word.substr(0, word.find('#')));
        if (it == kTools.end())
            return;
        g_canvas->SetToolFlag(it->second.tool == TOOL_FOUR_POINT_ANGLE ? 1 : 0);
        g_canvas->SetTool(it->second.tool, it->second.mode);
        if (it->second.tool == TOOL_TEXT) {
            g_canvas->m_textPos = CPoint(40, 440);
            g_canvas->m_textFont = DefaultLabelFont();
            g_canvas->m_textFont.lfHeight = -18;
            g_canvas->m_textColor = RGB(0, 0, 160);
            g_canvas->AddText(u"Sample 100X");
            g_canvas->Invalidate(FALSE);
        }
    }
    std::string m_last;
};

Host g_host;

class CShotsApp : public CWinApp {
public:
    BOOL InitInstance() override {
        g_unitName[0] = u'm';
        g_has1600x1200 = 0;
        g_host.CreateEx(0, nullptr, u"Canvas tools", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                        nullptr, nullptr);
        g_canvas = new CMeasureCanvas(&g_host);
        g_canvas->m_path = Picture().c_str();
        g_canvas->Create(IDD_MEASURE_CANVAS, &g_host);
        g_canvas->MoveWindow(0, 0, 640, 480);
        g_canvas->m_zoom = 100.0;
        g_canvas->m_lensSize = 150;
        g_canvas->m_lensZoom = 30;
        g_canvas->m_lineColor = RGB(0, 160, 0);
        g_canvas->m_labelColor = RGB(200, 0, 0);
        g_canvas->ShowWindow(SW_SHOW);
        g_canvas->Redraw(TRUE);
        g_host.SetTimer(1, 100, nullptr);
        return TRUE; // runs the message loop until the process is ended
    }
} theApp;

} // namespace

int main(int argc, char** argv) {
    return AfxWinMain(argc, argv);
}
