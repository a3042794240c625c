#!/usr/bin/env bash
# usage: module.sh <build dir> <source dir> <scratch dir> <c++ compiler> "<flags>"
# The session of `make run` (examples/module/run.sh) on a fresh scratch folder, checked line by
# line: the installed nuvcad loads the three libraries, the example module built against the
# installed SDK and its AutoLISP file in both drawings; a scale set in the first drawing is its
# own and the user's default, which the second drawing, without its own, reads; MSld leaves a
# slide of the first drawing beside it, and its duct run flashes until stopped.
set -euo pipefail
build=$1 src=$2 work=$3 cxx=$4 flags=${5:-}

out=$(bash "$src/examples/module/run.sh" "$build" "$work" "$cxx" "$flags" 2>&1)
projects="$work/home/.local/share/nuv/Projects/"
card=$(sed '1s/^/-----------------------------------------------------------\n/; $s/$/\n---------------------------------------------------------------/' \
  "$src/tests/data/frame/banner-lines.txt")
expected="nuvexample.lsp loaded
Command: NUVKERNEL
$card
Command: (GetNUVGroupValue)
1
Command: (HasInstallNUVGroup 1)
T
Command: (IsLoadedArx \"nuvexample\")
T
Command: (nuvex-scale)
100
Command: (nuvex-scale 50)
50
Command: (nuvex-scale 0)
nil
Command: (nuvex-text-height)
175.0
Command: NUVSETTINGS
scale 1:50, Chinese text 3.5 mm, Western text 2.5 mm, 0 decimals
Command: (nuvex-label)
\"1:50 $projects\"
Command: MSld
Command: ZOOM
Specify corner of window, enter a scale factor (nX), or
[All/Center/Extents/Previous/Window]: W
Specify first corner: -600,-400,0
Specify opposite corner: 12630,8420,0
Command: MSLIDE
Enter name of slide file to create <$work/supply.sld>: $work/supply.sld
Command: (findfile \"supply.sld\")
\"$work/supply.sld\"
Command: (setq run (NUVTwinkle (ssget \"X\")))
1
Command: (NUVGetTwinkleFreQ)
3.0
Command: (NUVStopTwinkle run)
T
Command: OPEN
Enter name of drawing to open: return.dxf
\"nuvexample.arx\" is already loaded.
nuvexample.lsp loaded
Command: (nuvex-scale)
50
Command: (nuvex-label)
\"1:50 $projects\"
Command: (arx)
(\"libZQSoft.so\" \"ZQCAD.arx\" \"NUVKernel.arx\" \"nuvexample.arx\")
Command: QUIT
Save changes to supply.dxf? [Yes/No/Cancel] <Yes>: N"
if [[ "$out" != "$expected" ]]; then
  echo "nuvcad printed:"; echo "$out"
  diff <(echo "$expected") <(echo "$out") || true
  exit 1
fi
if [[ "$(head -c 13 "$work/supply.sld")" != "AutoCAD Slide" ]]; then
  echo "MSld left no slide at $work/supply.sld"
  exit 1
fi
echo "the example module built against the installed SDK is loaded in every drawing"
