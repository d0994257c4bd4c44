# One port at 888 with the lp printer driver loaded beside ppdev.
PORTS="0x378:7"

guest() {
    load parport_pc
    load ppdev
    load lp
    run data lpuser bytescope-cli write data 65
    run strobe lpuser bytescope-cli write control 6
    run release lpuser bytescope-cli write control 7
    run settle lpuser bytescope-cli read --count 2
    run pins lpuser bytescope-cli pins
    run ports lpuser bytescope-cli ports
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
    expect "data 65, control 6 and 7 read back" [ "$(reading data | cut -d' ' -f2) \
$(reading strobe | cut -d' ' -f6) $(reading release | cut -d' ' -f6)" = "65 6 7" ]
    expect "lp printed, status 0" [ "$(rc print)" = 0 ]
    expect "the port sent \"A\", then lp's \"B\"" [ "$(lpt 0x378)" = AB ]
    expect "ports: lp registered, usable, shared" has ports \
        "/dev/parport0: base 0x378, modes PCSPP,TRISTATE, devices lp, claimed by none, usable"
    expect "ports: the shared choice" has ports "Bytescope would use ${port#Port: }"
    expect "pins: data 65, idle status, control 7" [ "$(levels pins)" = "$LEVELS_A" ]

    scenario lp-holder "lp loaded and another program holding the port: start at once, named"
    expect "the holder shared the port" [ "$(status holder)" = "$port" ]
    expect "second program: simulated, names ppdev0" [ "$(status second)" = \
        "Simulated port: /dev/parport0 is in use by another program (ppdev0) - close that program" ]
    expect "it started at once (< 1 s)" [ "$(ms second)" -lt 1000 ]
    expect "the holder ran its 3 s undisturbed" grep -qE '^watch: [0-9]+ samples, 0 changes in 3\.' <(out holder)
}
