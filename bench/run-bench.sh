#!/usr/bin/env bash
# The scanner benchmark: Plenwick's scan against the bare parallel walk (the floor),
# gdu and du, on three trees made once under ${PLENWICK_BENCH_DIR:-/tmp/plenwick-bench}:
#   tree-1m     1,000,000 files in 44,000 folders (packages, links, hard links, odd names)
#   wide-1m     1,000,000 files whose root holds 150,000 of them and whose first folder
#               100,000 (a mail or cache folder), the rest as in tree-1m
#   empty-300k  one folder holding 300,000 empty folders
#   chain-16k   a chain of 16,384 single folders
#   rescan-100k a folder of 100,000 files (folder/) and beside it a file with a link
#               into it, rescanned in place against a fresh scan of the folder
# Every tree's totals are first checked against a reference walk (find). Contenders
# take turns and each keeps its best of PLENWICK_BENCH_RUNS runs (default 5); the
# processor seconds beside each time vary less than the time on a busy machine.
# With --cold the 1,000,000-file tree is also walked after dropping the caches (root).
# usage: bench/run-bench.sh BUILD_DIR [--workers N] [--cold]
set -euo pipefail
export LC_ALL=C

usage() { echo "usage: $0 BUILD_DIR [--workers N] [--cold]" >&2; exit 2; }

[ $# -ge 1 ] || usage
bin="$1/bench"
shift
workers=()
gdu_workers=()
cold=0
while [ $# -gt 0 ]; do
  case "$1" in
    --workers)
      [[ "${2:-}" =~ ^[1-9][0-9]*$ ]] || usage
      workers=(--workers "$2"); gdu_workers=(-m "$2"); shift 2 ;;
    --cold) cold=1; shift ;;
    *) usage ;;
  esac
done

base="${PLENWICK_BENCH_DIR:-/tmp/plenwick-bench}"
tree="$base/tree-1m"
wide="$base/wide-1m"
empty="$base/empty-300k"
chain="$base/chain-16k"
rescan="$base/rescan-100k"
runs="${PLENWICK_BENCH_RUNS:-5}"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "PLENWICK_BENCH_RUNS must be a positive number" >&2; exit 2; }

for program in plenwick-make-fixture plenwick-bare-walk plenwick-scan-bench plenwick-rescan-bench; do
  [ -x "$bin/$program" ] || { echo "missing $bin/$program: build with PLENWICK_BENCH=ON" >&2; exit 1; }
done

# make DIR ARGS…: runs the fixture maker into DIR.partial and renames it when done.
make_once() {
  local dir="$1"; shift
  [ -d "$dir" ] && return
  echo "Making $dir (once)..."
  mkdir -p -- "$base"
  rm -rf -- "$dir.partial"
  "$bin/plenwick-make-fixture" "$@" >/dev/null
  mv -- "$dir.partial" "$dir"
}
make_once "$tree" "$tree.partial" 1000000
make_once "$wide" --wide "$wide.partial" 1000000
make_once "$empty" --empty-folders "$empty.partial" 300000
make_once "$chain" --chain "$chain.partial" 16384
if [ ! -d "$rescan" ]; then
  echo "Making $rescan (once)..."
  rm -rf -- "$rescan.partial"
  mkdir -p -- "$rescan.partial"
  "$bin/plenwick-make-fixture" "$rescan.partial/folder" 100000 >/dev/null
  # One file of the folder also linked from outside it: the rescan's hard-link
  # reconcile has a link outside to decide about.
  linked="$(find "$rescan.partial/folder" -type f -size +0 -print -quit)"
  ln -- "$linked" "$rescan.partial/outside-link"
  mv -- "$rescan.partial" "$rescan"
fi

# The value of `key` in a line of key=value figures.
field() { awk -v key="$2" '{ for (i = 1; i <= NF; i++) { n = index($i, "="); if (substr($i, 1, n - 1) == key) print substr($i, n + 1) } }' <<<"$1"; }
# Arithmetic on decimals.
calc() { awk "BEGIN { printf \"%.${2:-3}f\", $1 }"; }
less_than() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
verdict() { if awk "BEGIN { exit !($1) }"; then echo "met"; else echo "MISSED"; fi; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

# The totals a plain walk (find, on the tree's volume) gives: files, allocated and
# logical bytes with hard links counted once, folders.
reference() {
  local files bytes logical dirs
  read -r files bytes logical < <(find "$1" -xdev ! -type d -printf '%n %D:%i %b %s\n' |
    awk '{ files++; if ($1 > 1 && seen[$2]++) next; bytes += $3 * 512; logical += $4 }
         END { printf "%d %.0f %.0f\n", files, bytes, logical }')
  dirs="$(find "$1" -xdev -type d | wc -l)"
  echo "files=$files bytes=$bytes logical=$logical dirs=$dirs"
}

exact=1
check_totals() {
  local name="$1" dir="$2" want got
  want="$(reference "$dir")"
  got="$("$bin/plenwick-scan-bench" "$dir" --no-stats "${workers[@]}")"
  got="files=$(field "$got" files) bytes=$(field "$got" bytes) logical=$(field "$got" logical) dirs=$(field "$got" dirs)"
  if [ "$want" = "$got" ]; then
    echo "  $name  equal: $got"
  else
    echo "  $name  DIFFERENT: scan $got, reference $want"
    exact=0
  fi
}

# best VAR COMMAND…: runs the command, keeps in VAR the line with the lowest seconds.
declare -A best times
best() {
  local var="$1"; shift
  local line seconds
  line="$("$@")"
  seconds="$(field "$line" seconds)"
  times[$var]+=" $seconds"
  if [ -z "${best[$var]:-}" ] || less_than "$seconds" "$(field "${best[$var]}" seconds)"; then best[$var]="$line"; fi
}
# timed COMMAND…: the command's wall time as a result line (for gdu and du).
timed() {
  local start="$EPOCHREALTIME"
  "$@" >/dev/null
  echo "seconds=$(calc "$EPOCHREALTIME - $start")"
}
show() { printf '  %-22s %s s  cpu %s s   (runs:%s)\n' "$1" "$(field "${best[$2]}" seconds)" "$(field "${best[$2]}" cpu_seconds)" "${times[$2]}"; }

have_gdu=1
command -v gdu >/dev/null 2>&1 || have_gdu=0

echo "Load average (1, 5, 15 min) at the start: $(load) on $(nproc) processors"
echo
echo "Totals against a reference walk (find):"
check_totals "tree-1m   " "$tree"
check_totals "wide-1m   " "$wide"
check_totals "empty-300k" "$empty"
check_totals "chain-16k " "$chain"

echo
echo "Warming the caches..."
for dir in "$tree" "$wide" "$empty" "$chain"; do "$bin/plenwick-bare-walk" "$dir" >/dev/null; done

for ((run = 1; run <= runs; run++)); do
  best scan "$bin/plenwick-scan-bench" "$tree" "${workers[@]}"
  best floor "$bin/plenwick-bare-walk" "$tree" "${workers[@]}"
  if [ "$have_gdu" = 1 ]; then best gdu timed gdu -n -p -c "${gdu_workers[@]}" "$tree"; fi
  best wide_scan "$bin/plenwick-scan-bench" "$wide" "${workers[@]}"
  best wide_floor "$bin/plenwick-bare-walk" "$wide" "${workers[@]}"
  best empty_floor "$bin/plenwick-bare-walk" "$empty" "${workers[@]}"
  best empty_scan "$bin/plenwick-scan-bench" "$empty" --no-stats "${workers[@]}"
  best empty_scan64 "$bin/plenwick-scan-bench" "$empty" --no-stats --workers 64
  best chain_scan "$bin/plenwick-scan-bench" "$chain" --no-stats "${workers[@]}"
  best chain_du timed du -s "$chain"
done

echo
echo "1,000,000 files, warm, ${workers[1]:-automatic} workers, best of $runs:"
show "scan" scan
echo "                         ${best[scan]}"
show "floor (bare walk)" floor
[ "$have_gdu" = 1 ] && printf '  %-22s %s s   (runs:%s)\n' "gdu -n -p -c" "$(field "${best[gdu]}" seconds)" "${times[gdu]}"
echo "1,000,000 files, 150,000 of them in the root and 100,000 in one folder:"
show "scan" wide_scan
show "floor (bare walk)" wide_floor
echo "300,000 empty folders:"
show "scan" empty_scan
show "scan, 64 workers" empty_scan64
show "floor" empty_floor
echo "16,384-deep chain:"
show "scan" chain_scan
printf '  %-22s %s s   (runs:%s)\n' "du -s" "$(field "${best[chain_du]}" seconds)" "${times[chain_du]}"

scan_s="$(field "${best[scan]}" seconds)"
bare_s="$(field "${best[floor]}" seconds)"
per_node="$(field "${best[scan]}" bytes_per_node)"
stats_ms="$(field "${best[scan]}" stats_ms)"
echo
echo "Goals (load average now: $(load)):"
ratio="$(calc "$scan_s / $bare_s" 2)"
echo "  scan / floor                $ratio   (goal <= 1.1)   $(verdict "$ratio <= 1.1")"
ratio="$(calc "$(field "${best[wide_scan]}" seconds) / $(field "${best[wide_floor]}" seconds)" 2)"
echo "  wide: scan / floor          $ratio   (goal <= 1.1)   $(verdict "$ratio <= 1.1")"
echo "  wide: bytes per node        $(field "${best[wide_scan]}" bytes_per_node)   (goal <= 80)    $(verdict "$(field "${best[wide_scan]}" bytes_per_node) <= 80")"
if [ "$have_gdu" = 1 ]; then
  ratio="$(calc "$(field "${best[gdu]}" seconds) / $scan_s" 2)"
  echo "  gdu / scan                  $ratio   (goal >= 4)     $(verdict "$ratio >= 4")"
else
  echo "  gdu / scan                  gdu not installed (tools/dev deps installs it)"
fi
echo "  bytes per node              $per_node   (goal <= 80)    $(verdict "$per_node <= 80")"
echo "  statistics                  $stats_ms ms   (goal <= 60)    $(verdict "$stats_ms <= 60")"
for key in empty_scan empty_scan64; do
  ratio="$(calc "$(field "${best[$key]}" seconds) / $(field "${best[empty_floor]}" seconds)" 2)"
  label="empty folders / floor"
  [ "$key" = empty_scan64 ] && label="empty, 64 workers / floor"
  printf '  %-27s %s   (goal <= 1.5)   %s\n' "$label" "$ratio" "$(verdict "$ratio <= 1.5")"
done
ratio="$(calc "$(field "${best[chain_scan]}" seconds) / $(field "${best[chain_du]}" seconds)" 2)"
echo "  deep chain / du             $ratio   (goal <= 3)     $(verdict "$ratio <= 3")"
echo "  totals equal to reference   $([ "$exact" = 1 ] && echo met || echo MISSED)"

if [ "$cold" = 1 ]; then
  echo
  if sync && { echo 3 >/proc/sys/vm/drop_caches; } 2>/dev/null; then
    # Dropped before every run; the best of two each.
    for ((run = 1; run <= 2; run++)); do
      sync; echo 3 >/proc/sys/vm/drop_caches
      best cold_floor "$bin/plenwick-bare-walk" "$tree" "${workers[@]}"
      sync; echo 3 >/proc/sys/vm/drop_caches
      best cold_scan "$bin/plenwick-scan-bench" "$tree" --no-stats "${workers[@]}"
    done
    echo "1,000,000 files, cold (caches dropped before each run), best of 2:"
    show "scan" cold_scan
    show "floor" cold_floor
    ratio="$(calc "$(field "${best[cold_scan]}" seconds) / $(field "${best[cold_floor]}" seconds)" 2)"
    echo "  cold scan / cold floor      $ratio   (goal <= 1.1)   $(verdict "$ratio <= 1.1")"
  else
    echo "Cold cache: skipped (dropping the caches needs root)."
  fi
fi

echo
echo "Rescanning a folder of 100,000 files in place (load average now: $(load)):"
line="$("$bin/plenwick-rescan-bench" "$rescan" "$rescan/folder" --runs "$runs")"
echo "  $line"
ratio="$(field "$line" ratio)"
echo "  rescan $(field "$line" rescan_s) s, fresh scan $(field "$line" fresh_scan_s) s"
echo "  rescan / fresh scan         $ratio   (goal <= 1.2)   $(verdict "$ratio <= 1.2")"
echo "  totals kept by the rescans  $([ "$(field "$line" same_totals)" = 1 ] && echo met || echo MISSED)"

ui_bench() {
  local name="$1" dir="$2" line
  echo
  echo "The main window on $name, offscreen at 1280x820:"
  line="$(QT_QPA_PLATFORM=offscreen "$bin/plenwick-ui-bench" "$dir" 2>/dev/null)"
  echo "  $line"
  progress_frame="$(field "$line" progress_frame_ms)"
  echo "  progress frame       $progress_frame ms   (goal <= 16)   $(verdict "$progress_frame <= 16")"
  first_paint="$(field "$line" results_first_paint_ms)"
  echo "  results first paint  $first_paint ms   (goal <= 100)   $(verdict "$first_paint <= 100")"
  for key in paint frame hover pointer_hover; do
    value="$(field "$line" "sunburst_${key}_ms")"
    goal=8; [[ "$key" = *hover ]] && goal=2
    printf '  sunburst %-13s %s ms   (goal <= %s)   %s\n' "$key" "$value" "$goal" "$(verdict "$value <= $goal")"
  done
  echo "  widest folder below the root: $(field "$line" wide_rows) entries"
  for goal in largest_ms:40 search_ms:100 search_nonascii_ms:1000 sort_100k_ms:300 outline_reload_ms:5 outline_hover_ms:2 writer_wait_ms:10 wide_expand_ms:16 wide_scroll_ms:16 wide_sort_ms:16; do
    key="${goal%%:*}" limit="${goal##*:}" value="$(field "$line" "${goal%%:*}")"
    echo "  $key  $value ms   (goal <= $limit)   $(verdict "$value <= $limit")"
  done
  treemap_pipeline="$(field "$line" treemap_pipeline_ms)"
  echo "  treemap pipeline     $treemap_pipeline ms   (goal <= 80)   $(verdict "$treemap_pipeline <= 80")"
  treemap_hover="$(field "$line" treemap_hover_ms)"
  echo "  treemap hover        $treemap_hover ms   (goal <= 2)   $(verdict "$treemap_hover <= 2")"
}
if [ -x "$bin/plenwick-ui-bench" ]; then
  ui_bench "the 1,000,000-file tree" "$tree"
  ui_bench "the wide tree" "$wide"
fi

if [ -x "$bin/plenwick-chart-bench" ]; then
  echo
  echo "Chart engines on the same tree (1280x820):"
  echo "  $("$bin/plenwick-chart-bench" "$tree")"
fi

# The best `ms=` of $runs runs of a command whose last line carries it.
best_ms() {
  local best="" ms i
  for ((i = 0; i < runs; i++)); do
    ms="$(field "$("$@" | tail -n 1)" ms)"
    if [ -z "$best" ] || less_than "$ms" "$best"; then best="$ms"; fi
  done
  echo "$best"
}

# The startup items as the window finds them: on this machine's own folders, then with
# 200 autostart entries and 200 user units added to a home of their own.
startup_run() { best_ms env "$@" "$bin/plenwick-startup-bench"; }
if [ -x "$bin/plenwick-startup-bench" ]; then
  echo
  echo "Startup items (best of $runs):"
  count="$("$bin/plenwick-startup-bench" | tail -n 1)"
  ms="$(startup_run HOME="$HOME")"
  echo "  this machine's folders, $(field "$count" items) items   $ms ms   (goal <= 300)   $(verdict "$ms <= 300")"
  home="$(mktemp -d)"
  mkdir -p -- "$home/.config/autostart" "$home/.config/systemd/user"
  for ((i = 0; i < 200; i++)); do
    printf '[Desktop Entry]\nType=Application\nName=Entry %d\nExec=/bin/true --entry %d\n' "$i" "$i" \
      >"$home/.config/autostart/entry-$i.desktop"
    printf '[Unit]\nDescription=Unit %d\n[Service]\nExecStart=/bin/true %d\n[Install]\nWantedBy=default.target\n' "$i" "$i" \
      >"$home/.config/systemd/user/unit-$i.service"
  done
  count="$(env -u XDG_CONFIG_HOME HOME="$home" "$bin/plenwick-startup-bench" | tail -n 1)"
  ms="$(startup_run -u XDG_CONFIG_HOME HOME="$home")"
  rm -rf -- "$home"
  echo "  with 400 added, $(field "$count" items) items     $ms ms   (goal <= 300)   $(verdict "$ms <= 300")"
fi

# The leftover search for an app folder "Foo" on a made home whose ~/.config, ~/.cache
# and ~/.local/share hold 5,000 entries each, then with one leftover folder of 100,000
# files (sized by its walk).
leftover_run() {
  best_ms env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_STATE_HOME HOME="$1" \
    "$bin/plenwick-leftover-bench" "$2"
}
if [ -x "$bin/plenwick-leftover-bench" ]; then
  echo
  echo "Leftover search (best of $runs):"
  home="$(mktemp -d)"
  app="$("$bin/plenwick-leftover-bench" --make-home "$home/wide")"
  count="$(env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME -u XDG_STATE_HOME HOME="$home/wide" \
    "$bin/plenwick-leftover-bench" "$app" | tail -n 1)"
  ms="$(leftover_run "$home/wide" "$app")"
  echo "  3 x 5,000 entries, $(field "$count" remnants) leftovers   $ms ms   (goal <= 100)   $(verdict "$ms <= 100")"
  app="$("$bin/plenwick-leftover-bench" --make-big-home "$home/big")"
  ms="$(leftover_run "$home/big" "$app")"
  echo "  the same with a 100,000-file leftover   $ms ms"
  rm -rf -- "$home"
fi
