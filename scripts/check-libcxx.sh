#!/usr/bin/env bash
# Compiles every source file of src/ with Clang and libc++, the closest Linux
# stand-in for Apple's toolchain, so that a library feature Apple's libc++
# lacks (or a libstdc++-only habit, such as a missing #include) fails here
# before it fails on a Mac.
#
# The files and their flags come from the compile_commands.json of a
# configured build (CMAKE_EXPORT_COMPILE_COMMANDS): whatever src/ holds is
# checked, with the defines, include paths and warnings CMake gives it
# (-Werror included when the build has it). Only the compiler changes, to
# clang++ with -stdlib=libc++, and only compiling is checked (-fsyntax-only):
# Debian's RtAudio, GoogleTest and Benchmark are built against libstdc++ and
# cannot be linked with libc++.
#
# The macOS files (src/<layer>/macos/*.cpp), which no Linux target builds,
# are compiled too, with the flags of their layer's other files, the warnings
# Xcode turns on by default (below), as errors, and the stand-ins of Apple's
# headers in scripts/apple-stand-ins/: only the declarations those files use,
# with the SDK's types, signatures, nullability, availability and ownership
# annotations, so that a literal null where Apple forbids one, a call to an
# API newer than the deployment target (CMAKE_OSX_DEPLOYMENT_TARGET) or a
# CoreFoundation object never released (Clang's static analyzer follows each
# one) fails here. A macOS file
# that needs more adds it there. Objective-C++ files (*.mm) would need
# Cocoa's headers and are left to the macOS workflow.
# The Qt files of src/app compile against libc++ like the rest (Qt's headers
# do; its libraries, built against libstdc++, are never linked here).
# A .cpp file of src/ that no target compiles is an error: it would escape
# both builds and this check.
#
#   scripts/check-libcxx.sh [build-dir]   (default: build)
# KNOCKBOX_LIBCXX_CLANG names the compiler (default clang++-19).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd -P)
build=$(cd "${1:-$root/build}" && pwd)
clang=${KNOCKBOX_LIBCXX_CLANG:-clang++-19}
jobs=$(nproc 2>/dev/null || echo 2)

if [[ "$(uname -s)" == Darwin ]]; then
  echo "check-libcxx: on macOS the build itself uses Apple's Clang and libc++; nothing to add." >&2
  exit 0
fi
command -v "$clang" >/dev/null || { echo "check-libcxx: $clang is missing (scripts/install-deps.sh installs it)" >&2; exit 2; }
[[ -f "$build/compile_commands.json" ]] || { echo "check-libcxx: no $build/compile_commands.json; configure that build first" >&2; exit 2; }

# What a new Xcode project warns about (its default build settings), beyond
# the build's own warnings.
xcode_warnings=(
  -Wunguarded-availability      # an API newer than the deployment target, unguarded
  -Wnonnull -Wnullability -Wnullability-completeness  # null where a declaration forbids it
  -Wnon-literal-null-conversion -Wbool-conversion -Wconstant-conversion -Wenum-conversion -Wint-conversion
  -Wshorten-64-to-32            # a 64-bit value cut to 32 bits
  -Wcomma -Wempty-body -Winfinite-recursion -Wmove -Wrange-loop-analysis -Wstrict-prototypes
  -Wunreachable-code
  -Wuninitialized -Wconditional-uninitialized
  -Wunused-function -Wunused-variable -Wunused-value
  -Wdeprecated-declarations -Wdocumentation -Wquoted-include-in-framework-header
  -Werror=return-type
)
# The deployment target as Apple's compiler defines it: 14.0 is 140000.
target=$(sed -n 's/^CMAKE_OSX_DEPLOYMENT_TARGET:[A-Z]*=//p' "$build/CMakeCache.txt")
[[ "$target" =~ ^[0-9]+(\.[0-9]+){0,2}$ ]] || { echo "check-libcxx: no CMAKE_OSX_DEPLOYMENT_TARGET in $build/CMakeCache.txt" >&2; exit 2; }
IFS=. read -r major minor patch <<<"$target"
apple_flags="-D__ENVIRONMENT_MAC_OS_X_VERSION_MIN_REQUIRED__=$((major * 10000 + ${minor:-0} * 100 + ${patch:-0}))"
apple_flags+=" ${xcode_warnings[*]} -Werror"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# CMake reads the JSON (no other tool needed) and writes one shell command per
# source file of src/, plus the list of files it found.
cat >"$work/commands.cmake" <<'CMAKE'
file(READ "${database}" entries)
string(JSON count LENGTH "${entries}")
math(EXPR last "${count} - 1")
set(commands "")
set(files "")
foreach(i RANGE ${last})
  string(JSON file GET "${entries}" ${i} file)
  file(REAL_PATH "${file}" file)
  cmake_path(IS_PREFIX source_dir "${file}" NORMALIZE in_src)
  if(NOT in_src)
    continue()
  endif()
  string(JSON directory GET "${entries}" ${i} directory)
  string(JSON command ERROR_VARIABLE no_command GET "${entries}" ${i} command)
  if(no_command)  # some generators write "arguments" instead
    set(arguments "")
    string(JSON n LENGTH "${entries}" ${i} arguments)
    math(EXPR n_last "${n} - 1")
    foreach(k RANGE ${n_last})
      string(JSON argument GET "${entries}" ${i} arguments ${k})
      list(APPEND arguments "${argument}")
    endforeach()
  else()
    separate_arguments(arguments UNIX_COMMAND "${command}")
  endif()
  list(POP_FRONT arguments)  # the build's own compiler
  # -Wno-unknown-warning-option: a flag the build adds for GCC alone is not
  # this check's business.
  set(line "cd '${directory}' && '${compiler}' -stdlib=libc++ -Wno-unknown-warning-option -fsyntax-only")
  set(flags "")
  set(skip_next OFF)
  foreach(argument IN LISTS arguments)
    if(skip_next)
      set(skip_next OFF)
    elseif(argument MATCHES "^-(o|MT|MF|MQ|c)$")
      set(skip_next ON)  # outputs, dependency files and the source, given below
    elseif(NOT argument MATCHES "^-(MD|MMD)$")
      string(REPLACE "'" "'\\''" quoted "${argument}")
      string(APPEND flags " '${quoted}'")
    endif()
  endforeach()
  string(APPEND commands "${line}${flags} '${file}'\n")
  string(APPEND files "${file}\n")
  # The first file of each layer lends its flags to the layer's macOS files.
  cmake_path(RELATIVE_PATH file BASE_DIRECTORY "${source_dir}" OUTPUT_VARIABLE relative)
  string(REGEX REPLACE "/.*" "" layer "${relative}")
  if(NOT DEFINED layer_${layer})
    set(layer_${layer} "${line} -isystem '${stand_ins}'${flags} ${apple_flags}")
  endif()
endforeach()
file(GLOB apple_files "${source_dir}/*/macos/*.cpp")
foreach(file IN LISTS apple_files)
  cmake_path(RELATIVE_PATH file BASE_DIRECTORY "${source_dir}" OUTPUT_VARIABLE relative)
  string(REGEX REPLACE "/.*" "" layer "${relative}")
  if(NOT DEFINED layer_${layer})
    message(FATAL_ERROR "src/${relative}: no file of its layer is compiled, so its flags are unknown")
  endif()
  string(APPEND commands "${layer_${layer}} '${file}'\n")
  # And Clang's static analyzer follows each CoreFoundation object from its
  # Create or Copy (or CF_RETURNS_RETAINED) to its release.
  string(REPLACE "-fsyntax-only" "--analyze -o /dev/null ${analyzer_flags}" analysis "${layer_${layer}}")
  string(APPEND commands "${analysis} '${file}'\n")
  string(APPEND files "${file}\n")
endforeach()
file(WRITE "${output}/commands" "${commands}")
file(WRITE "${output}/compiled" "${files}")
CMAKE
cmake -Ddatabase="$build/compile_commands.json" -Dsource_dir="$root/src" -Dcompiler="$clang" \
  -Dstand_ins="$root/scripts/apple-stand-ins" -Dapple_flags="$apple_flags" \
  -Danalyzer_flags="-Xclang -analyzer-werror -Xanalyzer -analyzer-checker=osx.coreFoundation.CFRetainRelease,osx.cocoa.RetainCount" \
  -Doutput="$work" -P "$work/commands.cmake"

status=0
# Every source file of src/ for this platform must be among them.
while IFS= read -r -d '' file; do
  grep -qxF "$file" "$work/compiled" && continue
  echo "check-libcxx: ${file#"$root/"} is compiled by no target" >&2
  status=1
done < <(find "$root/src" -name '*.cpp' -print0)

count=$(wc -l <"$work/commands")
echo "check-libcxx: compiling $count files of src/ with $clang and libc++" >&2
# One file per job; a failing file prints its own diagnostics in one piece.
xargs -d '\n' -n 1 -P "$jobs" bash -c 'out=$(eval "$1" 2>&1) || { printf "%s\n" "$out" >&2; exit 1; }' check \
  <"$work/commands" || status=1
((status == 0)) || echo "check-libcxx: FAILED" >&2
exit $status
