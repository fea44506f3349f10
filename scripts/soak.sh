#!/bin/sh
# Runs the long randomized session in parallel processes over disjoint seeds.
# Usage: scripts/soak.sh TEST_BINARY OUT_FOLDER STEPS JOBS
# Each process gets an equal share of whole seeds (SOAK_SEED_STEPS each) and
# logs to OUT_FOLDER/soak-N.log; the run fails if any process fails.
set -u
binary=$1 out=$2 steps=$3 jobs=$4
per_seed=${SOAK_SEED_STEPS:-25000}
[ "$jobs" -ge 1 ] 2>/dev/null || { echo "soak: JOBS must be a positive number" >&2; exit 2; }
[ "$steps" -ge 1 ] 2>/dev/null || { echo "soak: STEPS must be a positive number" >&2; exit 2; }
mkdir -p "$out"
seeds=$(( (steps + per_seed - 1) / per_seed ))
seeds_per_job=$(( (seeds + jobs - 1) / jobs ))
left=$steps first=1 pids="" n=0
while [ "$left" -gt 0 ]; do
    share=$(( seeds_per_job * per_seed ))
    [ "$share" -gt "$left" ] && share=$left
    echo "soak: process $n runs $share steps from seed $first (log: $out/soak-$n.log)"
    SOAK_STEPS=$share SOAK_SEED=$first SOAK_SEED_STEPS=$per_seed SOAK_OUT=$out \
        "$binary" --gtest_filter=RandomSessions.NoInputBreaksTheProgram > "$out/soak-$n.log" 2>&1 &
    pids="$pids $!"
    left=$(( left - share )) first=$(( first + seeds_per_job )) n=$(( n + 1 ))
done
status=0 n=0
for pid in $pids; do
    if wait "$pid"; then result=passed; else result=FAILED; status=1; fi
    echo "soak: process $n $result"
    grep -E "randomized sessions:|most reached|seed [0-9]+:|reproducing" "$out/soak-$n.log" || true
    n=$(( n + 1 ))
done
exit $status
