#include "host/host.h"

#include "host/export.h"
#include "host/keep.h"
#include "host/keys.h"
#include "host/undo.h"
#include "input/input.h"
#include "shell/main_loop.h"

// The kept work is loaded before the first screen; undo starts from there.
static void Started() {
    LoadKeptWork();
    InitUndo();
    ResetUndoHistory();
}

static void ModeChosen() {
    RecordChange();
    SaveWorkspaceNow();
}

// The command line's exports see the work as it was saved.
static void Ending() {
    SaveWorkspaceNow();
    RunRequestedExports();
    FreeUndo();
}

static const MainLoopHooks kHostHooks = {Started, ModeChosen, Ending, RecordChange, RunKeyCommand};

void InstallHostFeatures(const char* workspace) {
    KeepWorkIn(workspace);
    SetMainLoopHooks(&kHostHooks);
    SetKeyHook(OnKey);
}
