# The scenario's Linux back end, sourced by run.sh: the real program with two libraries preloaded,
# a port stand-in behind its ppdev backend (fake_ppdev.cpp) and a probe that writes down what it
# shows (screen_probe.cpp). Each function answers what run.sh asks of a build.
start() {
    rm -rf "$out/port" && mkdir "$out/port" && : >"$out/draw.log"
    SCENARIO_PORT_DIR=$out/port SCENARIO_DRAW_LOG=$out/draw.log \
        LD_PRELOAD=$support/libscenario_fake_ppdev.so:$support/libscenario_screen_probe.so \
        "$program" 2>>"$out/stderr.log" &
    pid=$!
}
active() { xdotool getwindowfocus getwindowname 2>/dev/null; }
accesses() { cat "$out/port/access.log" 2>/dev/null || true; }
# The main window's client area is the plain widget right inside it; the status bar is in that.
drawing() {
    awk -F'|' '$1 == "Bytescope" && $2 == "QWidget" && $3 == 1 && $4 != "text" {
        print ($4 == "paint" ? "paint" : $5 " " $6 " " $7 " " $8) }' "$out/draw.log"
}
status() {
    awk -F'|' '$1 == "Bytescope" && $3 == 2 && $4 == "draw" { t = $8 } END { print t }' \
        "$out/draw.log"
}
# What the window showed since the last key (its controls' texts and the texts drawn).
texts() {
    tail -n +"$mark" "$out/draw.log" | awk -F'|' -v w="$1" '$1 == w && $4 != "paint" { print $8 }'
}
# Without a window manager, the close box's request: WM_DELETE_WINDOW.
closebox() { "$support/scenario_close_window" "$(xdotool search --name "^$1\$" | head -1)"; }
