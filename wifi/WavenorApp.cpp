// The program Wavenor: its one application object, run by the framework's main.
#include "wifi/WifiMicroscopeApp.h"

CWifiMicroscopeApp theWifiApp;
