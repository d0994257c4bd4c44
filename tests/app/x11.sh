# Sourced by the scripts that drive the program on a virtual X server.
fail() { echo "$*" >&2; exit 1; }
# window TITLE: the shown window titled so, waited for up to 10 s
window() { for _ in $(seq 100); do w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null) &&
    echo "${w%%[!0-9]*}" && return; sleep 0.1; done; fail "no window titled $1"; }
