#!/usr/bin/env bash
# scripts/check-includes.sh [BUILD_DIR]: every file of the project includes
# the standard C++ and C headers of what it uses.
#
# A file that uses std::sort or std::uint32_t while it includes only, say,
# <string> builds as long as the standard library happens to include
# <algorithm> or <cstdint> inside <string>, and fails on the next release
# of the compiler that stops doing so (GCC 14 did for several). This runs
# include-what-you-use (Debian's iwyu) over every file that BUILD_DIR
# (default build/) compiles, with its headers, and fails on each standard
# header a file should include and does not get from itself or from a
# header of this project that it includes. Other advice of iwyu's (project
# headers, forward declarations, includes to remove) is not checked.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
command -v iwyu_tool >/dev/null || { echo "check-includes.sh needs iwyu (sudo apt install iwyu)" >&2; exit 1; }
[ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json: build first" >&2; exit 1; }
report=$build/iwyu.log
# iwyu exits non-zero whenever it has advice, so its status says nothing here.
iwyu_tool -p "$build" -j "$(nproc)" -- -Xiwyu --no_fwd_decls -Xiwyu --max_line_length=400 >"$report" 2>&1 ||
    true
grep -q 'should add these lines:' "$report" ||
    { echo "iwyu gave no advice at all; its output:" >&2; tail -n 20 "$report" >&2; exit 1; }
python3 - "$here" "$report" <<'EOF'
import os, re, sys

root, report = sys.argv[1], sys.argv[2]
STANDARD = set("""algorithm any array atomic barrier bit bitset charconv chrono compare complex
concepts condition_variable coroutine deque exception execution expected filesystem format
forward_list fstream functional future iomanip ios iosfwd iostream istream iterator latch limits
list locale map memory memory_resource mutex new numbers numeric optional ostream queue random
ranges ratio regex scoped_allocator semaphore set shared_mutex source_location span sstream stack
stdexcept stop_token streambuf string string_view syncstream system_error thread tuple type_traits
typeindex typeinfo unordered_map unordered_set utility valarray variant vector version cassert
cctype cerrno cfenv cfloat cinttypes climits clocale cmath csetjmp csignal cstdarg cstddef cstdint
cstdio cstdlib cstring ctime cuchar cwchar cwctype""".split())
C_HEADERS = {"assert", "ctype", "errno", "fenv", "float", "inttypes", "limits", "locale", "math",
             "setjmp", "signal", "stdarg", "stddef", "stdint", "stdio", "stdlib", "string", "time",
             "uchar", "wchar", "wctype"}
# Names iwyu asks a header for that the standard makes sure come with the
# header that declares what they belong to: the types in the signatures of
# std::move and std::as_const, the comparison categories of <=>, a map's
# default comparison, an allocator's traits, std::size_t (every header
# whose interface has it declares it), std::errc (<charconv>'s results hold
# one), and braced lists (every container includes <initializer_list>).
IMPLIED = {"remove_reference", "add_const", "strong_ordering", "weak_ordering", "partial_ordering",
           "common_comparison_category", "common_comparison_category_t", "operator<", "operator<=>", "less", "allocator_traits",
           "size_t", "errc", "initializer_list"}


def standard(header):
    if header in STANDARD:
        return header
    if header.endswith(".h") and header[:-2] in C_HEADERS:
        return "c" + header[:-2]
    return None


include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
parsed = {}


def includes(path):
    if path not in parsed:
        try:
            with open(path, encoding="utf-8") as f:
                parsed[path] = include.findall(f.read())
        except OSError:
            parsed[path] = []
    return parsed[path]


def resolve(name, source):
    for folder in (os.path.dirname(source), *(os.path.join(root, d) for d in ("src", "apps", "tests", ""))):
        path = os.path.normpath(os.path.join(folder, name))
        if os.path.isfile(path):
            return path
    return None


def reached(path):
    """The standard headers that path and the project's headers it includes include."""
    found, seen, todo = set(), {path}, [path]
    while todo:
        current = todo.pop()
        for kind, name in includes(current):
            if kind == "<":
                if standard(name):
                    found.add(standard(name))
            elif (header := resolve(name, current)) and header not in seen:
                seen.add(header)
                todo.append(header)
    return found


missing = set()
text = open(report, encoding="utf-8", errors="replace").read()
for advice in re.finditer(r"^(\S+) should add these lines:\n(.*?)\n\n", text, re.M | re.S):
    path = os.path.normpath(advice.group(1))
    if not path.startswith(root + os.sep) or os.path.relpath(path, root).startswith("build"):
        continue
    for line in advice.group(2).splitlines():
        wanted = re.match(r"#include <([^>]+)>\s*(?://\s*for (.*))?", line)
        header = wanted and standard(wanted.group(1))
        if not header:
            continue
        names = {n.strip().split("<")[0] for n in (wanted.group(2) or "").split(",")} - {""}
        names = {re.sub(r"^.*::", "", n) for n in names}
        # Operators, default allocators and the library's own helpers come
        # with the types they work on.
        names = {n for n in names if not n.startswith(("operator", "__")) and n != "allocator"}
        if header == "initializer_list" or not names or names <= IMPLIED:
            continue
        # iwyu sometimes names a header that merely mentions a type (<format>
        # for vector); what has a header of its own name, reached, is there.
        if all(n in IMPLIED or (n in STANDARD and n in reached(path)) for n in names):
            continue
        if header not in reached(path):
            missing.add((os.path.relpath(path, root), header, ", ".join(sorted(names - IMPLIED))))
for path, header, names in sorted(missing):
    print(f"{path}: add #include <{header}> (for {names})")
if missing:
    print(f"{len(missing)} standard headers not included where they are used", file=sys.stderr)
    sys.exit(1)
print("every file includes the standard headers of what it uses")
EOF
