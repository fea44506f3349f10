// The page's entry point: the web backend, the packed device folder as the
// device's root, then the shell as on every host. The page loads the
// program once; it never quits by itself.
#include <emscripten.h>

#include "host/host.h"
#include "host/keys.h"
#include "platform/host_files.h"
#include "platform/web.h"
#include "shell/shell.h"
#include "surface/surface.h"

// The page's key list is the program's own, row by row, so that it cannot
// drift from what the keys do.
EM_JS(void, PageAddKey, (const char* keys, const char* does),
      { knHost.addKey(UTF8ToString(keys), UTF8ToString(does)); });

int main() {
    int key_count = 0;
    const KeyHelp* key_rows = KeyHelpRows(&key_count);
    for (int i = 0; i < key_count; ++i) PageAddKey(key_rows[i].keys, key_rows[i].does);

    platform = WebBackend();
    SetDeviceRoot(kWebDeviceRoot);
    InitScreenSurface(surface);
    InstallHostFeatures(nullptr);  // undo and the keys; the work is not kept yet
    return ShellMain(1);
}
