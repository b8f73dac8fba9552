#include "wifi/CameraLink.h"

#include <cstdlib>

namespace {

void ReadPort(const char* name, int& port) {
    const char* text = std::getenv(name);
    if (!text || !*text)
        return;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (*end == 0 && v >= 1 && v <= 65535)
        port = static_cast<int>(v);
}

std::string HostPort(const CameraLink& link, int port) {
    return "http://" + link.address + ":" + std::to_string(port);
}

} // namespace

CameraLink ReadCameraLink() {
    CameraLink link;
    if (const char* address = std::getenv("WAVENOR_CAMERA_ADDRESS"); address && *address)
        link.address = address;
    ReadPort("WAVENOR_STREAM_PORT", link.streamPort);
    ReadPort("WAVENOR_HTTP_PORT", link.httpPort);
    return link;
}

std::string StreamUrl(const CameraLink& link) {
    return HostPort(link, link.streamPort);
}

std::string CommandUrl(const CameraLink& link, int controlId, int value) {
    return HostPort(link, link.streamPort) +
           "/?action=command&dest=0&plugin=0&id=" + std::to_string(controlId) +
           "&group=01&value=" + std::to_string(value);
}

std::string ResolutionUrl(const CameraLink& link, int videoIndex) {
    return HostPort(link, link.httpPort) +
           "/apply.cgi?submit_button=media&change_action=&action=Apply&refresh_ddns=1"
           "&video_port=8899&video_idx=" +
           std::to_string(videoIndex) + "&video_frame=10&only_stream=0&auth_need=0";
}
