// The program Tessary: its one application object, run by the framework's main.
#include "shell/MicroscopeApp.h"

CMicroscopeApp theApp;
