// The keyboard, in the window and the web page: keys that do what a tap on
// the screen does, undo and redo, and export. Keys act between UI passes
// (RequestLoopEnd), never in the middle of a stroke or a drag.
#pragma once
#include <cstdint>
#include <cstdio>

// The key hook (input layer): what a key press asks for.
void OnKey(uint32_t key, uint32_t modifiers);

// The main loop's host command: carries out the key that ended the pass.
void RunKeyCommand();

// What Ctrl+E does; null ignores the key.
void SetExportKeyAction(void (*action)());

// The list of keys, one per line, for F1, --help and the guides.
void PrintKeyList(FILE* out);

// The same list as rows, for the user guide and the web page.
struct KeyHelp {
    const char* keys;
    const char* does;
};
const KeyHelp* KeyHelpRows(int* count);
