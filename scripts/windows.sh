#!/usr/bin/env bash
# The Windows programs, cross-built on this Debian machine with MinGW-w64
# and tested under Wine.
#   bash scripts/windows.sh            every stage below, in order
#   bash scripts/windows.sh toolchain  Qt and QCustomPlot for Windows, built once into the cache
#   bash scripts/windows.sh build      the programs (build-win/)
#   bash scripts/windows.sh package    the zip and the installer (build-win/dist/)
#   bash scripts/windows.sh test       the tests under Wine (tests/windows/)
#   bash scripts/windows.sh if-cached  build, package and test if the toolchain is there (CI)
# Idempotent: the toolchain is rebuilt only when its cache does not hold a
# build of the same source versions with the same options.
#
# VMK_WIN_CACHE  the cache (default ~/.cache/vmkconf); the toolchain is in mingw-6.4.2/
# VMK_WIN_WORK   where the toolchain's sources and build trees lie (default $VMK_WIN_CACHE/work)
# VMK_WIN_JOBS   parallel jobs of the builds (default: the number of cores)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
stage=${1:-all}

qt_version=6.4.2
cache=${VMK_WIN_CACHE:-$HOME/.cache/vmkconf}
prefix=$cache/mingw-$qt_version
work=${VMK_WIN_WORK:-$cache/work}
jobs=${VMK_WIN_JOBS:-$(nproc)}
toolchain_file=$top/packaging/windows/mingw-toolchain.cmake
build=$top/build-win
host_build=$top/build
run_low=(nice -n 10)

# A cross build against the toolchain: Qt's toolchain file (it makes the
# cache's packages findable) over ours (the compilers).
qt_toolchain=(
  -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain_file"
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
)

say() { printf '== %s\n' "$*"; }
elapsed() { local s=$1; printf '%dh %02dm %02ds' $((s / 3600)) $((s % 3600 / 60)) $((s % 60)); }

# The Qt modules the programs use come from qtbase alone: Core, Gui,
# Widgets, Network, Xml, PrintSupport and Test (and the windows and
# offscreen platform plugins). No ICU (Windows-1251 has a table of its
# own), no D-Bus, no SQL; tablet events off because Debian's source leaves
# out wintab.h. OpenGL stays on (dynamic): the windows platform plugin does
# not build without it.
qt_options=(
  -DCMAKE_BUILD_TYPE=Release
  -DFEATURE_icu=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_tabletevent=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_concurrent=OFF
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
)

deps() {
  bash "$top/scripts/deps.sh"
  local packages=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
    nsis wine64 xz-utils librsvg2-bin qt6-translations-l10n
    xvfb xauth fonts-dejavu-core unzip zip
  )
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# apt-get with a sources list of its own: deb-src lines for the mirrors and
# suites the machine already uses, so that the machine's apt set-up stays
# as it is.
private_apt() {
  local dir=$work/apt f
  mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial" "$dir/parts"
  if [ ! -e "$dir/src.list" ]; then
    { grep -hE '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true; } |
      sed 's/^deb /deb-src /' >"$dir/src.list"
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$dir/parts/${f##*/}"
    done
  fi
  apt_opts=(-o "Dir::Etc::SourceList=$dir/src.list" -o "Dir::Etc::SourceParts=$dir/parts"
            -o "Dir::State::Lists=$dir/lists" -o "Dir::Cache=$dir/cache")
  [ -f "$dir/lists/.updated" ] || { apt-get "${apt_opts[@]}" update -qq && touch "$dir/lists/.updated"; }
}

# The Debian source package of the host's binary package $1, in the
# version installed on the host (the cross build runs the host's Qt tools,
# which must be of the same version): "qt6-base 6.4.2+dfsg-10".
host_source() { dpkg-query -W -f='${source:Package} ${source:Version}' "$1"; }

# Downloads source package $1 in version $2 into $work/s (once).
fetch_source() {
  local pkg=$1 version=$2
  mkdir -p "$work/s"
  if [ -f "$work/s/${pkg}_${version}.dsc" ] && ls "$work/s/${pkg}_${version%-*}".orig.tar.* >/dev/null 2>&1; then
    return 0
  fi
  private_apt
  (cd "$work/s" && apt-get "${apt_opts[@]}" source --download-only "$pkg=$version")
}

# Applies the patches named in $2 (one per line) of the debian folder $1 to
# the tree in the current folder, each once.
apply_patches() {
  local debian=$1 p
  while read -r p; do
    [ -n "$p" ] || continue
    if patch -p1 -R --dry-run -s -f <"$debian/patches/$p" >/dev/null 2>&1; then continue; fi
    patch -p1 -N -s <"$debian/patches/$p"
  done <<<"$2"
}

toolchain_qtbase() {
  local pkg version want stamp=$prefix/.stamp-qtbase
  read -r pkg version <<<"$(host_source qt6-base-dev)"
  want="$pkg $version ${qt_options[*]}"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
    say "toolchain: Qt $version for Windows is in $prefix (built in $(elapsed "$(cat "$prefix/.seconds-qtbase" 2>/dev/null || echo 0)")), reused"
    return 0
  fi
  fetch_source "$pkg" "$version"
  say "toolchain: building Qt $version for Windows into $prefix"
  local start
  start=$(date +%s)
  local src=$work/qtbase-src bld=$work/qtbase-build
  if [ ! -f "$src/CMakeLists.txt" ]; then
    rm -rf "$src" "$work/qtbase-unpack"
    mkdir -p "$work/qtbase-unpack"
    tar xJf "$work/s/qt6-base_${version%-*}.orig.tar.xz" -C "$work/qtbase-unpack"
    mv "$work/qtbase-unpack"/qtbase-everywhere-src-* "$src"
    rmdir "$work/qtbase-unpack"
  fi
  # Debian's security fixes (the patches named cve-*), not its packaging ones.
  rm -rf "$work/qt6-base-debian" && mkdir -p "$work/qt6-base-debian"
  tar xJf "$work/s/qt6-base_${version}.debian.tar.xz" -C "$work/qt6-base-debian"
  (cd "$src" && apply_patches "$work/qt6-base-debian/debian" "$(grep -E '^cve-' "$work/qt6-base-debian/debian/patches/series")")
  cmake -G Ninja -S "$src" -B "$bld" -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "${qt_options[@]}" >"$bld.configure.log"
  "${run_low[@]}" ninja -C "$bld" -j "$jobs" >"$bld.log"
  "${run_low[@]}" ninja -C "$bld" install >"$bld.install.log"
  local took=$(($(date +%s) - start))
  echo "$took" >"$prefix/.seconds-qtbase"
  echo "$want" >"$stamp"
  say "toolchain: Qt built in $(elapsed "$took")"
}

toolchain_qcustomplot() {
  local pkg version want stamp=$prefix/.stamp-qcustomplot
  read -r pkg version <<<"$(host_source libqcustomplot-dev)"
  want="$pkg $version $(cat "$prefix/.stamp-qtbase")"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
    say "toolchain: QCustomPlot $version for Windows is in $prefix, reused"
    return 0
  fi
  say "toolchain: building QCustomPlot $version for Windows"
  fetch_source "$pkg" "$version"
  local start src=$work/qcustomplot-src bld=$work/qcustomplot-build
  start=$(date +%s)
  rm -rf "$src" "$bld" "$work/qcustomplot-unpack"
  mkdir -p "$work/qcustomplot-unpack"
  tar xzf "$work/s/qcustomplot_${version%-*}.orig.tar.gz" -C "$work/qcustomplot-unpack"
  mv "$work/qcustomplot-unpack"/qcustomplot-* "$src"
  tar xJf "$work/s/qcustomplot_${version}.debian.tar.xz" -C "$src"
  # Debian's patches give the Qt 6 build and the CMake package files.
  (cd "$src" && apply_patches "$src/debian" "$(grep -v '^#' "$src/debian/patches/series")")
  rmdir "$work/qcustomplot-unpack"
  cmake -G Ninja -S "$src" -B "$bld" "${qt_toolchain[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DUSE_QT_VERSION=6 -DCMAKE_INSTALL_PREFIX="$prefix" >"$bld.configure.log"
  "${run_low[@]}" ninja -C "$bld" -j "$jobs" install >"$bld.log"
  echo $(($(date +%s) - start)) >"$prefix/.seconds-qcustomplot"
  echo "$want" >"$stamp"
  say "toolchain: QCustomPlot built in $(elapsed "$(cat "$prefix/.seconds-qcustomplot")")"
}

toolchain() {
  local start
  start=$(date +%s)
  mkdir -p "$work" "$prefix"
  toolchain_qtbase
  toolchain_qcustomplot
  say "toolchain: ready in $(elapsed $(($(date +%s) - start))) (this run)"
}

# The native build: xlsxpack zips the report templates of the cross build;
# vmksim and vmkctl are the other side of the tests under Wine, and vmkctl
# writes an oscillogram's .cfg only with the View library beside it.
build_host() {
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$top
  [ -f "$host_build/build.ninja" ] ||
    cmake -S "$top" -B "$host_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
  "${run_low[@]}" cmake --build "$host_build" --parallel "$jobs" --target xlsxpack vmksim vmkctl View
}

build() {
  [ -f "$prefix/.stamp-qcustomplot" ] || { echo "No toolchain in $prefix: run $0 toolchain" >&2; exit 1; }
  say "build: the native xlsxpack, vmksim, vmkctl and View ($host_build)"
  build_host
  say "build: the Windows programs ($build)"
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$top
  cmake -S "$top" -B "$build" -G Ninja "${qt_toolchain[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DVMK_HOST_XLSXPACK="$host_build/bin/xlsxpack" "${launcher[@]}" >/dev/null
  "${run_low[@]}" cmake --build "$build" --parallel "$jobs"
}

# The DLLs `file` loads that come with the program: Qt's, QCustomPlot's and
# the MinGW runtime's (the system's own are left to the system).
# (Asked when first needed: on a fresh machine the compiler comes with deps.)
dll_dirs=()
copy_dlls() {
  local dest=$1 file=$2 dll dir
  [ ${#dll_dirs[@]} -gt 0 ] ||
    dll_dirs=("$prefix/bin" "/usr/lib/gcc/x86_64-w64-mingw32/$(x86_64-w64-mingw32-gcc-posix -dumpversion)"
              /usr/x86_64-w64-mingw32/lib)
  for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
    [ -e "$dest/$dll" ] && continue
    for dir in "${dll_dirs[@]}"; do
      if [ -f "$dir/$dll" ]; then
        cp "$dir/$dll" "$dest/$dll"
        copy_dlls "$dest" "$dest/$dll"
        break
      fi
    done
  done
}

version() { sed -n 's/^project(vmkconf VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt"; }

package() {
  local dist=$build/dist stage=$build/dist/vmkconf v
  v=$(version)
  say "package: the program folder ($stage)"
  rm -rf "$dist"
  mkdir -p "$stage"
  cmake --install "$build" --prefix "$stage" >/dev/null
  # Qt's plugins: the windows platform and the offscreen one (tests,
  # screenshots), the native style.
  mkdir -p "$stage/plugins/platforms" "$stage/plugins/styles" "$stage/translations"
  cp "$prefix/plugins/platforms/qwindows.dll" "$prefix/plugins/platforms/qoffscreen.dll" "$stage/plugins/platforms/"
  cp "$prefix/plugins/styles/"qwindowsvistastyle.dll "$stage/plugins/styles/"
  local f
  for f in "$stage"/*.exe "$stage"/*.dll "$stage"/plugins/*/*.dll; do copy_dlls "$stage" "$f"; done
  # Symbols are of no use on the user's PC (libstdc++ alone carries 20 MB).
  find "$stage" -name '*.exe' -o -name '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded
  # Qt's Russian texts (platform-independent: Debian's own file).
  cp /usr/share/qt6/translations/qtbase_ru.qm "$stage/translations/"
  printf '[Paths]\nPrefix=.\nPlugins=plugins\nTranslations=translations\n' >"$stage/qt.conf"

  # The test of the Windows seams (tests/windows/), to run beside the
  # programs: with the DLLs it needs more than they do.
  rm -rf "$dist/tests.tmp" && cp -r "$stage" "$dist/tests.tmp" && mkdir -p "$dist/tests"
  cp "$build/bin/test_windows_seams.exe" "$dist/tests.tmp/"
  copy_dlls "$dist/tests.tmp" "$dist/tests.tmp/test_windows_seams.exe"
  for f in "$dist/tests.tmp"/*; do [ -e "$stage/${f##*/}" ] || mv "$f" "$dist/tests/"; done
  x86_64-w64-mingw32-strip --strip-unneeded "$dist/tests/"*
  rm -rf "$dist/tests.tmp"

  say "package: the zip ($dist/vmkconf-$v-win64.zip)"
  (cd "$dist" && rm -f "vmkconf-$v-win64.zip" && zip -qr -X "vmkconf-$v-win64.zip" vmkconf)

  say "package: the installer ($dist/vmkconf-$v-setup.exe)"
  # The uninstaller removes these files, then the folders when empty.
  (cd "$stage" && find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|'
   cd "$stage" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|') >"$dist/files.nsh"
  makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$v" -DSTAGE="$stage" -DFILES="$dist/files.nsh" \
    -DOUTFILE="$dist/vmkconf-$v-setup.exe" "$top/packaging/windows/vmkconf.nsi"
  ls -l "$dist"/*.zip "$dist"/*.exe
}

run_tests() {
  [ -f "$build/dist/vmkconf/vmkctl.exe" ] || { echo "No Windows programs: run $0 build and $0 package" >&2; exit 1; }
  bash "$top/tests/windows/run.sh" "$build/dist" "$host_build"
}

case "$stage" in
  deps) deps ;;
  toolchain) deps && toolchain ;;
  build) deps && build ;;
  package) package ;;
  test) deps && run_tests ;;
  all) deps && toolchain && build && package && run_tests ;;
  # CI (scripts/test.sh): the Windows build and its tests when the
  # toolchain is in the cache already; said plainly either way.
  if-cached)
    if [ -f "$prefix/.stamp-qcustomplot" ]; then
      say "Windows: the toolchain is in $prefix - cross-building and running the Wine tests"
      deps && build && package && run_tests
    else
      say "Windows: SKIPPED - no toolchain in $prefix (bash scripts/windows.sh builds it once)"
    fi ;;
  *) echo "usage: $0 [all|deps|toolchain|build|package|test|if-cached]" >&2; exit 2 ;;
esac
