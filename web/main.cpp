// The page's entry point: the web backend, the packed device folder as the
// device's root, then the shell as on every host. The page loads the
// program once; it never quits by itself.
#include "host/host.h"
#include "platform/host_files.h"
#include "platform/web.h"
#include "shell/shell.h"
#include "surface/surface.h"

int main() {
    platform = WebBackend();
    SetDeviceRoot(kWebDeviceRoot);
    InitScreenSurface(surface);
    InstallHostFeatures(nullptr);  // undo and the keys; the work is not kept yet
    return ShellMain(1);
}
