#!/bin/sh
# Installs the build into a fresh prefix, then builds and runs a program
# outside the tree against it twice: found through the CMake package ZU, and
# compiled with the flags of pkg-config.
#   downstream.sh CMAKE BUILD_DIR SOURCE_DIR WORK C_COMPILER
cmake=$1 build=$2 src=$3 work=$4 cc=$5
set -e
rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log"
"$cmake" -S "$src/tests/downstream" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_C_COMPILER="$cc" >"$work/configure.log"
"$cmake" --build "$work/cmake" >"$work/build.log"
"$work/cmake/downstream"

libdir=$(dirname "$(find "$prefix" -name zustd.pc)")
export PKG_CONFIG_PATH="$libdir"
"$cc" -o "$work/downstream_pc" "$src/tests/downstream/main.c" $(pkg-config --cflags --libs zustd zudbtool zuwgy)
LD_LIBRARY_PATH="$libdir/.." "$work/downstream_pc"
echo "downstream: both ok"
