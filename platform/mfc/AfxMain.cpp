// The program's entry point for applications built on the framework: the application
// object (a static CWinApp) does the rest.
#include "platform/mfc/AfxWin.h"

int main(int argc, char** argv) {
    return AfxWinMain(argc, argv);
}
