# No parallel port at all.
PORTS=""

guest() {
    run bare-root root bytescope-cli read
    load parport_pc
    load ppdev
    run user lpuser bytescope-cli read
    run root root bytescope-cli read
    run pins lpuser bytescope-cli pins
    run ports lpuser bytescope-cli ports
}

check() {
    local none="Simulated port: no parallel port found"
    scenario no-port "no port: a user in group lp gets the simulated port, \"no parallel port found\""
    expect "status line: no port found" [ "$(status user)" = "$none" ]
    expect "ports: nothing but the simulated choice" [ "$(out ports)" = \
        "Bytescope would use the simulated port: no parallel port found" ]
    # the simulated port: data 0, status 0x78 (every input high), control 0x0C
    expect "pins: the simulated port's levels" [ "$(levels pins)" = "1H 2L 3L 4L 5L 6L 7L 8L 9L \
10H 11H 12H 13H 14H 15H 16H 17L 18G 19G 20G 21G 22G 23G 24G 25G " ]

    scenario no-port-root "no port: root gets no direct I/O on an empty bus either"
    expect "with the drivers loaded: no port found" [ "$(status root)" = "$none" ]
    expect "without drivers: no port found" [ "$(status bare-root)" = "$none" ]
}
