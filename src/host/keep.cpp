#include "host/keep.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "drawing/drawing.h"
#include "drawing/library.h"
#include "host/workspace.h"
#include "platform/safe_files.h"
#include "screens/drawing_editor.h"
#include "screens/screen_state.h"

struct KeepState {
    bool keeping;
    char path[PATH_MAX];
    bool failing;          // the last save failed (its message is out)
    int32_t last_screen;   // the mode before a quit, kept as the screen to open on
    void (*changed)();     // the host copies the kept files out, or null
    uint8_t image[kWorkspaceCapacity];
};

static KeepState keep;

static void FilesChanged() {
    if (keep.changed != nullptr) keep.changed();
}

void SetKeptFilesChanged(void (*changed)()) { keep.changed = changed; }

const char* KeptWorkspacePath() { return keep.keeping ? keep.path : nullptr; }

bool DefaultWorkspacePath(char* out, unsigned long capacity) {
    char folder[PATH_MAX];
    if (!UserDataFolder(folder, sizeof folder)) return false;
    const int n = std::snprintf(out, capacity, "%s/kalvenorix/workspace.knw", folder);
    return n > 0 && static_cast<unsigned long>(n) < capacity;
}

// ---------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------
static void Refuse(const char* why) {
    char aside[PATH_MAX + 32];
    if (MoveAside(keep.path, "refused", aside, sizeof aside)) {
        std::fprintf(stderr, "kalvenorix: %s was refused (%s); starting fresh, the file is kept as %s\n",
                     keep.path, why, aside);
        FilesChanged();
    } else {
        // A file that can be neither read as work nor moved is never written over.
        std::fprintf(stderr, "kalvenorix: %s was refused (%s) and cannot be moved aside (%s); "
                     "this run keeps nothing\n", keep.path, why, std::strerror(errno));
        keep.keeping = false;
    }
}

void LoadKeptWork() {
    if (!keep.keeping) return;
    keep.last_screen = controls.mode;
    RemoveStaleTemporaries(keep.path);
    size_t size = 0;
    switch (ReadWholeFile(keep.path, keep.image, sizeof keep.image, &size)) {
    case ReadResult::kMissing:
        return;  // a fresh start; the first save creates the file
    case ReadResult::kTooLarge:
        Refuse("it is larger than any workspace");
        return;
    case ReadResult::kUnreadable:
        Refuse(std::strerror(errno));
        return;
    case ReadResult::kRead:
        break;
    }
    const char* why = nullptr;
    if (!ReadWorkspace(keep.image, size, &why)) Refuse(why);
    keep.last_screen = controls.mode;
}

// ---------------------------------------------------------------------------
// Saving
// ---------------------------------------------------------------------------
bool SaveWorkspaceNow() {
    if (!keep.keeping) return true;
    if (controls.mode >= kModeDrawing && controls.mode <= kModeBlank) keep.last_screen = controls.mode;
    // The slot keeps the drawing as the mode selector would store it; a full
    // library refuses, and the drawing is kept in its own section anyway.
    StoreDrawing(library, static_cast<int16_t>(editor.drawing_slot), drawing);
    const size_t size = WriteWorkspace(keep.image, sizeof keep.image, keep.last_screen);
    bool ok = size > 0 && MakeParentFolders(keep.path) &&
              WriteFileAtomically(keep.path, keep.image, size);
    if (!ok && !keep.failing) {
        std::fprintf(stderr, "kalvenorix: cannot save the work to %s (%s); it stays in memory "
                     "and the next save tries again\n", keep.path,
                     size == 0 ? "the workspace does not fit" : std::strerror(errno));
    } else if (ok && keep.failing) {
        std::fprintf(stderr, "kalvenorix: the work is saved to %s again\n", keep.path);
    }
    keep.failing = !ok;
    if (ok) FilesChanged();
    return ok;
}

void KeepWorkIn(const char* host_path) {
    keep.keeping = host_path != nullptr && host_path[0] != '\0';
    keep.failing = false;
    if (keep.keeping) std::snprintf(keep.path, sizeof keep.path, "%s", host_path);
}
