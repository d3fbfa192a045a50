#!/bin/bash
# Runs command lines with administrator rights and waits for them.
# One argument: the command lines, separated by TAB, run one after another
# in their order; the first that fails stops the rest, and its exit status
# is ours.
set -u
commands=${1-}
[ -n "$commands" ] || exit 0

run_lines() {
    local IFS=$'\t' line
    for line in $1; do
        [ -n "$line" ] || continue
        /bin/bash -c "$line" </dev/null || return $?
    done
    return 0
}

if [ "$(id -u)" -eq 0 ]; then
    # Already root: no sudo needed.
    commands=${commands//\/usr\/bin\/sudo -H /}
    commands=${commands//\/usr\/bin\/sudo /}
    run_lines "$commands"
    exit $?
fi

if command -v pkexec >/dev/null 2>&1; then
    exec pkexec /bin/bash "$0" "$commands"
fi
echo "Neither root nor pkexec: cannot run commands with administrator rights." >&2
exit 126
