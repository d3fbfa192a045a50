#!/bin/bash
# The machine's own TeX trees, before and after the test run: no test may
# change them.
#   machine_trees.sh record FILE    writes type, size, modification time and
#                                   name of every entry under the trees
#   machine_trees.sh compare FILE   fails, listing each entry added, removed
#                                   or changed since FILE was written
set -u
action=${1-}
file=${2-}
if [ -z "$file" ] || { [ "$action" != record ] && [ "$action" != compare ]; }; then
    echo "usage: $0 record|compare FILE" >&2
    exit 2
fi

# QLK_MACHINE_TREES (folders separated by ":") replaces the list, for the
# check of this script itself.
if [ -n "${QLK_MACHINE_TREES-}" ]; then
    IFS=: read -r -a trees <<<"$QLK_MACHINE_TREES"
    users=()
else
    trees=(/var/lib/texmf /usr/local/share/texmf /etc/texmf /usr/share/texmf /usr/share/texlive)
    # Root's personal trees, and those of the user who runs the tests.
    users=(root "$(id -un)")
fi
for user in "${users[@]}"; do
    home=$(getent passwd "$user" | cut -d: -f6)
    [ -n "$home" ] || continue
    for t in texmf .texlive2022 .texmf-var .texmf-config; do
        [[ " ${trees[*]} " == *" $home/$t "* ]] || trees+=("$home/$t")
    done
done

# One line per entry: its name, a TAB, then its type, size and modification time.
listing() {
    local t
    for t in "${trees[@]}"; do
        # A missing tree is recorded as missing, so that making it counts too.
        if [ -e "$t" ] || [ -L "$t" ]; then
            find "$t" -printf '%p\t%y, %s bytes, modified %TF %TT\n'
        else
            printf '%s\tmissing\n' "$t"
        fi
    done | LC_ALL=C sort -t $'\t' -k1,1
}

case "$action" in
  record)
    listing >"$file" || exit 1
    echo "recorded $(wc -l <"$file") entries of the machine's TeX trees in $file"
    ;;
  compare)
    if [ ! -f "$file" ]; then
        echo "no record of the machine's TeX trees from before the run: $file" >&2
        exit 1
    fi
    after=$(mktemp)
    trap 'rm -f "$after"' EXIT
    listing >"$after"
    report=$(LC_ALL=C join -t $'\t' -a1 -a2 -e '-' -o '0,1.2,2.2' "$file" "$after" |
             awk -F'\t' '$2 != $3 {
                 if ($2 == "-") print "added:   " $1 " (" $3 ")"
                 else if ($3 == "-") print "removed: " $1 " (was " $2 ")"
                 else print "changed: " $1 " (" $2 " -> " $3 ")"
             }')
    if [ -n "$report" ]; then
        echo "The test run changed the machine's TeX trees ($(printf '%s\n' "$report" | wc -l) entries):"
        printf '%s\n' "$report"
        exit 1
    fi
    echo "the machine's TeX trees are as they were before the run ($(wc -l <"$after") entries)"
    ;;
esac
