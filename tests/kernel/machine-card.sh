# A single card at 0x2e0, as PCIe cards sit away from 888; the kernel finds it through ACPI.
PORTS="0x2e0:7"

guest() { load parport_pc ppdev && send_a lpuser; }

check() {
    scenario card-0x2e0 "the only port at 0x2e0 is used through 888..890 and sends \"A\""
    is "$(status data)|$(lpt 0x2e0)" "Port: /dev/parport0 (ppdev, base 0x2e0)|A"
    sent_a
    is "$(out ports)" "/dev/parport0: base 0x2e0, modes PCSPP,TRISTATE, devices none, claimed by none, usable
Bytescope would use /dev/parport0 (ppdev, base 0x2e0)"
}
