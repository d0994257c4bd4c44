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
    expect "status line: direct I/O" [ "$(status data)" = "Port: direct I/O at 0x378" ]
    expect "untouched port: data 0xAA, control 7" [ "$(reading first | cut -d' ' -f1,2,5,6)" = \
        "10101010 170 00000111 7" ]
    # direct I/O reads control bits 6-7 as set (0xCC); pins take the low four
    sent_a
    expect "the port sent \"A\", then \"A\" again" [ "$(lpt 0x378)" = AA ]
    expect "ports: no kernel port, direct I/O" [ "$(out ports)" = "Bytescope would use direct I/O at 0x378" ]
    expect "a user without root: no port found" [ "$(status user)" = "Simulated port: no parallel port found" ]
    expect "watch saw control 6 with status 216, then 7" grep -qE ' [01]{8} 216 00000110 6$' <(out watch)
    expect "watch saw control 7 again" grep -qE ' 00000111 7$' <(out watch | tail -n +2)
    expect "watch: a summary with changes" grep -qE '^watch: [0-9]+ samples, [1-9][0-9]* changes in 3\.' <(out watch)
    expect "microsecond time stamps" grep -qE '^[0-9:]{8}\.[0-9]{6} ' <(out watch)

    scenario direct-behind-driver "root, parport_pc loaded without ppdev: no direct I/O behind it"
    expect "simulated port, load ppdev" [ "$(status driver)" = \
        "Simulated port: parport0 has no device file - load the ppdev module (sudo modprobe ppdev)" ]
}
