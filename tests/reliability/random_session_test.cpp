// Randomized stylus sessions: no sequence of input may crash the program,
// break an invariant of its model or write outside a buffer. The size comes
// from the environment so that `make soak` can run a long one:
//   SOAK_STEPS       input steps in all (default 200000)
//   SOAK_SEED        first seed (default 1); seeds count up from it
//   SOAK_SEED_STEPS  steps per seed (default 25000)
//   SOAK_OUT         folder for reproducing scripts (default: the current one)
//   SOAK_SHRINK_SECONDS  time the shrinking of a failure may take (default 120)
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "animation/stage.h"
#include "reliability/session_driver.h"

static int64_t EnvNumber(const char* name, int64_t fallback) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] == '\0') return fallback;
    return std::strtoll(value, nullptr, 10);
}

static std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Shrinks a failing session, writes the script and returns a report.
static std::string ReportFailure(uint64_t seed, const SessionOutcome& outcome) {
    const double seconds = static_cast<double>(EnvNumber("SOAK_SHRINK_SECONDS", 120));
    const std::vector<SessionStep> shortest = ShrinkSession(outcome.steps, seconds);
    const std::string comment = "Found by the randomized session of seed " + std::to_string(seed) +
                                " after " + std::to_string(outcome.steps_run) + " steps:\n" +
                                outcome.fault + "\nShrunk to " + std::to_string(shortest.size()) +
                                " steps. The reliability tests replay it on their own device folder\n"
                                "(bundled skin and settings, 25 files, 15 folders).";
    const std::string script = SessionScript(shortest, comment);
    const char* folder = std::getenv("SOAK_OUT");
    const std::string path = std::string(folder != nullptr && folder[0] != '\0' ? folder : ".") +
                             "/reliability_seed_" + std::to_string(seed) + ".script";
    std::ofstream(path) << script;
    return "seed " + std::to_string(seed) + ": " + outcome.fault + "\nreproducing script (" + path +
           "):\n" + script;
}

TEST(RandomSessions, NoInputBreaksTheProgram) {
    const int64_t total = EnvNumber("SOAK_STEPS", 200000);
    const int64_t per_seed = std::max<int64_t>(1, EnvNumber("SOAK_SEED_STEPS", 25000));
    const uint64_t first_seed = static_cast<uint64_t>(EnvNumber("SOAK_SEED", 1));
    const auto start = std::chrono::steady_clock::now();
    int64_t done = 0, restarts = 0;
    SessionReach most{};
    uint64_t seed = first_seed;
    for (; done < total; ++seed) {
        const int64_t steps = std::min(per_seed, total - done);
        const SessionOutcome outcome = RunRandomSession(seed, steps);
        done += outcome.steps_run;
        restarts += outcome.restarts;
        const SessionReach& r = outcome.reach;
        most = SessionReach{std::max(most.shapes, r.shapes), std::max(most.vertices, r.vertices),
                            std::max(most.slots, r.slots), std::max(most.actors, r.actors),
                            std::max(most.keys, r.keys), std::max(most.picks, r.picks),
                            std::max(most.stroke_points, r.stroke_points), std::max(most.path_bytes, r.path_bytes),
                            {most.mode_passes[0] + r.mode_passes[0], most.mode_passes[1] + r.mode_passes[1],
                             most.mode_passes[2] + r.mode_passes[2], most.mode_passes[3] + r.mode_passes[3],
                             most.mode_passes[4] + r.mode_passes[4]}};
        if (outcome.failed) {
            ADD_FAILURE() << ReportFailure(seed, outcome);
            break;
        }
        ASSERT_EQ(outcome.steps_run, steps) << "seed " << seed << " stopped early";
        const double so_far = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("seed %llu done: %lld of %lld steps, %.0f s\n", static_cast<unsigned long long>(seed),
                    static_cast<long long>(done), static_cast<long long>(total), so_far);
        std::fflush(stdout);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("randomized sessions: %lld steps, seeds %llu..%llu, %lld restarts after quit, %.1f s\n",
                static_cast<long long>(done), static_cast<unsigned long long>(first_seed),
                static_cast<unsigned long long>(seed - 1), static_cast<long long>(restarts), seconds);
    std::printf("most reached in one seed: %d shapes, %d vertices, %d slots, %d actors, %d keys, "
                "%d pick rectangles, %d stroke points, a path of %d bytes; steps per mode: %d %d %d %d\n",
                most.shapes, most.vertices, most.slots, most.actors, most.keys, most.picks,
                most.stroke_points, most.path_bytes, most.mode_passes[0], most.mode_passes[1], most.mode_passes[2],
                most.mode_passes[3]);
}

// Every session script of the tests, and the scripts that shrunk failures
// left behind, run with the same checks after every step.
TEST(RandomSessions, EverySessionScriptKeepsTheInvariants) {
    const std::string folder = std::string(KN_TEST_DIR) + "/scripts";
    DIR* dir = opendir(folder.c_str());
    ASSERT_NE(dir, nullptr) << folder;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 7 && name.compare(name.size() - 7, 7, ".script") == 0) names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        std::vector<SessionStep> steps;
        std::string error;
        ASSERT_TRUE(ParseSessionScript(ReadFile(folder + "/" + name), &steps, &error)) << name << " " << error;
        const SessionOutcome outcome = ReplaySession(steps, false);
        EXPECT_FALSE(outcome.failed) << name << " after " << outcome.steps_run << " steps: " << outcome.fault;
    }
}

// Scripts written by the shrinker read back step for step, and a replay of
// presses far outside the screen runs to its end without a fault.
TEST(RandomSessions, ScriptsRoundTripAndReplaysAreClean) {
    const std::string text = "down 5 6\nmove -7 32767\nup\ntap 230 10\nwait 60\ndrag 0 0 9 9 3\n";
    std::vector<SessionStep> steps;
    std::string error;
    ASSERT_TRUE(ParseSessionScript(text, &steps, &error)) << error;
    ASSERT_EQ(steps.size(), 10u);
    std::vector<SessionStep> again;
    ASSERT_TRUE(ParseSessionScript(SessionScript(steps, "comment"), &again, &error)) << error;
    ASSERT_EQ(again.size(), steps.size());
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(again[i].kind, steps[i].kind);
        EXPECT_EQ(again[i].x, steps[i].x);
        EXPECT_EQ(again[i].y, steps[i].y);
        EXPECT_EQ(again[i].wait_ms, steps[i].wait_ms);
    }
    const SessionOutcome outcome = ReplaySession(steps, false);
    EXPECT_FALSE(outcome.failed) << outcome.fault;
    EXPECT_EQ(outcome.steps_run, 10);
    EXPECT_FALSE(ParseSessionScript("hop 1 2\n", &again, &error));
}

// A planted fault (a second actor on the stage) is found by a random session,
// and the session shrinks to a few steps whose replay still shows it.
static const char* SecondActor() { return stage.actor_count >= 2 ? "planted: two actors" : nullptr; }

TEST(RandomSessions, AFaultIsFoundAndShrunkToAShortScript) {
    SetExtraCheck(SecondActor);
    SessionOutcome outcome;
    uint64_t seed = 2;  // a seed of the stage profile
    for (; seed < 40 && !outcome.failed; seed += 3) outcome = RunRandomSession(seed, 20000);
    ASSERT_TRUE(outcome.failed) << "no session added two actors";
    EXPECT_NE(outcome.fault.find("planted: two actors"), std::string::npos) << outcome.fault;
    EXPECT_EQ(static_cast<int64_t>(outcome.steps.size()), outcome.steps_run);
    const std::vector<SessionStep> shortest = ShrinkSession(outcome.steps, 60);
    SetExtraCheck(nullptr);
    // The mode selector, the animation screen, two adds: a handful of steps.
    EXPECT_LE(shortest.size(), 12u) << SessionScript(shortest, "shrunk");
    EXPECT_LT(shortest.size(), outcome.steps.size());
    SetExtraCheck(SecondActor);
    std::vector<SessionStep> replayed;
    std::string error;
    ASSERT_TRUE(ParseSessionScript(SessionScript(shortest, "seed " + std::to_string(seed)), &replayed, &error));
    EXPECT_TRUE(ReplaySession(replayed, true).failed);
    SetExtraCheck(nullptr);
    EXPECT_FALSE(ReplaySession(replayed, true).failed);
}
