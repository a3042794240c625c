#!/usr/bin/env bash
# usage: consume.sh <build dir> <consumer sources> <scratch dir> <c++ compiler> <cmake> "<flags>"
set -euo pipefail
build=$1 src=$2 work=$3 cxx=$4 cmake=$5 flags=${6:-}

rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }

pcdir=$(dirname "$(find "$prefix" -name NUVKernel.pc -print -quit)")
[[ -f $pcdir/NUVKernel.pc ]] || { echo "no NUVKernel.pc installed under $prefix"; exit 1; }

# 1. A plain compiler line with pkg-config.
# shellcheck disable=SC2046,SC2086
"$cxx" $flags "$src/main.cpp" -o "$work/consumer-pc" $(PKG_CONFIG_PATH=$pcdir pkg-config --cflags --libs NUVKernel)

# 2. A CMake project with find_package.
mkdir -p "$work/cmake-src"
cp "$src/main.cpp" "$work/cmake-src/main.cpp"
cp "$src/consumer.cmake" "$work/cmake-src/CMakeLists.txt"
"$cmake" -S "$work/cmake-src" -B "$work/cmake-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >"$work/cmake.log" 2>&1 &&
  "$cmake" --build "$work/cmake-build" >>"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; exit 1; }

# Both run from the installed tree: the machine hive of the registry belongs in its share/nuv.
share=$(cd "$prefix" && pwd -P)/share/nuv
machine=$share/machine.reg
# The installed machine hive's defaults (release, the kernel's component bit) are read; the
# release the consumer writes over them is cut to its first two parts.
expected="KTGX
c9e8b1b8c3fbb3c6
42-KTGX
release 3.8.1
machine $machine
key Software\\NUV isnum 10
version 3.8 kernel 1
install $share/
angles 1"
for f in "$machine" "$share/sys/nuv.rx"; do [[ -f $f ]] || { echo "the installation tree lacks $f"; exit 1; }; done
[[ -d $share/User ]] || { echo "the installation tree lacks $share/User"; exit 1; }
grep -qx '"Group"="1"' "$machine" || { echo "$machine lacks the kernel's component bit:"; cat "$machine"; exit 1; }
status=0
for exe in "$work/consumer-pc" "$work/cmake-build/consumer"; do
  out=$(env -u NUV_REGISTRY_DIR XDG_CONFIG_HOME="$work/config" "$exe")
  if [[ "$out" != "$expected" ]]; then
    echo "$exe printed:"; echo "$out"; echo "expected:"; echo "$expected"
    status=1
  fi
done
grep -qx '"Release"="3.8.1"' "$machine" || { echo "$machine lacks the value:"; cat "$machine"; status=1; }
[[ $status == 0 ]] && echo "SDK consumers built with pkg-config and find_package both work"
exit $status
