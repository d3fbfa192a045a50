#!/bin/bash
# Runs command lines visibly in a terminal window, where sudo can ask for
# the password, and waits until they have ended. One argument: the command
# lines, separated by TAB. The exit status of the commands is ours.
set -u
commands=${1-}
[ -n "$commands" ] || exit 0

# Joined with && so that a failing step stops the rest.
# (quoted: bash 5.2 would read a bare & in the replacement as the match)
and=' && '
joined=${commands//$'\t'/"$and"}

if [ "$(id -u)" -eq 0 ]; then
    # Already root: run the commands directly, without a window. sudo in
    # command position runs its command; a path that merely holds the text
    # "/usr/bin/sudo " is left alone.
    /bin/bash -c $'function /usr/bin/sudo { [ "${1-}" = -H ] && shift; "$@"; }\n'"$joined" </dev/null
    exit $?
fi

# A private folder: nobody else can plant or swap the status file.
work=$(mktemp -d "${TMPDIR:-/tmp}/qlkterm.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
status_file=$work/status
script=$work/run.sh
{
    printf '%s\n' '#!/bin/bash'
    printf 'echo %q\n' "$joined"
    printf '%s\n' "$joined"
    printf 'status=$?\n'
    printf 'echo; echo "Finished with exit status $status. Press Return to close this window."\n'
    printf 'echo $status > %q\n' "$status_file"
    printf 'read -r _\n'
} > "$script"
chmod 700 "$script"

terminal=""
for t in x-terminal-emulator gnome-terminal konsole xfce4-terminal xterm; do
    if command -v "$t" >/dev/null 2>&1; then terminal=$t; break; fi
done
if [ -z "$terminal" ]; then
    echo "No terminal emulator found." >&2
    exit 127
fi
case "$terminal" in
    gnome-terminal) "$terminal" -- /bin/bash "$script" & ;;
    *) "$terminal" -e /bin/bash "$script" & ;;
esac

# Some terminals return at once: wait for the status the script writes.
while [ ! -s "$status_file" ]; do
    sleep 1
    # The window was closed before the commands ended.
    if command -v pgrep >/dev/null 2>&1 && ! pgrep -f -- "$script" >/dev/null 2>&1 &&
        [ ! -s "$status_file" ]; then
        sleep 1
        [ -s "$status_file" ] || exit 130
    fi
done
status=$(cat "$status_file")
case "$status" in
    '' | *[!0-9]*) exit 1 ;;
esac
exit "$status"
