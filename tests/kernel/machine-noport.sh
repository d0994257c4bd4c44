# No parallel port at all.
PORTS=""

guest() {
    run bare-root root bytescope-cli read
    load parport_pc ppdev
    run user lpuser bytescope-cli read
    run root root bytescope-cli read
    run pins lpuser bytescope-cli pins
    run ports lpuser bytescope-cli ports
}

check() {
    local none="no parallel port found"
    scenario no-port "no port: a user in group lp gets the simulated port, \"no parallel port found\""
    is "$(status user)|$(out ports)" "Simulated port: $none$no_hw|Bytescope would use the simulated port: $none"
    # the simulated port: data 0, status 0x78 (every input high), control 0x0C
    is "$(levels pins)" "1H 2L 3L 4L 5L 6L 7L 8L 9L 10H 11H 12H 13H 14H 15H 16H 17L 18G 19G 20G 21G 22G 23G 24G 25G "

    scenario no-port-root "no port: root gets no direct I/O on an empty bus either"
    is "$(status root)|$(status bare-root)" "Simulated port: $none$no_hw|Simulated port: $none$no_hw"
}
