// Keeping the work between runs: the workspace file is loaded before the
// first screen shows, and saved after every use of the mode selector and
// when the program ends (quit, window closed, script over). A file that
// fails a check is moved aside, never overwritten; a folder that cannot be
// written gets one message and the next save tries again.
#pragma once

// Keeps the work in the file at host_path from now on; null keeps nothing.
void KeepWorkIn(const char* host_path);

// Called after each save that wrote the file and after a refused file was
// moved aside: a host whose files live in memory until it copies them out
// (the web page's IndexedDB) copies them then. Null calls nothing.
void SetKeptFilesChanged(void (*changed)());

// At start, before the first screen: the kept work put in place, or a fresh
// start when there is none or it is refused (and moved aside).
void LoadKeptWork();

// The file the work is kept in, or null.
const char* KeptWorkspacePath();

// The default file: workspace.knw in the user's data folder, under
// kalvenorix/. False when no data folder is known.
bool DefaultWorkspacePath(char* out, unsigned long capacity);

// Saves now (the edited drawing is stored into its slot first, as the mode
// selector does); false when the file could not be written, true when the
// work is saved or nothing is kept.
bool SaveWorkspaceNow();
