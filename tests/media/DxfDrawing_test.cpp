// The DXF wrapper over the DXF library: the drawing's life, the entity header, the tables, and
// the file as ezdxf reads and audits it. Without the library (or with one that lacks an entry
// point) every call fails and nothing is called.
#include "media/DxfDrawing.h"

#include "platform/win/core/WString.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>

namespace {

std::u16string U(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size()));
}

// Runs ezdxf over the file; the audit's findings and the drawing's content.
QJsonObject ReadWithEzdxf(const QString& path) {
    QProcess p;
    p.start("/usr/bin/python3", {MS_DXF_CHECK, path});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

// The program folder for one test, so that LoadLibraryW looks where the test wants.
class ProgramDir {
public:
    explicit ProgramDir(const char* dir) : old_(std::getenv("MS_PROGRAM_DIR")) {
        setenv("MS_PROGRAM_DIR", dir, 1);
    }
    ~ProgramDir() { setenv("MS_PROGRAM_DIR", old_.c_str(), 1); }

private:
    std::string old_;
};

DXF_LTYPE LineType(const char16_t* name, const char16_t* description) {
    DXF_LTYPE r{};
    ms::CopyBounded(r.name, std::size(r.name), name);
    ms::CopyBounded(r.description, std::size(r.description), description);
    return r;
}

DXF_LAYER Layer(const char16_t* name, SHORT color, DWORD lineType) {
    DXF_LAYER r{};
    ms::CopyBounded(r.name, std::size(r.name), name);
    r.color = color;
    r.lineType = lineType;
    return r;
}

void ExpectUnusable(CDxfDrawing& dxf, const std::u16string& file) {
    EXPECT_EQ(dxf.Create(), 0);
    EXPECT_EQ(dxf.Destroy(), 0);
    DXF_LTYPE lt = LineType(u"Continuous", u"Solid line");
    EXPECT_EQ(dxf.AddLineType(&lt), 0u);
    EXPECT_EQ(dxf.AddLine(0, 0, 1, 1), 0u);
    EXPECT_EQ(dxf.AddCircle(0, 0, 1), 0u);
    DXF_VERTEX v[2]{};
    EXPECT_EQ(dxf.AddPolyline(v, 2, 0), 0u);
    EXPECT_EQ(dxf.SetLayer(u"0"), 0);
    EXPECT_EQ(dxf.SaveToFile(file.c_str(), 0), 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdU16String(file)));
}

TEST(DxfDrawing, WithoutTheLibraryEveryCallFails) {
    QTemporaryDir empty;
    ProgramDir dir(empty.path().toUtf8().constData());
    CDxfDrawing dxf;
    ExpectUnusable(dxf, U(empty.path() + "/out.dxf"));
}

TEST(DxfDrawing, ALibraryWithoutAllFourteenEntryPointsIsNotCalled) {
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(MS_PARTIAL_DXF, folder.path() + "/libDxfIO.so"));
    ProgramDir dir(folder.path().toUtf8().constData());
    {
        CDxfDrawing dxf;
        ExpectUnusable(dxf, U(folder.path() + "/out.dxf"));
    }
    // The library is unloaded again; load it ourselves to read its call count.
    void* lib = dlopen((folder.path() + "/libDxfIO.so").toUtf8().constData(), RTLD_NOW);
    ASSERT_NE(lib, nullptr);
    EXPECT_EQ(*static_cast<int*>(dlsym(lib, "partialDxfCalls")), 0);
    dlclose(lib);
}

TEST(DxfDrawing, CreateResetsTheHeaderAndOpensOneDrawingAtATime) {
    CDxfDrawing dxf;
    ASSERT_EQ(dxf.Create(), 1);
    EXPECT_EQ(dxf.Create(), 0);
    const DXF_ENTITYHEADER& h = dxf.EntityHeader();
    EXPECT_EQ(h.color, 256);
    EXPECT_EQ(h.thickness, 0.0);
    EXPECT_EQ(h.lineTypeScale, 1.0);
    EXPECT_EQ(h.layer, 0u);
    EXPECT_EQ(h.lineType, 0u);

    DXF_LTYPE lt = LineType(u"Continuous", u"Solid line");
    DWORD ltHandle = dxf.AddLineType(&lt);
    ASSERT_NE(ltHandle, 0u);
    EXPECT_EQ(dxf.AddLineType(&lt), 0u) << "a second line type of that name";
    DXF_LAYER layer = Layer(u"Layer1", 1, ltHandle);
    DWORD layerHandle = dxf.AddLayer(&layer);
    ASSERT_NE(layerHandle, 0u);

    EXPECT_EQ(dxf.SetLineType(u"continuous"), 1);
    EXPECT_EQ(dxf.EntityHeader().lineType, ltHandle);
    EXPECT_EQ(dxf.SetLayer(u"NoSuchLayer"), 0);
    EXPECT_EQ(dxf.EntityHeader().layer, 0u);
    EXPECT_EQ(dxf.EntityHeader().lineType, ltHandle) << "a failed SetLayer changes nothing";
    EXPECT_EQ(dxf.SetLayer(u"Layer1"), 1);
    EXPECT_EQ(dxf.EntityHeader().layer, layerHandle);
    EXPECT_EQ(dxf.EntityHeader().lineType, 0u) << "a new layer clears the line type";

    EXPECT_NE(dxf.Destroy(), 0);
    EXPECT_EQ(dxf.Create(), 1) << "a new drawing after Destroy";
    EXPECT_EQ(dxf.EntityHeader().layer, 0u);
}

TEST(DxfDrawing, TheSavedDrawingPassesEzdxfsAudit) {
    QTemporaryDir out;
    CDxfDrawing dxf;
    ASSERT_EQ(dxf.Create(), 1);
    DXF_LTYPE lt = LineType(u"Continuous", u"Solid line");
    DWORD ltHandle = dxf.AddLineType(&lt);
    DXF_LAYER layer = Layer(u"Layer1", 1, ltHandle);
    ASSERT_NE(dxf.AddLayer(&layer), 0u);

    EXPECT_NE(dxf.AddLine(0, 306.3829787232, 63.829787234, 0), 0u);
    EXPECT_NE(dxf.AddCircle(31.914893617, 306.3829787232, 32.23404255317), 0u);
    DXF_VERTEX open[4]{};
    const double xy[4][2] = {{1, 2}, {3, 4}, {3, 4}, {7.5, -8.25}};
    for (int i = 0; i < 4; ++i) {
        open[i].x = xy[i][0];
        open[i].y = xy[i][1];
    }
    EXPECT_NE(dxf.AddPolyline(open, 4, 0), 0u);
    EXPECT_NE(dxf.AddPolyline(open, 3, 1), 0u);
    // Nothing that cannot be drawn reaches the file.
    EXPECT_EQ(dxf.AddLine(0, NAN, 1, 1), 0u);
    EXPECT_EQ(dxf.AddCircle(0, 0, INFINITY), 0u);
    EXPECT_EQ(dxf.AddCircle(0, 0, -1), 0u);
    EXPECT_EQ(dxf.AddPolyline(open, 1, 0), 0u);
    EXPECT_EQ(dxf.AddPolyline(nullptr, 4, 0), 0u);

    QString path = out.path() + "/drawing.dxf";
    ASSERT_NE(dxf.SaveToFile(U(path).c_str(), 0), 0);
    EXPECT_EQ(dxf.SaveToFile(U(out.path() + "/missing/drawing.dxf").c_str(), 0), 0);
    EXPECT_NE(dxf.Destroy(), 0);

    QJsonObject d = ReadWithEzdxf(path);
    EXPECT_EQ(d["version"].toString(), "AC1009");
    EXPECT_TRUE(d["errors"].toArray().isEmpty()) << QJsonDocument(d).toJson().toStdString();
    EXPECT_TRUE(d["fixes"].toArray().isEmpty()) << QJsonDocument(d).toJson().toStdString();
    QStringList lineTypes;
    for (const auto& v : d["linetypes"].toArray())
        lineTypes << v.toString();
    EXPECT_TRUE(lineTypes.contains("Continuous"));
    EXPECT_FALSE(lineTypes.contains("CONTINUOUS")) << "one continuous line type, not two";
    bool sawLayer1 = false;
    for (const auto& v : d["layers"].toArray()) {
        QJsonObject l = v.toObject();
        if (l["name"] == "Layer1") {
            sawLayer1 = true;
            EXPECT_EQ(l["color"].toInt(), 1);
            EXPECT_EQ(l["linetype"].toString(), "Continuous");
        }
    }
    EXPECT_TRUE(sawLayer1);

    QJsonArray entities = d["entities"].toArray();
    ASSERT_EQ(entities.size(), 4);
    auto near = [](const QJsonValue& v, double x, double y) {
        QJsonArray p = v.toArray();
        return std::abs(p[0].toDouble() - x) < 1e-9 && std::abs(p[1].toDouble() - y) < 1e-9;
    };
    QJsonObject line = entities[0].toObject();
    EXPECT_EQ(line["type"], "LINE");
    EXPECT_EQ(line["layer"], "0") << "no layer made current: layer 0";
    EXPECT_EQ(line["color"].toInt(), 256);
    EXPECT_EQ(line["linetype"], "BYLAYER");
    EXPECT_TRUE(near(line["points"].toArray()[0], 0, 306.3829787232));
    EXPECT_TRUE(near(line["points"].toArray()[1], 63.829787234, 0));
    QJsonObject circle = entities[1].toObject();
    EXPECT_EQ(circle["type"], "CIRCLE");
    EXPECT_TRUE(near(circle["points"].toArray()[0], 31.914893617, 306.3829787232));
    EXPECT_NEAR(circle["radius"].toDouble(), 32.23404255317, 1e-9);
    for (int i : {2, 3}) {
        QJsonObject poly = entities[i].toObject();
        EXPECT_EQ(poly["type"], "POLYLINE");
        EXPECT_EQ(poly["closed"].toBool(), i == 3);
        QJsonArray pts = poly["points"].toArray();
        ASSERT_EQ(pts.size(), i == 2 ? 4 : 3);
        for (int k = 0; k < pts.size(); ++k)
            EXPECT_TRUE(near(pts[k], xy[k][0], xy[k][1])) << "vertex " << k;
    }
}

TEST(DxfDrawing, EntitiesOnACurrentLayerAndAnEmptyDrawingAreWrittenToo) {
    QTemporaryDir out;
    CDxfDrawing dxf;
    ASSERT_EQ(dxf.Create(), 1);
    DXF_LAYER layer = Layer(u"Maß", 3, 0);
    ASSERT_NE(dxf.AddLayer(&layer), 0u);
    ASSERT_EQ(dxf.SetLayer(u"Maß"), 1);
    EXPECT_NE(dxf.AddLine(1, 1, 2, 2), 0u);
    QString path = out.path() + "/layer.dxf";
    ASSERT_NE(dxf.SaveToFile(U(path).c_str(), 0), 0);
    ASSERT_NE(dxf.Destroy(), 0);

    QJsonObject d = ReadWithEzdxf(path);
    EXPECT_TRUE(d["errors"].toArray().isEmpty()) << QJsonDocument(d).toJson().toStdString();
    ASSERT_EQ(d["entities"].toArray().size(), 1);
    EXPECT_EQ(d["entities"].toArray()[0].toObject()["layer"].toString(), QString("Maß"));

    ASSERT_EQ(dxf.Create(), 1);
    QString empty = out.path() + "/empty.dxf";
    ASSERT_NE(dxf.SaveToFile(U(empty).c_str(), 0), 0);
    QJsonObject e = ReadWithEzdxf(empty);
    EXPECT_TRUE(e["errors"].toArray().isEmpty());
    EXPECT_TRUE(e["entities"].toArray().isEmpty());
}

} // namespace
