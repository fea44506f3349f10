// Randomized stylus sessions against the whole program. A backend of our own
// feeds generated (or recorded) steps to the message pump and checks the
// program-wide objects between steps. Every session runs in a child process,
// so that a crash is caught like a broken invariant: the parent reports the
// seed and shrinks the steps to a short session script that reproduces it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One input step, as the session-script language writes it.
struct SessionStep {
    enum Kind : uint8_t { kDown, kMove, kUp, kTap, kWait };
    Kind kind;
    int16_t x, y;     // kDown, kMove, kTap
    int32_t wait_ms;  // kWait
};

// The largest counts a session reached, and the screens it saw: a soak that
// never fills anything proves little.
struct SessionReach {
    int32_t shapes, vertices, slots, actors, keys, picks, stroke_points, path_bytes;
    int32_t mode_passes[5];
};

struct SessionOutcome {
    bool failed = false;
    std::string fault;               // the broken invariant, the signal or the exit status
    int64_t steps_run = 0;           // steps fed before the fault or the end
    int64_t restarts = 0;            // times the program quit and was started again
    SessionReach reach;              // how far the session drove the model
    std::vector<SessionStep> steps;  // the steps fed, the last one included
};

// Generates step_count steps from seed, reading the current screen before each
// gesture, and runs them. The program is started again whenever it quits.
// Sessions run on a device folder of the bundled skin and settings, 25 files
// and 15 folders with nested folders (so the file browser has pages to turn).
SessionOutcome RunRandomSession(uint64_t seed, int64_t step_count);
// Runs recorded steps in a fresh child. quiet: the child's stderr is dropped.
SessionOutcome ReplaySession(const std::vector<SessionStep>& steps, bool quiet);
// Drops steps while the replay still fails, for at most `seconds`.
std::vector<SessionStep> ShrinkSession(std::vector<SessionStep> steps, double seconds);

// The steps as a session script for the headless runner, with comment lines.
std::string SessionScript(const std::vector<SessionStep>& steps, const std::string& comment);
// Reads a session script (shots are skipped); false with a message on a bad line.
bool ParseSessionScript(const std::string& text, std::vector<SessionStep>* steps,
                        std::string* error);

// Null while every program-wide object keeps its invariants, else what broke.
// Callable whenever the program runs between two inputs.
const char* CheckProgramInvariants();
// One more check of the same kind, run after the others in later sessions
// (null removes it); lets a test plant a fault to see it found and shrunk.
void SetExtraCheck(const char* (*check)());

// For in-process use (the allocation test): runs steps on the calling
// process with the driver's backend, starting the program afresh (and again
// after it quits), and stops it when the steps are used up. No checks and no
// allocation by the driver: before_step runs before each step is fed, with
// the step's index within the run (0 once start-up is over), and on_end once
// a run is over (the program quit, or the last step has been handled, before
// the program is stopped); both may be null.
void RunStepsInProcess(const SessionStep* steps, int64_t count, void (*before_step)(int64_t index),
                       void (*on_end)());
// Puts every program-wide object back to its state at process start (the
// drawing's blocks are assumed freed).
void ResetProgramObjects();
