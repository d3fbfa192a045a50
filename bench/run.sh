#!/bin/bash
# Runs each benchmark program against the plain tools doing the same work,
# with hyperfine, in a throw-away HOME and TeX trees, and prints the ratio
# of the median times (program / plain tools) and the goal for each.
#
#   bench/run.sh [build folder]      (default: build)
#
# Needs hyperfine (Debian package), sqlite3, dvitype and /usr/bin/time.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
runs=${RUNS:-7}
for tool in hyperfine sqlite3 dvitype tex; do
    command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# hyperfine and the generated anchor scripts take these paths as words of a
# command line: refuse paths that would need quoting there.
plain() { case "$1" in *[!A-Za-z0-9_./+-]*) echo "run.sh: $1 must be a plain path (letters, digits, _ . / + -)" >&2; exit 1;; esac; }
plain "$work"
plain "$build"
export HOME=$work/home TEXMFHOME=$work/home/texmf TEXMFVAR=$work/home/texmf-var \
       TEXMFCONFIG=$work/home/texmf-config QT_QPA_PLATFORM=offscreen
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_DOCUMENTS_DIR
mkdir -p "$HOME"

# hyperfine's median of each command: program, then plain tools.
compare() { # name goal program-command anchor-command
    local name=$1 goal=$2
    hyperfine -N --warmup 1 --runs "$runs" --export-json "$work/$name.json" "$3" "$4" >"$work/$name.log" 2>&1 ||
        { cat "$work/$name.log"; exit 1; }
    python3 - "$work/$name.json" "$name" "$goal" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
p, a = r[0]["median"], r[1]["median"]
print(f"{sys.argv[2]:<10} program {p:7.3f} s   plain tools {a:7.3f} s   ratio {p / a:5.2f}   goal <= {sys.argv[3]}")
PY
}

# 1. Start-up to "Finished Setupwin" against the queries it needs.
cat >"$work/startup.sh" <<'SH'
kpsewhich -var-value=SELFAUTOPARENT
kpsewhich -var-value=TEXMF
kpsewhich '-expand-var=$TEXMFCONFIG
$TEXMFVAR
$TEXMFHOME
$TEXMFSYSCONFIG
$TEXMFSYSVAR
$TEXMFLOCAL
$TEXMFDIST'
kpsewhich -all updmap.cfg
kpsewhich pdftex.map
kpsewhich -all pdftex.map
tex --version
id -Gn
SH
compare startup 1.0 "$build/bench/bench_startup" "bash $work/startup.sh"

# 2. Examine DVI: the full listing of a DVI of 3000 plain TeX paragraphs,
# shown and saved, against dvitype.
mkdir -p "$work/dvi"
cat >"$work/dvi/doc.tex" <<'TEX'
\newcount\n
\def\para{Quillmark lists every instruction of a device-independent file,
with the characters each one sets and the fonts it selects, so that a
reader can see what \TeX\ wrote. {\it Italic words} and {\bf bold words}
change the font now and then, and numbers such as \number\n\ show which
paragraph this is.\par}
\loop\advance\n by 1 \para\ifnum\n<3000 \repeat
\bye
TEX
(cd "$work/dvi" && tex -interaction=batchmode doc.tex >/dev/null)
compare dvi 1.0 "$build/bench/bench_dvi $work/dvi/doc.dvi" "bash -c 'dvitype $work/dvi/doc.dvi >$work/dvi/doc.typ'"
# Memory: the largest resident size, and what the listing adds to that of
# a one-page DVI (the program and Qt themselves).
printf '\\shipout\\hbox{x}\\end\n' >"$work/dvi/tiny.tex"
(cd "$work/dvi" && tex -interaction=batchmode tiny.tex >/dev/null)
base=$(/usr/bin/time -f %M "$build/bench/bench_dvi" "$work/dvi/tiny.dvi" 2>&1 >/dev/null | tail -n1)
rss=$(/usr/bin/time -f %M "$build/bench/bench_dvi" "$work/dvi/doc.dvi" 2>&1 >/dev/null | tail -n1)
listing=$(stat -c %s "$work/dvi/doc.sav")
echo "dvi        file $(stat -c %s "$work/dvi/doc.dvi") bytes, listing $listing bytes, largest memory" \
     "$((rss / 1024)) MiB, $(((rss - base) / 1024)) MiB over a one-page file" \
     "($(python3 -c "print(f'{($rss - $base) * 1024 / $listing:.1f}')")x the listing, goal <= 4)"

# A crafted DVI of a million one-byte instructions (push, pop, ...): a row
# for every byte, the most rows a file of its size can give.
python3 - "$work/dvi/million.dvi" <<'PY'
import struct, sys
data = bytes([247, 2]) + struct.pack('>III', 25400000, 473628672, 1000) + bytes([0])
data += bytes([141, 142]) * 500000 + bytes([249])
open(sys.argv[1], 'wb').write(data)
PY
rss=$(/usr/bin/time -f %M "$build/bench/bench_dvi" "$work/dvi/million.dvi" 2>&1 >/dev/null | tail -n1)
echo "dvi        crafted file $(stat -c %s "$work/dvi/million.dvi") bytes of one-byte instructions," \
     "largest memory $((rss / 1024)) MiB (goal: a few hundred MB at most)"

# 3. TeXFonts.db against one kpsewhich, cat of the same maps and sqlite3 .import.
maps="supplier typeface variant special adobe urw bitstrea monotype itc linotype linotype-cd apple dtc softkey softkey-1250 softkey-1555 yandy"
cat >"$work/fontdb.sh" <<SH
rm -f $work/anchor.db
kpsewhich $(for m in $maps; do printf '%s.map ' "$m"; done) | xargs cat | grep -v '^@' | tr -s ' \t' '\t\t' | cut -f1-4 >$work/all.tsv
sqlite3 $work/anchor.db 'CREATE TABLE t(a,b,c,d);' '.mode tabs' '.import $work/all.tsv t'
SH
compare fontdb 1.25 "$build/tools/make_texfonts_db $work/bench.db $work/bench.txt" "bash $work/fontdb.sh"

# 4. The Examine TFM catalogue opened 20 times in one process over
# TEXMFDIST's ls-R, against 20 runs of grep counting its TFM files.
dist=$(kpsewhich -var-value=TEXMFDIST)
plain "$dist"
[ -f "$dist/ls-R" ] || { echo "run.sh: $dist has no ls-R" >&2; exit 1; }
cat >"$work/tfm.sh" <<SH
for i in {1..20}; do grep -c '\\.tfm\$' $dist/ls-R; done >/dev/null
SH
compare tfm 1.5 "$build/bench/bench_tfm 20 $dist" "bash $work/tfm.sh"

# 5. findInTrees("uplr8a*") against find over the same roots.
trees=() roots=()
for v in TEXMFVAR TEXMFHOME TEXMFSYSVAR TEXMFSYSCONFIG TEXMFLOCAL TEXMFDIST; do
    d=$(kpsewhich -var-value=$v)
    trees+=("$d")
    [ "$v" = TEXMFVAR ] && d=$(dirname "$d")
    [ -d "$d" ] && roots+=("$d")
done
for d in "${trees[@]}"; do plain "$d"; done
compare search 1.0 "$build/bench/bench_search 'uplr8a*' ${trees[*]}" "find ${roots[*]} -iname 'uplr8a*'"
