# What the machines share.

# levels LABEL: the pins command's levels as "1H 2L ... 25G" (high, low, ground).
levels() {
    out "$1" | awk '{printf "%s%s ", $1, $NF == "high" ? "H" : $NF == "low" ? "L" : "G"}'
}
# The levels with data 0x41, idle status 0xD8 and control 0x0C, from the register map: pins 2-9
# the data bits; status bits 3-7 on pins 15, 13, 12, 10 and 11 (inverted); control bits 0-3 on
# pins 1 (inverted), 14 (inverted), 16 and 17 (inverted).
LEVELS_A="1H 2H 3L 4L 5L 6L 7L 8H 9L 10H 11L 12L 13H 14H 15H 16H 17L 18G 19G 20G 21G 22G 23G 24G 25G "
