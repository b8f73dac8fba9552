// The video-capture stand-in in one include: what the capture and playback code expects of the
// capture framework, over V4L2 or the synthetic camera (MS_SYNTHETIC_CAMERA=1).
//   DeviceEnum.h      ICreateDevEnum, IMoniker (display name, "FriendlyName", IsEqual,
//                     BindToFilter, hardware ids), PresentImagingDeviceHardwareIds
//   Graph.h           IGraphBuilder (filters, Connect, Render, Run/Stop/GetState, events,
//                     video window), ICaptureGraphBuilder2 (FindPin, FindStreamConfig,
//                     FindCrossbar, FindVfwCaptureDialogs, FindVideoProcAmp), IAMStreamConfig,
//                     IAMVideoProcAmp, IAMCrossbar, ISampleGrabber, ISampleGrabberCB, IPin,
//                     IBaseFilter, IVideoWindow
//   MediaEvent.h      IMediaEventEx (SetNotifyWindow, GetEvent, FreeEventParams)
//   Poster.h          SetPostMessage: how messages reach windows
//   DeviceNotifier.h  WM_DEVICECHANGE / WM_POWERBROADCAST notices for a window
//   SyntheticCamera.h the test camera
//   CaptureTypes.h    GUIDs, AM_MEDIA_TYPE, VIDEO_STREAM_CONFIG_CAPS, property and event codes
#pragma once

#include "platform/capture/CaptureTypes.h"
#include "platform/capture/DeviceEnum.h"
#include "platform/capture/DeviceNotifier.h"
#include "platform/capture/Graph.h"
#include "platform/capture/MediaEvent.h"
#include "platform/capture/Poster.h"
#include "platform/capture/SyntheticCamera.h"
