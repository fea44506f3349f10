// The page's entry point: the web backend, the packed device folder as the
// device's root, the work kept in the browser, then the shell as on every
// host. The page loads the program once; it never quits by itself.
#include <emscripten.h>

#include <cstdio>
#include <cstring>

#include "host/export.h"
#include "host/host.h"
#include "host/keep.h"
#include "host/keys.h"
#include "platform/host_files.h"
#include "platform/web.h"
#include "screens/drawing_editor.h"
#include "shell/shell.h"
#include "surface/surface.h"

// The page's key list is the program's own, row by row, so that it cannot
// drift from what the keys do.
EM_JS(void, PageAddKey, (const char* keys, const char* does),
      { knHost.addKey(UTF8ToString(keys), UTF8ToString(does)); });

// The folder whose files the browser keeps (IndexedDB), mounted and filled
// from the browser's copy before the program starts; 0 when this page keeps
// nothing (opened with ?no-keep, or the browser stores nothing).
EM_ASYNC_JS(int, PageLoadKeptFolder, (const char* folder),
            { return await knHost.loadKept(UTF8ToString(folder)); });

// Copies the folder's files to the browser's store; the copy finishes
// after this returns.
EM_JS(void, PageStoreKeptFolder, (), { knHost.storeKept(); });

constexpr const char* kKeptFolder = "/kept";
constexpr const char* kWorkspaceFile = "/kept/workspace.knw";

// The page calls this when it is hidden or left: the work is saved as at a
// mode change, and the save copies it to the browser's store. A save before
// the program started, or after it ended, keeps nothing (KeepWorkIn is not
// yet, or no longer, set).
extern "C" EMSCRIPTEN_KEEPALIVE void WebSaveNow() { SaveWorkspaceNow(); }

// Ctrl+E, and the page's link that types it: the edited drawing as SVG,
// written as the window's export writes it, then handed to the browser as a
// download. The animation formats have no encoder in the page.
EM_JS(void, PageDownloadFile, (const char* path, const char* type),
      { knHost.downloadFile(UTF8ToString(path), UTF8ToString(type)); });

constexpr const char* kExportKeyDoes = "download the drawing as SVG";

static void DownloadDrawingSvg() {
    char path[64];
    std::snprintf(path, sizeof path, "/downloads/drawing-%02d.svg", static_cast<int>(editor.drawing_slot));
    ExportTarget target = {path, false, {}, {}};
    if (ExportDrawingSvg(editor.drawing_slot, &target))
        PageDownloadFile(target.written, "image/svg+xml");
    else
        std::fprintf(stderr, "kalvenorix: %s\n", target.message);
}

int main() {
    int key_count = 0;
    const KeyHelp* key_rows = KeyHelpRows(&key_count);
    for (int i = 0; i < key_count; ++i) {
        const bool export_key = std::strcmp(key_rows[i].keys, "Ctrl+E") == 0;
        PageAddKey(key_rows[i].keys, export_key ? kExportKeyDoes : key_rows[i].does);
    }

    platform = WebBackend();
    SetDeviceRoot(kWebDeviceRoot);
    InitScreenSurface(surface);
    const bool keeping = PageLoadKeptFolder(kKeptFolder) != 0;
    SetKeptFilesChanged(PageStoreKeptFolder);
    InstallHostFeatures(keeping ? kWorkspaceFile : nullptr);
    SetExportKeyAction(DownloadDrawingSvg);
    const int status = ShellMain(1);
    KeepWorkIn(nullptr);  // the program's objects are freed: a later hide saves nothing
    return status;
}
