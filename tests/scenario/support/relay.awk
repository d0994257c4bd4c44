# Wine's relay trace of the program's drawing calls (gdi32.TextOutA, gdi32.SetTextColor,
# user32.DrawTextA, user32.BeginPaint) in thread `tid` as the scenario's drawing log: "paint" for
# each BeginPaint of the main window `hwnd`, "X Y #rrggbb TEXT" for each text, DrawTextA's lines
# with X and Y 0. A paint starts in black, the text colour of a fresh DC. The program's texts
# hold no quotes or commas.
function hex(s, i, v) {
    v = 0
    for (i = 1; i <= length(s); i++)
        v = v * 16 + index("0123456789abcdef", tolower(substr(s, i, 1))) - 1
    return v
}
function arg(n, a) { split(substr($0, index($0, "(") + 1), a, ","); return a[n] }
index($0, tid ":Call ") != 1 { next }
/ user32\.BeginPaint\(/ && arg(1) == hwnd { print "paint"; colour = "#000000" }
/ gdi32\.SetTextColor\(/ {
    c = arg(2)
    colour = "#" substr(c, 7, 2) substr(c, 5, 2) substr(c, 3, 2)
}
/ gdi32\.TextOutA\(/ && match($0, /"[^"]*"/) {
    text = substr($0, RSTART + 1, RLENGTH - 2)
    count = hex(substr($0, RSTART + RLENGTH + 1, 8))
    print hex(arg(2)), hex(arg(3)), colour, substr(text, 1, count)
}
/ user32\.DrawTextA\(/ && match($0, /"[^"]*"/) {
    n = split(substr($0, RSTART + 1, RLENGTH - 2), lines, /\\n/)
    for (i = 1; i <= n; i++)
        if (lines[i] != "") print 0, 0, colour, lines[i]
}
