# Two ports, 0x278 and 888, where the kernel makes 0x278 parport0 and 888 parport1.
PORTS="0x378:7 0x278:5"

guest() {
    load parport_pc
    load ppdev
    run base0 root cat /proc/sys/dev/parport/parport0/base-addr
    run other-data lpuser bytescope-cli --port /dev/parport0 write data 66
    run other-strobe lpuser bytescope-cli --port /dev/parport0 write control 6
    run other-release lpuser bytescope-cli --port /dev/parport0 write control 7
    send_a lpuser
}

check() {
    scenario two-ports "888 as parport1 beside 0x278: the one at 888 is used; --port picks the other"
    expect "parport0 is the port at 0x278" [ "$(out base0)" = "$(printf '632\t0')" ]
    expect "status line: parport1 at 888" [ "$(status data)" = "Port: /dev/parport1 (ppdev, base 0x378)" ]
    expect "--port /dev/parport0: the port at 0x278" [ "$(status other-data)" = \
        "Port: /dev/parport0 (ppdev, base 0x278)" ]
    expect "the port at 888 sent \"A\"" [ "$(lpt 0x378)" = A ]
    expect "the port at 0x278 sent \"B\"" [ "$(lpt 0x278)" = B ]
    sent_a
    expect "ports: both, in number order, and the choice" [ "$(out ports | cut -d, -f1)" = \
"$(printf '%s\n' '/dev/parport0: base 0x278' '/dev/parport1: base 0x378' 'Bytescope would use /dev/parport1 (ppdev')" ]
}
