#!/usr/bin/env bash
# Prints the generated 500-page document to PDF with Eldravin (bench_print of a
# Release tree) and, when LibreOffice is installed, converts the same RTF to PDF
# with `soffice --headless --convert-to pdf`; reports time, peak memory and the
# page count of each PDF (pdfinfo).
#   bench/print_side_by_side.sh [build/bench] [pages]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build/bench}"
pages="${2:-500}"
shared="$here/../shared"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 "$shared/bench/gen_rtf.py" "$pages" 1 > "$work/doc.rtf"
echo "input: $(du -h "$work/doc.rtf" | cut -f1) of RTF ($pages pages asked for)"

measure() {  # label, command...
  local label="$1"; shift
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" > "$work/out" 2>&1 || { echo "$label: failed"; cat "$work/out"; return; }
  read -r seconds kb < "$work/time"
  echo "$label: ${seconds} s, peak $((kb / 1024)) MB"
}

if [ -x "$build/bench/bench_print" ]; then
  "$build/bench/bench_print" --benchmark_filter="/$pages" | grep -E "BM_|pages"
  measure "eldravin (whole process: start, read, lay out, print 3 times)" \
    "$build/bench/bench_print" --benchmark_filter="/$pages"
  [ -f /tmp/eldravin-bench-$pages.pdf ] && pdfinfo /tmp/eldravin-bench-$pages.pdf | grep -E "^Pages|^Page size"
else
  echo "no $build/bench/bench_print: configure a Release tree with -DELDRAVIN_BENCH=ON"
fi

if command -v soffice > /dev/null; then
  measure "soffice --headless --convert-to pdf" \
    soffice --headless -env:UserInstallation="file://$work/profile" --convert-to pdf --outdir "$work" "$work/doc.rtf"
  [ -f "$work/doc.pdf" ] && pdfinfo "$work/doc.pdf" | grep -E "^Pages|^Page size"
else
  echo "soffice is not installed: no comparison"
fi
