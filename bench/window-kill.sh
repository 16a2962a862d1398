#!/bin/bash
# The window killed mid-batch, then undone from the terminal: `tavix` renames
# FILES files ("f00001.txt" → "00001.txt"), is killed with SIGKILL once its
# journal records moves, and `tavix-cli undo --last` must put every file back,
# each with its own contents. A trial counts only when the kill landed
# mid-batch (some files renamed, some not); it runs until TRIALS such trials.
#
# Run under a display, from the repository:
#   xvfb-run -a -s '-screen 0 1280x800x24' bench/window-kill.sh build [FILES] [TRIALS]
# Needs xdotool. Clicks the find field and the perform button where the window
# draws them at its opening size on a 1280 × 800 screen.
set -u
build=${1:?build folder}
count=${2:-20000}
trials=${3:-5}
work=$(mktemp -d /tmp/window-kill.XXXXXX)
trap 'rm -rf "$work"' EXIT
passed=0 attempts=0
while ((passed < trials && attempts < 3 * trials)); do
  attempts=$((attempts + 1))
  rm -rf "$work"/* && mkdir -p "$work/files"
  (cd "$work/files" && for ((i = 1; i <= count; i++)); do
     printf -v name 'f%05d.txt' "$i"; printf '%s' "$name" > "$name"; done)
  export XDG_STATE_HOME=$work/state
  "$build/src/tavix" "$work"/files/* >/dev/null 2>&1 &
  pid=$!
  # Up when its window is, then given time to plan the list.
  until xdotool search --name '^Tavix$' >/dev/null 2>&1; do sleep 0.2; done
  sleep 3
  xdotool mousemove 234 126 click 1 && sleep 0.3 && xdotool type f && sleep 3
  xdotool mousemove 742 679 click 1
  journals=$work/state/tavix/journals
  until compgen -G "$journals/*.jsonl" >/dev/null; do sleep 0.01; done
  journal=$(ls "$journals"/*.jsonl)
  until grep -q '"moved"' "$journal"; do sleep 0.005; done
  sleep "0.0$((RANDOM % 10))"
  kill -9 "$pid"; wait "$pid" 2>/dev/null
  renamed=$(find "$work/files" -name '[0-9]*' | wc -l)
  if ((renamed == 0 || renamed == count)) || grep -q '"state"' "$journal"; then
    echo "attempt $attempts: killed after the batch ($renamed renamed); not counted"
    continue
  fi
  "$build/src/tavix-cli" undo --last >"$work/undo.out" 2>&1
  status=$?
  back=0 wrong=0
  for ((i = 1; i <= count; i++)); do
    printf -v name 'f%05d.txt' "$i"
    if [[ -f "$work/files/$name" && $(<"$work/files/$name") == "$name" ]]; then
      back=$((back + 1))
    else
      wrong=$((wrong + 1))
    fi
  done
  left=$(ls "$work/files" | wc -l)
  echo "attempt $attempts: killed with $renamed of $count renamed; undo exit $status," \
       "$(tr '\n' ' ' <"$work/undo.out"); $back back by content, $wrong missing, $left files in all"
  ((status == 0 && back == count && left == count)) && passed=$((passed + 1))
done
echo "$passed of $trials trials passed ($attempts attempts)"
((passed == trials))
