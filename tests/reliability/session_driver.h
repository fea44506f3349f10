// Whole-program sessions for the reliability tests. The program runs on the
// headless runner's backend with input and time from the driver: generated
// or recorded stylus steps on a clock that jumps to the next step, or a
// session script fed by the runner itself (its parser, its timing). Whenever
// the program waits for input the driver checks every program-wide object.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SessionStep {
    enum Kind : uint8_t { kDown, kMove, kUp, kTap, kWait };
    Kind kind;
    int16_t x, y;     // kDown, kMove, kTap
    int32_t wait_ms;  // kWait
};

// Steps generated from a seed, recorded steps, or a script, and the device
// folder (null: the driver's, with the bundled skin and settings, 25 files and
// 15 folders with folders inside, so that the browser has pages to turn).
struct SessionSource {
    uint64_t seed = 0;
    int64_t generate = 0;
    std::vector<SessionStep> steps;
    std::string script;
    const char* root = nullptr;
};

struct SessionOutcome {
    bool failed = false;
    std::string fault;                     // the broken invariant, the signal or the exit status
    int64_t steps_run = 0, restarts = 0;   // restarts: the program quit and started again
    std::vector<SessionStep> steps;        // the steps fed, the faulty one included
};

// Runs in a child process with every check; quiet drops its stderr.
SessionOutcome RunSession(const SessionSource& source, bool quiet = false);
SessionOutcome RunRandomSession(uint64_t seed, int64_t steps);
// Runs a script on this process (a broken check aborts) on the driver's
// device folder; the program is stopped at the end, its state left to look at.
void RunScriptInProcess(const std::string& script);
// Drops steps while the replay still fails, for at most `seconds`.
std::vector<SessionStep> ShrinkSession(std::vector<SessionStep> steps, double seconds);
std::string SessionScript(const std::vector<SessionStep>& steps, const std::string& comment);

// Null while every program-wide object keeps its invariants, else what broke.
const char* CheckProgramInvariants();
// A check of the test's own, run after the others with the number of waits
// since the program last started (0: start-up is over); null removes it.
void SetExtraCheck(const char* (*check)(int64_t waits_since_start));
