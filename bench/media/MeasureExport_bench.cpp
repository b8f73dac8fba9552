// The exports as the operator waits for them on the UI thread: 200 live shapes of every kind
// with a row, written as a workbook with a 640 x 480 picture at A1, as a report with that
// picture, and as a DXF drawing (MS_PROGRAM_DIR names the folder of libDxfIO.so).
#include <benchmark/benchmark.h>

#include "measure/Units.h"
#include "media/DxfDrawing.h"
#include "media/MeasureExport.h"

#include "platform/win/core/WString.h"

#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>

namespace {

std::vector<CMeasureRecord> Shapes(int count) {
    const int kinds[] = {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 21, 22, 23, 24, 25};
    std::vector<CMeasureRecord> shapes;
    for (int i = 0; i < count; ++i) {
        CMeasureRecord r;
        r.m_kind = kinds[i % std::size(kinds)];
        for (int p = 0; p < 9; ++p)
            r.m_points.push_back(POINT{(i * 7 + p * 13) % 640, (i * 5 + p * 11) % 480});
        r.m_labels = {u"L:1.250mm", u"R:2.500mm", u"G:3.750mm", u"A:4.000mm2"};
        r.m_radius = 12.5;
        shapes.push_back(r);
    }
    return shapes;
}

ExportPictureJob Picture(const QTemporaryDir& dir) {
    return {CString((dir.path() + "/10000.bmp").toStdU16String()), [](const CString& path) {
                QImage img(640, 480, QImage::Format_RGB888);
                img.fill(Qt::darkCyan);
                return img.save(QString::fromStdU16String(path.Str()), "BMP");
            }};
}

void BM_SpreadsheetExport(benchmark::State& state) {
    QTemporaryDir dir;
    const auto shapes = Shapes(200);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ExportToSpreadsheet(CString((dir.path() + "/m.xls").toStdU16String()), shapes,
                                ShapeSource::Live, Picture(dir), [](const CString&) {}));
}
BENCHMARK(BM_SpreadsheetExport)->Unit(benchmark::kMillisecond);

void BM_WordReport(benchmark::State& state) {
    QTemporaryDir dir;
    const auto shapes = Shapes(200);
    for (auto _ : state)
        benchmark::DoNotOptimize(ExportToWord(CString((dir.path() + "/r.docx").toStdU16String()),
                                              shapes, Picture(dir), [](const CString&) {}));
}
BENCHMARK(BM_WordReport)->Unit(benchmark::kMillisecond);

void BM_DxfExport(benchmark::State& state) {
    QTemporaryDir dir;
    const auto shapes = Shapes(200);
    CDxfDrawing dxf;
    const DxfSpace space{1.0, 480.0, UnitScale(u"mm", 0, 640, 480), 1.0};
    for (auto _ : state)
        if (ExportToDxf(dxf, CString((dir.path() + "/d.dxf").toStdU16String()), shapes,
                        ShapeSource::Live, space) != DxfResult::Saved)
            state.SkipWithError("no drawing: run with MS_PROGRAM_DIR at the DXF library's folder");
}
BENCHMARK(BM_DxfExport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    ms::CopyBounded(g_unitName, 12, u"mm");
    g_decimalPlaces = 3;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
