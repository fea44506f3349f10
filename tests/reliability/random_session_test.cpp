// Randomized stylus sessions: no sequence of input may crash the program,
// break an invariant of its model or write outside a buffer. The size comes
// from the environment so that `make soak` can run a long one:
//   SOAK_STEPS (default 200000) in seeds of SOAK_SEED_STEPS (25000) from
//   SOAK_SEED (1); a failure's shrunk script goes to SOAK_OUT (the current
//   folder), shrinking for at most SOAK_SHRINK_SECONDS (120).
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "animation/stage.h"
#include "reliability/session_driver.h"

static int64_t Env(const char* name, int64_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? std::strtoll(value, nullptr, 10) : fallback;
}

TEST(RandomSessions, NoInputBreaksTheProgram) {
    const int64_t total = Env("SOAK_STEPS", 200000), per_seed = std::max<int64_t>(1, Env("SOAK_SEED_STEPS", 25000));
    const auto start = std::chrono::steady_clock::now();
    auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    int64_t done = 0, restarts = 0;
    uint64_t seed = static_cast<uint64_t>(Env("SOAK_SEED", 1));
    for (; done < total; ++seed) {
        const SessionOutcome outcome = RunRandomSession(seed, std::min(per_seed, total - done));
        done += outcome.steps_run;
        restarts += outcome.restarts;
        if (outcome.failed) {
            const std::string script = SessionScript(
                ShrinkSession(outcome.steps, static_cast<double>(Env("SOAK_SHRINK_SECONDS", 120))),
                "Seed " + std::to_string(seed) + ", step " + std::to_string(outcome.steps_run) + ": " + outcome.fault +
                    "\nOn the reliability tests' device folder: the bundled skin and settings, 25 files, 15 folders.");
            const char* folder = std::getenv("SOAK_OUT");
            const std::string path = std::string(folder != nullptr ? folder : ".") + "/reliability_seed_" +
                                     std::to_string(seed) + ".script";
            std::ofstream(path) << script;
            FAIL() << "seed " << seed << ": " << outcome.fault << "\nreproducing script (" << path << "):\n" << script;
        }
        std::printf("seed %llu done: %lld of %lld steps, %.0f s\n", static_cast<unsigned long long>(seed),
                    static_cast<long long>(done), static_cast<long long>(total), seconds());
        std::fflush(stdout);
    }
    std::printf("randomized sessions: %lld steps, seeds up to %llu, %lld restarts after quit, %.1f s\n",
                static_cast<long long>(done), static_cast<unsigned long long>(seed - 1),
                static_cast<long long>(restarts), seconds());
}

// A planted fault (a second actor on the stage) is found by a random session
// and shrunk to a few steps (the mode selector, the animation screen, two
// adds) whose script, run by the headless runner, shows it again.
static const char* SecondActor(int64_t) { return stage.actor_count >= 2 ? "planted: two actors" : nullptr; }

TEST(RandomSessions, AFaultIsFoundAndShrunkToAShortScript) {
    SetExtraCheck(SecondActor);
    SessionOutcome outcome;
    for (uint64_t seed = 2; seed < 40 && !outcome.failed; seed += 3) outcome = RunRandomSession(seed, 20000);
    ASSERT_NE(outcome.fault.find("planted: two actors"), std::string::npos) << outcome.fault;
    ASSERT_EQ(static_cast<int64_t>(outcome.steps.size()), outcome.steps_run);
    const std::vector<SessionStep> shortest = ShrinkSession(outcome.steps, 60);
    SessionSource script;
    script.script = SessionScript(shortest, "shrunk");
    EXPECT_LE(shortest.size(), 12u) << script.script;
    EXPECT_NE(RunSession(script, true).fault.find("planted: two actors"), std::string::npos) << script.script;
    SetExtraCheck(nullptr);
    EXPECT_FALSE(RunSession(script, true).failed);
}
