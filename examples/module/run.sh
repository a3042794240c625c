#!/usr/bin/env bash
# usage: examples/module/run.sh <build dir> <scratch dir> [c++ compiler] [flags]
# The suite in action, as a user installs it: installs the kernel from the build into
# <scratch>/prefix, builds this example module against the installed SDK only, lists it and its
# AutoLISP file in the installation's sys/nuv.rx, and runs the installed nuvcad on the two
# example duct drawings with session.scr. The user's settings live in <scratch>/config and the
# projects below <scratch>/home, so nothing of the caller's own is touched.
set -euo pipefail
build=$1 work=$2 cxx=${3:-c++} flags=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)

rm -rf "$work"
mkdir -p "$work/home"
work=$(cd "$work" && pwd)  # absolute: cmake reads a relative prefix path from its own build folder
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
cmake -S "$here" -B "$work/example" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" >"$work/cmake.log" 2>&1 &&
  cmake --build "$work/example" >>"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; exit 1; }

share=$(cd "$prefix" && pwd -P)/share/nuv
mkdir -p "$share/Modules"
cp "$work/example/nuvexample.arx" "$here/nuvexample.lsp" "$share/Modules/"
printf 'Modules\\nuvexample.arx\r\nModules\\NUVEXAMPLE.LSP\r\n' >"$share/sys/nuv.rx"
cp "$src/examples/nuvcad/supply.dxf" "$src/examples/nuvcad/return.dxf" "$here/session.scr" "$work/"
cd "$work"
exec env -u NUV_REGISTRY_DIR -u NUV_INSTALL_DIR HOME="$work/home" XDG_CONFIG_HOME="$work/config" \
  "$prefix/bin/nuvcad" supply.dxf --script session.scr </dev/null
