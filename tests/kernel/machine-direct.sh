# A port at 888 with no port driver loaded: only root's direct I/O reaches it.
PORTS="0x378:7"

guest() {
    run first root bytescope-cli read
    send_a root
    run user lpuser bytescope-cli read
    # watch samples and traces while a second program strobes the data out once more, then
    # writes three other values
    run watch root bytescope-cli watch --interval 1000 --duration 3 --vcd /tmp/trace.vcd &
    sleep 1
    run strobe2 root bytescope-cli write control 6
    run release2 root bytescope-cli write control 7
    for value in 1 128 90; do sleep 0.2; run set root bytescope-cli write data $value; done
    wait
    run trace root cat /tmp/trace.vcd
    # nothing drives PAPER-OUT (pin 12) or SELECT (13, high)
    run no-edge root bytescope-cli wait 12 either --timeout 1
    run holds root bytescope-cli wait SELECT high
    # Once the kernel drives the port, direct I/O would go behind its back.
    load parport_pc
    run driver root bytescope-cli read
}

check() {
    scenario direct "root with no port driver: direct I/O sends \"A\"; watch sees a strobe"
    is "$(status data)|$(out ports)|$(lpt 0x378)" "Port: direct I/O at 0x378|Bytescope would use direct I/O at 0x378|AA"
    # untouched: data 0xAA, control 7; a user without root finds no port
    is "$(reading first | cut -d' ' -f1,2,5,6)|$(status user)" "10101010 170 00000111 7|Simulated port: no parallel port found$no_hw"
    sent_a
    # watch, in microseconds: idle, the strobe (control 6, BUSY cleared), idle again; the status
    # between them depends on when it samples
    is "$(out watch | sed -nE 's/^[0-9:]{8}\.[0-9]{6} [01]{8} 65 [01]{8} (88|216) [01]{8} ([67])$/\1 \2/p' |
        grep -xE '88 7|216 6' | uniq | xargs)" "88 7 216 6 88 7"
    ok grep -qE '^watch: [0-9]+ samples, [1-9][0-9]* changes in 3\.' <(err watch)

    scenario direct-trace "watch --vcd traces the data written meanwhile; wait on inputs held still"
    out trace >"$machine_out/trace.vcd"
    # the data (D0 = p2_D0 ... D7 = p9_D7) and pin 1 at each change, as sigrok-cli reads the trace
    is "$(sigrok-cli -I vcd:compress=10 -i "$machine_out/trace.vcd" -O csv:dedup=true:header=false:label=channel |
        awk -F, '/^p1_/ {for (i = 1; i <= NF; i++) col[$i] = i} /^[01,]+$/ {
            v = 0; for (b = 7; b >= 0; b--) v = 2 * v + $col["p" (b + 2) "_D" b]; print v ":" $col["p1_nSTROBE"]}' |
        uniq | xargs)" "65:1 65:0 65:1 1:1 128:1 90:1"
    ok grep -qxE '#(29|30)[0-9]{5}' <(out trace | tail -1) # its end in us, about 3 s in
    is "$(rc no-edge) $(err no-edge | tail -1)|$(rc holds)" \
        "3 bytescope-cli: wait: 0 of 1 either edges on pin 12 (PAPER-OUT) within 1 s|0"
    ok [ "$(ms no-edge)" -ge 1000 -a "$(ms no-edge)" -lt 3000 -a "$(ms holds)" -lt 1000 ]

    scenario direct-behind-driver "root, parport_pc loaded without ppdev: no direct I/O behind it"
    is "$(status driver)" "Simulated port: parport0 has no device file - load the ppdev module (sudo modprobe ppdev)$no_hw"
}
