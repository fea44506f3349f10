// Undo and redo over the last 64 changes. A change is a command that altered
// the edited drawing, the library, the stage or its keys; each step brings
// back the whole model as it was, through the workspace image (one
// serialisation for keeping the work and for undo). The screen, the tool,
// the colour and the pose screen's controls stay as they are.
#pragma once

constexpr int kUndoSteps = 64;

// Allocates the snapshots once, at start (nothing per step). False when the
// memory cannot be had; undo then does nothing.
bool InitUndo();
void FreeUndo();

// Forgets every step: the state now is the oldest one can go back to.
void ResetUndoHistory();
// After a command: a new step when the model differs from the newest kept
// state (and the steps that were undone are dropped).
void RecordChange();
// One step back or forward; false when there is none.
bool Undo();
bool Redo();
// True while no step has been forgotten since the history began, so that
// undoing every step returns to the state it began with.
bool UndoReachesStart();
