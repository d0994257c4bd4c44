# One port at 888 with the lp printer driver loaded beside ppdev.
PORTS="0x378:7"

guest() {
    load parport_pc ppdev lp
    send_a lpuser
    run holder lpuser bytescope-cli watch --interval 10000 --duration 3 &
    sleep 1
    run second lpuser bytescope-cli read
    wait
    # The printer driver still prints once Bytescope has let go.
    run print root sh -c 'printf B >/dev/lp0'
}

check() {
    local port="/dev/parport0 (ppdev, base 0x378, shared with the lp printer driver)"
    scenario lp-shared "lp loaded: the port is shared, said so, and sends \"A\"; lp prints after"
    is "$(status data)|$(rc print)|$(lpt 0x378)" "Port: $port|0|AB"
    sent_a
    is "$(out ports)" "/dev/parport0: base 0x378, modes PCSPP,TRISTATE, devices lp, claimed by none, usable
Bytescope would use $port"

    scenario lp-holder "lp loaded and another program holding the port: start at once, named"
    is "$(status holder)|$(status second)" \
        "Port: $port|Simulated port: /dev/parport0 is in use by another program (ppdev0) - close that program$no_hw"
    ok [ "$(ms second)" -lt 1000 ]
    ok grep -qE '^watch: [0-9]+ samples, 0 changes in 3\.' <(err holder)
}
