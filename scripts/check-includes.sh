#!/usr/bin/env bash
# The include rules that the layers' include roots cannot enforce (see
# README.md, "Layout"): a quoted include never climbs with "../" (a
# compiler finds such a file beside the includer, past every root), names
# a file of the project, and a header in angle brackets is the C++ standard
# library's, but in the folders that are meant to call the system or a
# library of their own. Usage: scripts/check-includes.sh [SOURCE-DIR]
set -euo pipefail
root="${1:-$(dirname "$0")/..}"
cd "$root"

# The C++ standard library's headers.
standard='algorithm|any|array|atomic|barrier|bit|bitset|cassert|cctype|cerrno|cfenv|cfloat|charconv|chrono|cinttypes|climits|clocale|cmath|compare|complex|concepts|condition_variable|coroutine|csetjmp|csignal|cstdarg|cstddef|cstdint|cstdio|cstdlib|cstring|ctime|cuchar|cwchar|cwctype|deque|exception|execution|filesystem|format|forward_list|fstream|functional|future|initializer_list|iomanip|ios|iosfwd|iostream|istream|iterator|latch|limits|list|locale|map|memory|memory_resource|mutex|new|numbers|numeric|optional|ostream|queue|random|ranges|ratio|regex|scoped_allocator|semaphore|set|shared_mutex|source_location|span|sstream|stack|stdexcept|stop_token|streambuf|string|string_view|syncstream|system_error|thread|tuple|type_traits|typeindex|typeinfo|unordered_map|unordered_set|utility|valarray|variant|vector|version'
# The project's own headers, as a quoted include names them.
known="$(cd src && find . -type f \( -name '*.h' -o -name '*.h.in' \) | sed 's|^\./||; s|\.in$||')"

folders=()
for folder in src tools tests bench fuzz demo; do
  if [[ -d "$folder" ]]; then folders+=("$folder"); fi
done
find "${folders[@]}" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.cc' -o -name '*.c' \) \
    | sort | xargs awk -v standard="^($standard)\$" -v known="$known" '
  BEGIN {
    n = split(known, names, "\n")
    for (i = 1; i <= n; ++i) own[names[i]] = 1
  }
  function fail(why) {
    printf "%s:%d: %s\n", FILENAME, FNR, why > "/dev/stderr"
    failed = 1
  }
  /^[ \t]*#[ \t]*include/ {
    if (match($0, /"[^"]*"/)) {
      name = substr($0, RSTART + 1, RLENGTH - 2)
      folder = FILENAME
      sub(/\/[^\/]*$/, "", folder)
      sub(/^src\/?/, "", folder)
      if (name ~ /(^|\/)\.\.\//) {
        fail("\"" name "\": an include climbs out of its folder with \"../\"")
      } else if (FILENAME ~ /^src\// && !(name in own) && !((folder "/" name) in own)) {
        fail("\"" name "\" is no header of the project: a system header goes in <>, in platform/")
      }
    } else if (FILENAME ~ /^src\// && match($0, /<[^>]*>/)) {
      name = substr($0, RSTART + 1, RLENGTH - 2)
      # Each system calls itself; the PDF writer uses its own libraries.
      if (FILENAME ~ /^src\/platform\/(linux|win32)\//) next
      if (FILENAME ~ /^src\/pdf\// && name ~ /^(hb\.h|hb-[a-z-]+\.h|libdeflate\.h)$/) next
      if (name !~ standard) {
        fail("<" name "> is no standard C++ header: only platform/linux, platform/win32 and the PDF writer'"'"'s pdf/ (its libraries) include others")
      }
    }
  }
  END { exit failed }
' || { echo "check-includes: failed" >&2; exit 1; }
