#include "CameraProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <linux/videodev2.h>
#include <sstream>

namespace fs = std::filesystem;

namespace capture_test {
namespace {

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos)
        return {};
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

bool StartsWith(const std::string& s, const std::string& p) {
    return s.compare(0, p.size(), p) == 0;
}

// "key=value" out of a line of space-separated fields ("" when absent).
std::string Field(const std::string& line, const std::string& key) {
    std::string k = " " + key + "=";
    size_t at = (" " + line).find(k);
    if (at == std::string::npos)
        return {};
    size_t start = at + k.size() - 1;
    size_t end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// "X (remark)" -> "X"
std::string Plain(const std::string& v) {
    std::string t = Trim(v);
    size_t p = t.find(" (");
    if (p != std::string::npos)
        t = t.substr(0, p);
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"')
        t = t.substr(1, t.size() - 2);
    return t;
}

std::uint32_t Hex(const std::string& s) {
    return static_cast<std::uint32_t>(std::strtoul(s.c_str(), nullptr, 16));
}

std::uint32_t FourCCOf(const std::string& s) {
    if (s.size() < 4)
        return 0;
    return v4l2_fourcc(s[0], s[1], s[2], s[3]);
}

// Control ids of the names older dumps print without ids (both spellings of each).
std::uint32_t IdOfName(const std::string& n) {
    static const std::map<std::string, std::uint32_t> ids = {
        {"brightness", V4L2_CID_BRIGHTNESS},
        {"contrast", V4L2_CID_CONTRAST},
        {"saturation", V4L2_CID_SATURATION},
        {"hue", V4L2_CID_HUE},
        {"white_balance_temperature_auto", V4L2_CID_AUTO_WHITE_BALANCE},
        {"white_balance_automatic", V4L2_CID_AUTO_WHITE_BALANCE},
        {"gamma", V4L2_CID_GAMMA},
        {"gain", V4L2_CID_GAIN},
        {"power_line_frequency", V4L2_CID_POWER_LINE_FREQUENCY},
        {"white_balance_temperature", V4L2_CID_WHITE_BALANCE_TEMPERATURE},
        {"sharpness", V4L2_CID_SHARPNESS},
        {"backlight_compensation", V4L2_CID_BACKLIGHT_COMPENSATION},
        {"exposure_auto", V4L2_CID_EXPOSURE_AUTO},
        {"auto_exposure", V4L2_CID_EXPOSURE_AUTO},
        {"exposure_absolute", V4L2_CID_EXPOSURE_ABSOLUTE},
        {"exposure_time_absolute", V4L2_CID_EXPOSURE_ABSOLUTE},
        {"exposure_auto_priority", V4L2_CID_EXPOSURE_AUTO_PRIORITY},
        {"exposure_dynamic_framerate", V4L2_CID_EXPOSURE_AUTO_PRIORITY},
        {"iris_relative", V4L2_CID_IRIS_RELATIVE},
    };
    auto it = ids.find(n);
    return it == ids.end() ? 0 : it->second;
}

std::int32_t Int(const std::string& s, std::int32_t fallback) {
    if (s.empty() || s == "not-shown")
        return fallback;
    return static_cast<std::int32_t>(std::strtol(s.c_str(), nullptr, 10));
}

class Reader {
public:
    explicit Reader(std::string stem) : m_stem(std::move(stem)) {}

    void Line(const std::string& raw) {
        std::string t = Trim(raw);
        if (StartsWith(t, "== ") && t.size() > 6 && t.compare(t.size() - 3, 3, " ==") == 0) {
            m_section = t.substr(3, t.size() - 6);
            if (StartsWith(m_section, "part ")) {
                Finish();
                m_parts = true;
                m_cam = CameraProfile{};
                m_cam.name = m_stem + "#" + m_section.substr(5, 1);
                m_open = true;
            } else if (m_parts && m_section != "missing") {
                Finish(); // a topic section after the parts
            }
            return;
        }
        if (!m_open)
            return;
        bool any = m_parts;
        if ((any || m_section == "formats") && Formats(t))
            return;
        if ((any || m_section == "controls") && Controls(t))
            return;
        if (any || m_section == "device")
            Device(t);
        if (m_section == "current-format") {
            if (StartsWith(t, "width: "))
                m_cam.currentWidth = static_cast<std::uint32_t>(Int(t.substr(7), 0));
            else if (StartsWith(t, "height: "))
                m_cam.currentHeight = static_cast<std::uint32_t>(Int(t.substr(8), 0));
            else if (StartsWith(t, "sizeimage: "))
                m_cam.currentSizeImage = static_cast<std::uint32_t>(Int(t.substr(11), 0));
        }
    }

    void Begin() {
        m_cam = CameraProfile{};
        m_cam.name = m_stem;
        m_open = true;
    }
    // Ends the camera being read; keeps it when it shows formats or controls.
    void Finish() {
        if (m_open && (!m_cam.nodes.empty() || !m_cam.controls.empty()))
            m_out.push_back(m_cam);
        m_open = false;
    }
    std::vector<CameraProfile> Take() { return std::move(m_out); }

private:
    bool Formats(const std::string& t) {
        if (StartsWith(t, "node /dev/video")) {
            m_cam.nodes.push_back(ProfileNode{std::atoi(t.c_str() + 15), {}});
            return true;
        }
        if (StartsWith(t, "format ") && t.find("fourcc=") != std::string::npos) {
            if (m_cam.nodes.empty())
                m_cam.nodes.push_back(ProfileNode{0, {}});
            ProfileFormat f;
            f.pixelFormat = FourCCOf(Field(t, "fourcc"));
            size_t q = t.find("description=\"");
            if (q != std::string::npos) {
                size_t e = t.find('"', q + 13);
                f.description = t.substr(q + 13, e - q - 13);
            }
            f.compressed = Field(t, "compressed") == "yes";
            m_cam.nodes.back().formats.push_back(f);
            m_cam.formatsShown = true;
            return true;
        }
        if (m_cam.nodes.empty() || m_cam.nodes.back().formats.empty())
            return false;
        auto& fmt = m_cam.nodes.back().formats.back();
        if (StartsWith(t, "size stepwise ")) {
            ProfileSize s;
            s.stepwise = true;
            std::sscanf(t.c_str(), "size stepwise %ux%u-%ux%u step=%u/%u", &s.minW, &s.minH,
                        &s.maxW, &s.maxH, &s.stepW, &s.stepH);
            fmt.sizes.push_back(s);
            return true;
        }
        if (StartsWith(t, "size ") && t.find(" discrete") != std::string::npos) {
            ProfileSize s;
            std::sscanf(t.c_str(), "size %ux%u", &s.width, &s.height);
            fmt.sizes.push_back(s);
            return true;
        }
        if (StartsWith(t, "size"))
            return true; // "size: cut off in the stored copy"
        if (StartsWith(t, "interval ") && !fmt.sizes.empty()) {
            ProfileInterval iv;
            std::string fps = Field(t, "fps");
            if (StartsWith(t, "interval stepwise")) {
                iv.stepwise = true;
                std::sscanf(fps.c_str(), "%lf-%lf", &iv.fpsLow, &iv.fpsHigh);
            } else {
                iv.fps = std::atof(fps.c_str());
            }
            fmt.sizes.back().intervals.push_back(iv);
            return true;
        }
        return false;
    }

    bool Controls(const std::string& t) {
        if (StartsWith(t, "ctrl ")) {
            ProfileControl c;
            std::istringstream in(t.substr(5));
            in >> c.name;
            c.type = Field(t, "type");
            if (c.type == "rect")
                return true; // compound: not reachable through VIDIOC_QUERYCTRL
            std::string id = Field(t, "id");
            c.id = id.empty() ? IdOfName(c.name) : Hex(id);
            bool isBool = c.type == "bool";
            c.min = Int(Field(t, "min"), 0);
            c.max = Int(Field(t, "max"), isBool ? 1 : 0);
            c.step = Int(Field(t, "step"), c.type == "menu" ? 0 : 1);
            c.def = Int(Field(t, "default"), c.min);
            c.value = Int(Field(t, "value"), c.def);
            std::string flags = Field(t, "flags");
            if (flags == "0x00001000")
                flags = "has-min-max";
            std::stringstream fl(flags);
            for (std::string f; std::getline(fl, f, ',');)
                if (f != "-" && f != "not-shown")
                    c.flags.push_back(f);
            if (c.id)
                m_cam.controls.push_back(c);
            return true;
        }
        if (StartsWith(t, "menu ") && !m_cam.controls.empty() && t.find(':') != std::string::npos &&
            t.compare(0, 11, "menu-items:") != 0) {
            size_t colon = t.find(':');
            m_cam.controls.back().menu[Int(t.substr(5, colon - 5), 0)] = Trim(t.substr(colon + 1));
            return true;
        }
        return false;
    }

    void Device(const std::string& t) {
        auto value = [&](const std::string& key) { return Plain(t.substr(key.size())); };
        if (StartsWith(t, "card: ")) {
            std::string v = value("card: ");
            if (v != "not-shown")
                m_cam.card = v;
        } else if (StartsWith(t, "bus: ")) {
            std::string v = value("bus: ");
            if (v != "not-shown")
                m_cam.bus = v;
        } else if (StartsWith(t, "capabilities: 0x")) {
            m_cam.capabilities = Hex(t.substr(14));
        } else if (StartsWith(t, "device-caps: 0x")) {
            m_cam.deviceCaps = Hex(t.substr(13));
        } else if (StartsWith(t, "kernel: ") && t.find(';') != std::string::npos) {
            // "kernel: 4.8.17; driver uvcvideo; card <withheld>; capabilities 0x...; device caps
            // 0x..."
            std::stringstream in(t);
            for (std::string part; std::getline(in, part, ';');) {
                part = Trim(part);
                if (StartsWith(part, "card "))
                    m_cam.card = Plain(part.substr(5));
                else if (StartsWith(part, "capabilities 0x"))
                    m_cam.capabilities = Hex(part.substr(13));
                else if (StartsWith(part, "device caps 0x"))
                    m_cam.deviceCaps = Hex(part.substr(12));
            }
        } else if (StartsWith(t, "current-format: ")) {
            unsigned w = 0, h = 0;
            if (std::sscanf(t.c_str(), "current-format: %ux%u", &w, &h) == 2) {
                m_cam.currentWidth = w;
                m_cam.currentHeight = h;
            }
            size_t at = t.find("sizeimage ");
            if (at != std::string::npos)
                m_cam.currentSizeImage = static_cast<std::uint32_t>(Int(t.substr(at + 10), 0));
        }
    }

    std::string m_stem, m_section;
    CameraProfile m_cam;
    bool m_open = false, m_parts = false;
    std::vector<CameraProfile> m_out;
};

} // namespace

bool ProfileControl::Has(const std::string& flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::vector<CameraProfile> LoadProfiles(const std::string& folder) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".txt")
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::vector<CameraProfile> all;
    for (const auto& f : files) {
        Reader r(f.stem().string());
        r.Begin();
        std::ifstream in(f);
        for (std::string line; std::getline(in, line);)
            r.Line(line);
        r.Finish();
        for (auto& c : r.Take())
            all.push_back(std::move(c));
    }
    return all;
}

CameraProfile LoadProfile(const std::string& folder, const std::string& name) {
    for (auto& p : LoadProfiles(folder))
        if (p.name == name)
            return p;
    ADD_FAILURE() << "no camera profile " << name;
    return {};
}

std::string ProfileFolder() {
    return MS_CAMERA_PROFILES;
}

} // namespace capture_test
