# One port at 888 under parport_pc and ppdev, /dev/parport0 root:lp 0660.
PORTS="0x378:7"

guest() {
    load parport_pc
    load ppdev
    run claim lpuser bytescope-cli read
    send_a lpuser
    run outsider other bytescope-cli read
    run outsider-ports other bytescope-cli ports
    run refused lpuser bytescope-cli write control 16
    # A second program while the first holds the port for three seconds.
    run holder lpuser bytescope-cli watch --interval 10000 --duration 3 &
    sleep 1
    run second lpuser bytescope-cli read
    run second-root root bytescope-cli write data 66
    run busy-ports lpuser bytescope-cli ports
    wait
    # A watch without an end, stopped from outside, still gives the port back.
    run stopped lpuser timeout 2 bytescope-cli watch --interval 10000
    run after lpuser bytescope-cli read
}

check() {
    local port="Port: /dev/parport0 (ppdev, base 0x378)"
    local held="Simulated port: /dev/parport0 is in use by another program (ppdev0) - close that program"
    scenario 888-strobe "write data 65, then control 6 and 7, sends \"A\"; readings show them"
    expect "status line names the port at 888" [ "$(status data)" = "$port" ]
    expect "the claim leaves control 7 (0x0C), idle status 0xD8 reads 88" \
        [ "$(reading claim | cut -d' ' -f3-)" = "01011000 88 00000111 7" ]
    sent_a
    expect "then the acknowledge: 152, idle 88" [ "$(out settle | cut -d' ' -f5 | xargs)" = "152 88" ]
    expect "the port sent exactly \"A\"" [ "$(lpt 0x378)" = A ]
    expect "a reading line is HH:MM:SS.mmm then six fields" \
        grep -qE '^[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}( [01]{8} [0-9]{1,3}){3}$' <(out data)
    expect "control 16 is refused, status 2" [ "$(err refused)/$(rc refused)" = "INVALID ENTRY: 16/2" ]

    scenario 888-users "a user in group lp uses the port; one outside gets the simulated port"
    expect "lpuser's commands succeed" [ "$(rc claim)$(rc data)$(rc strobe)$(rc release)" = 0000 ]
    expect "other: simulated port, fix group lp" grep -qx "Simulated port: /dev/parport0 \
permission denied - add your user to group lp .*" <(status outsider)
    expect "other reads the simulated port" [ "$(reading outsider)" = "00000000 0 11111000 248 00000111 7" ]
    expect "ports tells other why and the fix" has outsider-ports "/dev/parport0: base 0x378, modes \
PCSPP,TRISTATE, devices none, claimed by none, not usable: /dev/parport0 permission denied - add your user to group lp"

    scenario 888-holder "another program holds the port: start at once, simulated, holder named"
    expect "the holder had the port" [ "$(status holder)" = "$port" ]
    expect "second program and root: simulated, names ppdev0" \
        [ "$(status second)/$(status second-root)" = "$held/$held" ]
    expect "both started at once (< 1 s)" [ "$(ms second)" -lt 1000 -a "$(ms second-root)" -lt 1000 ]
    expect "root's write reached the simulated port" [ "$(reading second-root | cut -d' ' -f2)" = 66 ]
    expect "the holder ran its 3 s undisturbed" grep -qE '^watch: [0-9]+ samples, 0 changes in 3\.' <(out holder)
    expect "ports names the holder" has busy-ports "devices ppdev0, claimed by ppdev0"
    expect "ports says the simulated port would be used" has busy-ports "Bytescope would use the \
simulated port: /dev/parport0 is in use by another program (ppdev0)"
    expect "a watch stopped by SIGTERM ends with 0" [ "$(rc stopped)" = 0 ]
    expect "the port is free again afterwards" [ "$(status after)" = "$port" ]
    expect "nothing else left the port" [ "$(lpt 0x378)" = A ]

    scenario 888-ports-pins "ports lists the port and the choice; pins show data 65, control 7"
    expect "ports: the port and the choice" [ "$(out ports)" = "$(printf '%s\n' "/dev/parport0: base \
0x378, modes PCSPP,TRISTATE, devices none, claimed by none, usable" "Bytescope would use ${port#Port: }")" ]
}
