#!/usr/bin/env bash
# Configures and builds the trees:
#   build/native  portable modules, payload tool, benchmark, GoogleTest suite
#   build/win32   setup.exe, setup-stub.exe, payload-tool.exe (i686, the deliverables),
#                 and the sample package with the port monitor built for both architectures
#   build/win64   the same Windows code and its tests for x86_64 (run under 64-bit Wine)
#   build/fuzz    libFuzzer targets (clang, ASan, UBSan)    [only with FUZZ=1]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/native -j"$jobs"
tool=$root/build/native/payload-tool

for arch in win32:i686 win64:x86_64; do
  tree=${arch%%:*} cpu=${arch##*:}
  cmake -S . -B "build/$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$cpu-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DPAYLOAD_TOOL="$tool" >/dev/null
  cmake --build "build/$tree" -j"$jobs"
done

if [ "${FUZZ:-0}" = 1 ]; then
  cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DFUZZ=ON >/dev/null
  cmake --build build/fuzz -j"$jobs"
fi
