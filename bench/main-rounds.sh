#!/bin/bash
# Interleaved rounds of `plan` against perl's `rename -n` and another build, at
# four sizes; each line of standard error is "who files wall user system maxRSS".
#   PERF_BUILD=... MAIN=/other/build/src/tavix-cli SETS=/dev/shm/sets \
#   bench/main-rounds.sh 2> rounds.raw
# SETS holds ../shared/perf's sets by size (10000, 100000, 300000, 1000000);
# PERF_DIR is ../shared/perf unless set (a worktree may sit deeper); ROUNDS
# sets the rounds at every size (5, 5, 3, 3 unless given).
ROOT=$(cd "$(dirname "$0")/.." && pwd)
: "${PERF_BUILD:=/tmp/tavix-perf-build}" "${SETS:?the folder of the sets}"
export PERF_BUILD
cd "${PERF_DIR:-$ROOT/../shared/perf}" && source ./common.sh
NEW=${NEW:-$ROOT/build/src/tavix-cli}
MAIN=${MAIN:?the build to compare with}
run() { # label n set rounds
  local n=$1 S=$2 R=$3
  for r in $(seq $R); do
    /usr/bin/time -f "perl $n %e %U %S %M" $PERL_RENAME -n -d -u utf8 -e "$PERL_STACK" < $S/list.txt > /dev/null
    /usr/bin/time -f "new $n %e %U %S %M" $NEW plan --rules $STACK --files-from $S/list.txt > /dev/null
    /usr/bin/time -f "main $n %e %U %S %M" $MAIN plan --rules $STACK --files-from $S/list.txt > /dev/null
  done
}
run 10000 "$SETS/10000" "${ROUNDS:-5}"
run 100000 "$SETS/100000" "${ROUNDS:-5}"
run 300000 "$SETS/300000" "${ROUNDS:-3}"
run 1000000 "$SETS/1000000" "${ROUNDS:-3}"
