# One port at 888 under parport_pc and ppdev, /dev/parport0 root:lp 0660.
PORTS="0x378:7"

guest() {
    load parport_pc ppdev
    run claim lpuser bytescope-cli read
    send_a lpuser
    run outsider other bytescope-cli read
    run outsider-ports other bytescope-cli ports
    # A second program while the first holds the port for three seconds.
    run holder lpuser bytescope-cli watch --interval 10000 --duration 3 &
    sleep 1
    run second lpuser bytescope-cli read
    run second-root root bytescope-cli write data 66
    run busy-ports lpuser bytescope-cli ports
    wait
    # A watch without an end, stopped from outside while it sleeps, still gives the port back.
    run stopped lpuser timeout 2 bytescope-cli watch --interval 700000
    run after lpuser bytescope-cli read
    # A pulse cut short by Ctrl+C still ends on its rest value (0 for data).
    run cut lpuser timeout -s INT 1 bytescope-cli pulse data 255 --width 10s
    run rested lpuser bytescope-cli read
}

check() {
    local port="Port: /dev/parport0 (ppdev, base 0x378)" list="/dev/parport0: base 0x378, modes PCSPP,TRISTATE"
    local denied="/dev/parport0 permission denied - add your user to group lp (sudo usermod -aG lp \$USER, then \
log in again)" held="/dev/parport0 is in use by another program (ppdev0) - close that program"
    scenario 888-strobe "write data 65, then control 6 and 7, sends \"A\"; readings show them"
    is "$(status data)|$(reading claim | cut -d' ' -f3-)|$(lpt 0x378)" "$port|01011000 88 00000111 7|A"
    sent_a
    is "$(out settle | cut -d' ' -f5 | xargs)" "152 88"

    scenario 888-users "a user in group lp uses the port; one outside gets the simulated port"
    is "$(rc claim)$(rc data)$(rc strobe)$(rc release)|$(status outsider)|$(reading outsider)" \
        "0000|Simulated port: $denied$no_hw|00000000 0 11111000 248 00000111 7"
    is "$(out outsider-ports | head -1)" "$list, devices none, claimed by none, not usable: $denied"

    scenario 888-holder "another program holds the port: start at once, simulated, holder named"
    is "$(status holder)|$(status second)|$(status second-root)|$(reading second-root | cut -d' ' -f2)" \
        "$port|Simulated port: $held$no_hw|Simulated port: $held$no_hw|66"
    ok [ "$(ms second)" -lt 1000 -a "$(ms second-root)" -lt 1000 ]
    ok grep -qE '^watch: [0-9]+ samples, 0 changes in 3\.' <(err holder)
    is "$(out busy-ports)" "$list, devices ppdev0, claimed by ppdev0, usable
Bytescope would use the simulated port: $held"
    is "$(rc stopped)|$(status after)|$(lpt 0x378)" "143|$port|A"
    is "$(rc cut)|$(reading rested | cut -d' ' -f1)" "130|00000000"

    scenario 888-ports-pins "ports lists the port and the choice; pins show data 65, control 7"
    is "$(out ports)" "$list, devices none, claimed by none, usable
Bytescope would use ${port#Port: }"
}
