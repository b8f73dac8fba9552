// Where the WiFi microscope is: its address, the port of its stream and picture settings,
// and the port of its settings form. The camera answers at 192.168.1.1 with the stream on
// 8899 and the form on the HTTP port 80; the environment may point the program elsewhere
// (WAVENOR_CAMERA_ADDRESS, WAVENOR_STREAM_PORT, WAVENOR_HTTP_PORT), which the tests and the
// test camera do, so that nothing but the loopback is ever reached from a test.
#pragma once

#include <string>

struct CameraLink {
    std::string address = "192.168.1.1";
    int streamPort = 8899;
    int httpPort = 80;
};

// The defaults with the environment's values over them; a port outside 1..65535 or an empty
// address is ignored.
CameraLink ReadCameraLink();

// The stream: the camera's address and stream port with an empty path.
std::string StreamUrl(const CameraLink& link);
// A picture setting: control id and value (negative values with their minus sign).
std::string CommandUrl(const CameraLink& link, int controlId, int value);
// A resolution: 5 = 320 x 240, 3 = 640 x 480, 4 = 1280 x 1024.
std::string ResolutionUrl(const CameraLink& link, int videoIndex);
