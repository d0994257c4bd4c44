# A port at 888 with no port driver loaded: only root's direct I/O reaches it.
PORTS="0x378:7"

guest() {
    run first root bytescope-cli read
    send_a root
    run user lpuser bytescope-cli read
    # watch samples while a second program strobes the data out once more
    run watch root bytescope-cli watch --interval 1000 --duration 3 &
    sleep 1
    run strobe2 root bytescope-cli write control 6
    run release2 root bytescope-cli write control 7
    wait
    # Once the kernel drives the port, direct I/O would go behind its back.
    load parport_pc
    run driver root bytescope-cli read
}

check() {
    scenario direct "root with no port driver: direct I/O sends \"A\"; watch sees a strobe"
    is "$(status data)|$(out ports)|$(lpt 0x378)" "Port: direct I/O at 0x378|Bytescope would use direct I/O at 0x378|AA"
    # untouched: data 0xAA, control 7; a user without root finds no port
    is "$(reading first | cut -d' ' -f1,2,5,6)|$(status user)" "10101010 170 00000111 7|Simulated port: no parallel port found"
    sent_a
    # watch, in microseconds: idle, the strobe (control 6, BUSY cleared), idle again; the status
    # between them depends on when it samples
    is "$(out watch | sed -nE 's/^[0-9:]{8}\.[0-9]{6} [01]{8} 65 [01]{8} (88|216) [01]{8} ([67])$/\1 \2/p' |
        grep -xE '88 7|216 6' | uniq | xargs)" "88 7 216 6 88 7"
    ok grep -qE '^watch: [0-9]+ samples, [1-9][0-9]* changes in 3\.' <(out watch)

    scenario direct-behind-driver "root, parport_pc loaded without ppdev: no direct I/O behind it"
    is "$(status driver)" "Simulated port: parport0 has no device file - load the ppdev module (sudo modprobe ppdev)"
}
