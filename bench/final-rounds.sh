#!/bin/bash
# The same-run figures of bench/README.md's top section: this build against another tavix-cli
# build (MAIN), perl and the floor, on ../shared/perf's tmpfs sets.
ROOT=$(cd "$(dirname "$0")/.." && pwd)
: "${PERF_BUILD:=/tmp/tavix-perf-build}" "${TMPFS_ROOT:=/dev/shm/tavix-perf}"
export PERF_BUILD TMPFS_ROOT
cd "$ROOT/../shared/perf" && source ./common.sh
NEW=${NEW:-$ROOT/build/src/tavix-cli}
MAIN=${MAIN:?the build to compare with}
export XDG_STATE_HOME=/dev/shm/final-state; mkdir -p $XDG_STATE_HOME
uptime
for N in 10000 100000; do
  S=$TMPFS_ROOT/$N
  $MKSET $S/files $S/names.txt
  echo "== plan $N"
  python3 bench.py --files $N --rounds 5 --ref "new plan" \
    "new plan=$NEW plan --rules $STACK --files-from $S/list.txt" \
    "main plan=$MAIN plan --rules $STACK --files-from $S/list.txt" \
    "perl rename -n=$PERL_RENAME -n -d -u utf8 -e '$PERL_STACK' < $S/list.txt"
done
S=$TMPFS_ROOT/100000
echo "== peak RSS 100000 (KiB) new, main"
for i in 1 2 3; do /usr/bin/time -f %M $NEW plan --rules $STACK --files-from $S/list.txt >/dev/null; done
for i in 1 2 3; do /usr/bin/time -f %M $MAIN plan --rules $STACK --files-from $S/list.txt >/dev/null; done
echo "== rename 100000"
cd "$ROOT"
python3 bench/moves-rounds.py 5 "rm -rf $XDG_STATE_HOME/tavix; $MKSET $S/files $S/names.txt" \
  "floor renameat" "new rename" "floor renameat=$FLOOR renameat $S/pairs.txt" \
  "new rename=$NEW rename --rules $STACK --files-from $S/list.txt" \
  "main rename=$MAIN rename --rules $STACK --files-from $S/list.txt" \
  "new plan=$NEW plan --rules $STACK --files-from $S/list.txt" \
  "perl rename=$PERL_RENAME -d -u utf8 -e '$PERL_STACK' < $S/list.txt"
$MKSET $S/files $S/names.txt
uptime
echo "== window"
for B in ${BUILDS:-build}; do
  echo "-- $B"
  QT_QPA_PLATFORM=offscreen $B/bench/tavix_ui_bench --benchmark_filter='EditLastStepToRepaint' \
    --benchmark_min_time=1 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true 2>&1 | grep -E "median|Benchmark"
done
uptime
