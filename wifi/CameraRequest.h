// One request to the camera: an HTTP GET with basic authentication, its answer's body thrown
// away. Only the transfer decides: an answer with any HTTP status (a refused authentication
// too) is a completed request, no connection or no answer within the time-outs is a failure.
// The request blocks the calling thread at most kCameraRequestTimeoutSeconds, so that a camera
// that takes the connection and never answers cannot hold the program for long.
#pragma once

#include <string>

// The camera's user name and password, "user:password".
inline constexpr const char* CAMERA_USERPWD = "opera:tulip";
inline constexpr long kCameraRequestTimeoutSeconds = 3;

// True when the transfer completed.
bool SendCameraGet(const std::string& url);
// Ends libcurl's global state; the next request starts it again.
void EndCameraRequests();
