// The synthetic camera: the capture source for tests and for running the programs on a machine
// without a camera (environment variable MS_SYNTHETIC_CAMERA=1). It offers the same monikers,
// filters and interfaces as the V4L2 source. Devices, size families, controls, still pins,
// crossbars and failures are set by the test; frames come at a frame rate or one at a time
// (PushFrame). Each frame shows a recognisable pattern: its number in large digits and a
// square that moves with the frame number; the top-left pixel holds the frame number
// (blue = bits 0-7, green = bits 8-15, red = bits 16-23) so that a test can read it.
#pragma once

#include "platform/capture/Backend.h"

#include <memory>
#include <string>
#include <vector>

namespace ms::capture {

// 640x480, 1280x960, 1600x1200 and 320x240, 640x480, 1280x1024.
std::vector<SIZE> LargeSizeFamily();
std::vector<SIZE> SmallSizeFamily();

// A crossbar in front of the capture filter. crossbars[0] feeds the capture filter's analog
// video input with its first video output; crossbars[i + 1] feeds input feedsInput of
// crossbars[i] with its first video output.
struct SyntheticCrossbar {
    std::vector<long> inputTypes;  // PhysicalConnectorType of each input pin
    std::vector<long> outputTypes; // of each output pin
    long feedsInput = 0;           // which input of the previous crossbar this one feeds
};

struct SyntheticControl {
    long property = VideoProcAmp_Brightness;
    ProcAmpRange range;
    bool hasAuto = false;
};

struct SyntheticDevice {
    std::string id = "cam0"; // identity: display name "@device:synthetic:<id>"
    std::u16string friendlyName = u"Synthetic Microscope";
    bool friendlyNameReadable = true;
    WORD vendorId = 0x1D6C, productId = 0x0101, revision = 0x0100;
    std::vector<SIZE> sizes = LargeSizeFamily();
    DWORD fourcc = FourCC('Y', 'U', 'Y', '2'); // the pixel format offered at every size
    double framesPerSecond = 30;               // 0: frames only through PushFrame
    // The rate the sample times of pushed frames tell (they are 1/this apart from 0), so a
    // test can push a stream of any rate without waiting for it.
    double pushedFramesPerSecond = 30;
    bool hasStillPin = true;
    bool hasProcAmp = true;
    std::vector<SyntheticControl> controls = DefaultControls();
    std::vector<SyntheticCrossbar> crossbars; // empty: no analog input, no crossbar
    bool vfwDialogs = false;                  // the capture pin offers IAMVfwCaptureDialogs
    // Failure injection.
    bool failBind = false;
    bool failSetFormat = false;
    bool failRun = false;
    bool failConnect = false; // nothing connects to the capture pin: the format step fails

    // Brightness, contrast, hue, saturation, sharpness, gamma, white balance and gain.
    static std::vector<SyntheticControl> DefaultControls();
};

class SyntheticCamera {
public:
    static SyntheticCamera& Instance();

    // Replaces the device list without notices (set-up of a test). Devices of the old list
    // count as unplugged: their filters can no longer stream.
    void SetDevices(std::vector<SyntheticDevice> devices);
    // The list a program gets when nobody configured one: one large-family camera at 30 fps.
    void ResetToDefault();
    // Adds a device (at the end of the list) and posts the arrival notices.
    void Plug(SyntheticDevice device);
    // Removes a device: a stream of it ends with EC_DEVICE_LOST, the removal notices are
    // posted. False when no such device is listed.
    bool Unplug(const std::string& id);
    // Changes the failure injection of a listed device.
    bool SetFailures(const std::string& id, bool bind, bool setFormat, bool run);
    bool SetConnectFailure(const std::string& id, bool fail);

    // Delivers one frame of a streaming device; returns once the frame's callbacks have run.
    // False when the device is not streaming.
    bool PushFrame(const std::string& id);
    // The device's still button: the next frame also goes to the still pin.
    bool PressStillButton(const std::string& id);
    // Ends a stream with EC_ERRORABORT.
    bool InjectStreamError(const std::string& id);
    // Posts a resume-from-standby notice as the system would after a suspend.
    void SimulateResume();

    bool IsStreaming(const std::string& id) const;
    // The value a control holds on the device side (for tests of Set).
    bool ControlValue(const std::string& id, long property, long* value, long* flags) const;

    struct Impl;

private:
    friend Backend& SyntheticBackend();
    SyntheticCamera();
    std::unique_ptr<Impl> m_impl;
};

// The pattern of frame n: 24-bit BGR bottom-up rows padded to 4 bytes, into out (resized).
void DrawSyntheticFrame(std::vector<BYTE>& out, LONG width, LONG height, unsigned frame);
// The frame number held by the top-left pixel of a frame made by DrawSyntheticFrame.
unsigned SyntheticFrameNumber(const BYTE* bits, LONG width, LONG height);

Backend& SyntheticBackend();

} // namespace ms::capture
