# Two ports, 0x278 and 888, where the kernel makes 0x278 parport0 and 888 parport1.
PORTS="0x378:7 0x278:5"

guest() {
    load parport_pc ppdev
    run base0 root cat /proc/sys/dev/parport/parport0/base-addr
    send_a lpuser other- "--port /dev/parport0"
    send_a lpuser
}

check() {
    scenario two-ports "888 as parport1 beside 0x278: the one at 888 is used; --port picks the other"
    is "$(out base0)|$(status data)|$(status other-data)|$(lpt 0x378)|$(lpt 0x278)" \
        "$(printf '632\t0')|Port: /dev/parport1 (ppdev, base 0x378)|Port: /dev/parport0 (ppdev, base 0x278)|A|A"
    sent_a
    is "$(out ports | cut -d, -f1)" "/dev/parport0: base 0x278
/dev/parport1: base 0x378
Bytescope would use /dev/parport1 (ppdev"
}
