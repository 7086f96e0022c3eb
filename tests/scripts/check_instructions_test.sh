#!/usr/bin/env bash
# The instruction-count guard's verdicts: scripts/check-instructions --measured
# compares counts given in a file with a baseline, without valgrind. Each row:
# baseline decode, baseline replay-own, measured decode, measured replay-own,
# whether the feed is the baseline's, the expected exit status and a text the
# output must hold.
set -uo pipefail
guard="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-instructions"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cases=(
  "1000|2000|1000|2000|same|0|ok: decode (baseline 1,000, now 1,000 instructions, +0.0 %)"
  "1000|2000|1100|2200|same|0|ok: replay-own (baseline 2,000, now 2,200 instructions, +10.0 %)"
  "1000|2000|1101|2000|same|1|FAIL: decode grew by more than 10 % (baseline 1,000, now 1,101 instructions, +10.1 %)"
  "1000|2000|1000|3000|same|1|FAIL: replay-own grew by more than 10 % (baseline 2,000, now 3,000 instructions, +50.0 %)"
  "160823193|190483624|176905512|190483624|same|0|ok: decode (baseline 160,823,193, now 176,905,512 instructions, +10.0 %)"
  "160823193|190483624|176905513|190483624|same|1|FAIL: decode grew by more than 10 %"
  "1000|2000|899|2000|same|0|note: decode fell by more than 10 % (baseline 1,000, now 899 instructions, -10.1 %): lower the baseline"
  "1000|2000|900|1800|same|0|ok: replay-own (baseline 2,000, now 1,800 instructions, -10.0 %)"
  "1000|2000|1200|1000|same|1|note: replay-own fell by more than 10 %"
  "1000|2000|1000|2000|other|0|note: the feed is not the one the baseline was measured on"
  "1000||1000|2000|same|2|the baseline has no count for replay-own"
  "0|2000|1000|2000|same|2|the baseline has no count for decode"
)

failures=0
n=0
for row in "${cases[@]}"; do
  IFS='|' read -r bd br md mr feed status text <<<"$row"
  n=$((n + 1))
  printf '# made by hand\nfeed abc\ndecode %s\nreplay-own %s\n' "$bd" "$br" >"$work/baseline"
  [ "$feed" = same ] && f=abc || f=def
  printf 'feed %s\ndecode %s\nreplay-own %s\n' "$f" "$md" "$mr" >"$work/measured"
  out=$(bash "$guard" --baseline "$work/baseline" --measured "$work/measured" 2>&1)
  got=$?
  if [ "$got" -ne "$status" ] || [[ "$out" != *"$text"* ]]; then
    echo "case $n ($row): status $got, expected $status; output:"
    echo "$out"
    failures=$((failures + 1))
  fi
done

# No baseline at all is an error, not a pass.
out=$(bash "$guard" --baseline "$work/none" --measured "$work/measured" 2>&1)
got=$?
if [ "$got" -ne 2 ] || [[ "$out" != *"no baseline at"* ]]; then
  echo "missing baseline: status $got, expected 2; output: $out"
  failures=$((failures + 1))
fi

# Without valgrind the guard cannot count: an error, never a pass.
mkdir -p "$work/bin"
ln -s "$(command -v dirname)" "$work/bin/dirname"
out=$(PATH="$work/bin" "$BASH" "$guard" --baseline "$work/baseline" 2>&1)
got=$?
if [ "$got" -ne 2 ] || [[ "$out" != *"valgrind is not installed"* ]]; then
  echo "no valgrind: status $got, expected 2; output: $out"
  failures=$((failures + 1))
fi

n=$((n + 1))
echo "$((n + 1 - failures)) of $((n + 1)) cases pass"
[ "$failures" -eq 0 ]
