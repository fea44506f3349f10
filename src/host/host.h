// The host's features beside the described program, put in place before the
// shell starts it: keeping the work between runs, undo and redo, the keys,
// and export.
#pragma once

// Installs the main loop's hooks and the key hook. workspace: the file the
// work is kept in, or null to keep nothing.
void InstallHostFeatures(const char* workspace);
