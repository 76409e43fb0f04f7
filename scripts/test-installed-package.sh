#!/usr/bin/env bash
# Installs a build into a temporary prefix, builds a copy of the example host outside the tree
# with find_package, runs its main road on the installed kernel folder, and checks pkg-config.
# Usage: test-installed-package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
work=$(mktemp -d /tmp/dravonix-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in include/dravonix/kernel/setup/MC_Setup.h include/dravonix/suite/zurcomm/zurcomm.h share/dravonix/fonts.conf \
         share/dravonix/kernel/kernel.cfg share/dravonix/kernel/GUIs/drvgui.so lib/cmake/dravonix/dravonixConfig.cmake; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done

# Nothing of the source tree may be needed: the host is a copy, its includes the installed ones.
mkdir -p "$work/host/examples"
cp -r "$src/examples/host" "$work/host/examples/host"
rm -f "$work/host/examples/host/CMakeLists.txt"
cp "$src/examples/installed-host/CMakeLists.txt" "$work/host/CMakeLists.txt"
cmake -S "$work/host" -B "$work/host-build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/host-build" -j"${DRAVONIX_PACKAGE_JOBS:-2}" >/dev/null
if grep -q -- "$src" "$work/host-build/build.ninja"; then
  echo "the outside host's build refers to the source tree" >&2
  exit 1
fi
"$work/host-build/dravonix-host" --out "$work/out"

# pkg-config alone builds and runs a program against the package.
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
cat > "$work/pc.cpp" <<'CPP'
#include "kernel/setup/MC_Setup.h"
#include "platform/core/String.h"
int main() {
  CString text("package");
  return text.GetLength() == 7 && RUNTIME_CLASS(CObject) != nullptr ? 0 : 1;
}
CPP
# shellcheck disable=SC2046
c++ -std=c++20 "$work/pc.cpp" -o "$work/pc" $(pkg-config --cflags --libs dravonix)
"$work/pc"
echo "installed package: the outside host's road passed; a pkg-config build runs"
