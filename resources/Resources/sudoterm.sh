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
pid_file=$work/pid
script=$work/run.sh
{
    printf '%s\n' '#!/bin/bash'
    printf 'echo $$ > %q\n' "$pid_file"
    printf 'echo %q\n' "$joined"
    printf '%s\n' "$joined"
    printf 'status=$?\n'
    printf 'echo $status > %q\n' "$status_file"
    printf 'echo; echo "Finished with exit status $status. Quillmark goes on without this window."\n'
    printf 'echo "Press Return to close it."\n'
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
# The window gets none of our output streams: whoever waits for this script
# must not end up waiting for the window, which may stay open for good.
case "$terminal" in
    gnome-terminal) "$terminal" -- /bin/bash "$script" </dev/null >/dev/null 2>&1 & ;;
    *) "$terminal" -e /bin/bash "$script" </dev/null >/dev/null 2>&1 & ;;
esac

# Some terminals return at once, others only when their window closes: the
# script itself tells when the commands have ended, and whether it still runs.
running() {
    local pid cmdline
    pid=$(cat "$pid_file" 2>/dev/null) || return 1
    case "$pid" in '' | *[!0-9]*) return 1 ;; esac
    # The process that runs our script, not another that got its number.
    cmdline=$(tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null) || return 1
    [[ "$cmdline" == *"$script"* ]]
}
waited=0
while [ ! -s "$status_file" ]; do
    sleep 0.2
    if [ ! -s "$pid_file" ]; then
        # The window never started the script.
        waited=$((waited + 1))
        [ "$waited" -lt 300 ] || exit 130
    elif ! running && [ ! -s "$status_file" ]; then
        # The window was closed before the commands ended.
        exit 130
    fi
done
status=$(cat "$status_file")
case "$status" in
    '' | *[!0-9]*) exit 1 ;;
esac
exit "$status"
