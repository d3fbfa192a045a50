#!/bin/bash
# machine_trees.sh on trees of its own: an unchanged tree passes; an added,
# a removed and a changed entry, and a tree made where none was, each fail
# the comparison by name.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

mkdir -p "$work/a/web2c" "$work/b"
echo one >"$work/a/ls-R"
echo cfg >"$work/a/web2c/updmap.cfg"
echo gone >"$work/b/old.map"
touch -d '2020-01-01 00:00:00' "$work/a/ls-R" "$work/a/web2c/updmap.cfg" "$work/b/old.map" "$work/a/web2c" "$work/a" "$work/b"
export QLK_MACHINE_TREES="$work/a:$work/b:$work/c"

"$here/machine_trees.sh" record "$work/before.txt" >/dev/null || fail "record"
out=$("$here/machine_trees.sh" compare "$work/before.txt") || fail "unchanged trees reported: $out"

echo longer >"$work/a/web2c/updmap.cfg"       # new size
echo new >"$work/a/web2c/qlkx.map"
rm "$work/b/old.map"
mkdir "$work/c"
out=$("$here/machine_trees.sh" compare "$work/before.txt") && fail "changes not reported"
echo "$out"
for line in "changed: $work/a/web2c/updmap.cfg (f, 4 bytes" \
            "added:   $work/a/web2c/qlkx.map (f, 4 bytes" \
            "removed: $work/b/old.map (was f, 5 bytes" \
            "changed: $work/c (missing -> d," \
            "changed: $work/a/web2c (d,"; do
    grep -qF -- "$line" <<<"$out" || fail "not reported: $line"
done
echo "machine_trees.sh reports each change"
