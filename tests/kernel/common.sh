# What the machines share.

# How the port line ends for the simulated port.
no_hw="; nothing reaches hardware"

# levels LABEL: the pins command's levels as "1H 2L ... 25G" (high, low, ground).
levels() { out "$1" | awk '{printf "%s%s ", $1, $NF == "high" ? "H" : $NF == "low" ? "L" : "G"}'; }

# In the guest, as USER: write "A" (data 65, then a strobe: control 6 and back to 7), read twice,
# list the pins and the ports; the labels after PREFIX, bytescope-cli with OPTIONS.
send_a() {
    for step in "data write data 65" "strobe write control 6" "release write control 7" \
        "settle read --count 2" "pins pins" "ports ports"; do
        run "${2:-}${step%% *}" "$1" bytescope-cli ${3:-} ${step#* }
    done
}

# What send_a read back: 65, 6 and 7, the strobe clearing BUSY (216); the pins with data 0x41,
# idle status 0xD8 and control 0x0C: pins 2-9 the data bits; status bits 3-7 on pins 15, 13, 12,
# 10 and 11 (inverted); control bits 0-3 on pins 1 (inverted), 14 (inverted), 16, 17 (inverted).
sent_a() {
    is "$(reading data | cut -d' ' -f1-2) $(reading strobe | cut -d' ' -f3-) $(reading release | cut -d' ' -f5-)" \
        "01000001 65 11011000 216 00000110 6 00000111 7"
    is "$(levels pins)" "1H 2H 3L 4L 5L 6L 7L 8H 9L 10H 11L 12L 13H 14H 15H 16H 17L 18G 19G 20G 21G 22G 23G 24G 25G "
}
