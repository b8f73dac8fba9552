// Profiles of real UVC cameras (tests/platform/capture/cameras, format in its README): what
// each camera reported to Linux, read into the shape the simulated kernel side answers from.
// A file describes one camera, or several in "== part X: ... ==" sections; a part that shows
// neither formats nor controls is not a camera here.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace capture_test {

struct ProfileInterval {
    bool stepwise = false;
    // Frames per second as printed (the fraction itself is not in the dumps): discrete uses
    // fps; stepwise goes from fpsHigh (shortest interval) to fpsLow, step 0 when printed so.
    double fps = 0, fpsLow = 0, fpsHigh = 0;
};

struct ProfileSize {
    bool stepwise = false;
    std::uint32_t width = 0, height = 0;                                        // discrete
    std::uint32_t minW = 0, minH = 0, maxW = 0, maxH = 0, stepW = 0, stepH = 0; // stepwise
    std::vector<ProfileInterval> intervals;
};

struct ProfileFormat {
    std::uint32_t pixelFormat = 0;
    std::string description;
    bool compressed = false;
    std::vector<ProfileSize> sizes; // in the printed order, repeats kept
};

struct ProfileNode {
    int number = 0; // N of /dev/videoN
    std::vector<ProfileFormat> formats;
};

struct ProfileControl {
    std::string name;
    std::uint32_t id = 0;
    std::string type; // int, bool, menu, intmenu, button
    std::int32_t min = 0, max = 0, step = 0, def = 0, value = 0;
    std::vector<std::string> flags;           // inactive, disabled, read-only, write-only, ...
    std::map<std::int32_t, std::string> menu; // items the dump lists
    bool Has(const std::string& flag) const;
};

struct CameraProfile {
    std::string name; // file name without ".txt", plus "#X" for part X
    std::string card, bus;
    std::uint32_t capabilities = 0x84200001; // when not shown: capture, streaming, device caps
    std::uint32_t deviceCaps = 0x04200001;
    std::vector<ProfileNode> nodes; // capture nodes with their formats
    std::vector<ProfileControl> controls;
    // The current format when the dump shows it (MJPEG's driver-chosen buffer size).
    std::uint32_t currentWidth = 0, currentHeight = 0, currentSizeImage = 0;
    bool formatsShown = false;
};

// Every camera of every profile file in the folder, files in name order.
std::vector<CameraProfile> LoadProfiles(const std::string& folder);
// The camera of that name; fails the test (empty profile) when it is not there.
CameraProfile LoadProfile(const std::string& folder, const std::string& name);
// The folder of the profiles in the source tree.
std::string ProfileFolder();

} // namespace capture_test
