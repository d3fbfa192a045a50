#!/bin/bash
# Runs command lines with administrator rights and waits for them.
# One argument: the command lines, separated by TAB, run one after another
# in their order; the first that fails stops the rest, and its exit status
# is ours.
set -u
commands=${1-}
[ -n "$commands" ] || exit 0

# sudo in command position runs its command directly (we are root); a path
# that merely holds the text "/usr/bin/sudo " is left alone.
as_root='function /usr/bin/sudo { [ "${1-}" = -H ] && shift; "$@"; }'

run_lines() {
    local IFS=$'\t' line
    # Split at TABs only: a "*" in a command line is not a file pattern here.
    set -f
    for line in $1; do
        [ -n "$line" ] || continue
        /bin/bash -c "$as_root"$'\n'"$line" </dev/null || return $?
    done
    return 0
}

if [ "$(id -u)" -eq 0 ]; then
    run_lines "$commands"
    exit $?
fi

if command -v pkexec >/dev/null 2>&1; then
    exec pkexec /bin/bash "$0" "$commands"
fi
echo "Neither root nor pkexec: cannot run commands with administrator rights." >&2
exit 126
