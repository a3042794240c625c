#!/usr/bin/env bash
# usage: module.sh <build dir> <source dir> <scratch dir> <c++ compiler> <cmake> "<flags>"
# Installs the kernel, builds examples/module against the installed SDK only, lists it and its
# AutoLISP file in the installation's sys/nuv.rx and runs the installed nuvcad on two drawings:
# both get the module's functions and the AutoLISP file, and a scale set in the first drawing is
# the user's default in the second.
set -euo pipefail
build=$1 src=$2 work=$3 cxx=$4 cmake=$5 flags=${6:-}

rm -rf "$work"
mkdir -p "$work/home"
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
"$cmake" -S "$src/examples/module" -B "$work/example" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" >"$work/cmake.log" 2>&1 &&
  "$cmake" --build "$work/example" >>"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; exit 1; }

share=$(cd "$prefix" && pwd -P)/share/nuv
mkdir -p "$share/Modules"
cp "$work/example/nuvexample.arx" "$src/examples/module/nuvexample.lsp" "$share/Modules/"
printf 'Modules\\nuvexample.arx\r\nModules\\NUVEXAMPLE.LSP\r\n' >"$share/sys/nuv.rx"
cp "$src/examples/nuvcad/supply.dxf" "$src/examples/nuvcad/return.dxf" "$work/"
cat >"$work/session.scr" <<SCR
(nuvex-scale)
(nuvex-scale 50)
(nuvex-scale 0)
(nuvex-text-height)
NUVSETTINGS
(nuvex-label)
OPEN $work/return.dxf
(nuvex-scale)
(nuvex-label)
(arx)
QUIT
N
SCR
out=$(cd "$work" && env -u NUV_REGISTRY_DIR -u NUV_INSTALL_DIR HOME="$work/home" XDG_CONFIG_HOME="$work/config" \
  "$prefix/bin/nuvcad" supply.dxf --script session.scr </dev/null 2>&1)
projects="$work/home/.local/share/nuv/Projects/"
expected="nuvexample.lsp loaded
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
Command: OPEN
Enter name of drawing to open: $work/return.dxf
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
  echo "nuvcad printed:"; echo "$out"; echo "expected:"; echo "$expected"
  diff <(echo "$expected") <(echo "$out") || true
  exit 1
fi
echo "the example module built against the installed SDK is loaded in every drawing"
