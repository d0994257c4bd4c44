# One port at 888 with the lp printer driver loaded beside ppdev.
PORTS="0x378:7"

guest() {
    load parport_pc
    load ppdev
    load lp
    send_a lpuser
    run holder lpuser bytescope-cli watch --interval 10000 --duration 3 &
    sleep 1
    run second lpuser bytescope-cli read
    wait
    # The printer driver still prints once Bytescope has let go.
    run print root sh -c 'printf B >/dev/lp0'
}

check() {
    local port="Port: /dev/parport0 (ppdev, base 0x378, shared with the lp printer driver)"
    scenario lp-shared "lp loaded: the port is shared, said so, and sends \"A\"; lp prints after"
    expect "status line: shared with lp" [ "$(status data)" = "$port" ]
    sent_a
    expect "lp printed, status 0" [ "$(rc print)" = 0 ]
    expect "the port sent \"A\", then lp's \"B\"" [ "$(lpt 0x378)" = AB ]
    expect "ports: lp registered, usable, and the shared choice" [ "$(out ports)" = "$(printf '%s\n' \
"/dev/parport0: base 0x378, modes PCSPP,TRISTATE, devices lp, claimed by none, usable" "Bytescope would use ${port#Port: }")" ]

    scenario lp-holder "lp loaded and another program holding the port: start at once, named"
    expect "the holder shared the port" [ "$(status holder)" = "$port" ]
    expect "second program: simulated, names ppdev0" [ "$(status second)" = \
        "Simulated port: /dev/parport0 is in use by another program (ppdev0) - close that program" ]
    expect "it started at once (< 1 s)" [ "$(ms second)" -lt 1000 ]
    expect "the holder ran its 3 s undisturbed" grep -qE '^watch: [0-9]+ samples, 0 changes in 3\.' <(out holder)
}
