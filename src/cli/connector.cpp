#include "connector.h"

#include "port.h"

#include <cerrno>
#include <strings.h>

namespace cli {

const Pin kPins[kSignalPins] = {
    {1, "nSTROBE", CONTROL_PORT, 0, true},    {2, "D0", DATA_PORT, 0, false},
    {3, "D1", DATA_PORT, 1, false},           {4, "D2", DATA_PORT, 2, false},
    {5, "D3", DATA_PORT, 3, false},           {6, "D4", DATA_PORT, 4, false},
    {7, "D5", DATA_PORT, 5, false},           {8, "D6", DATA_PORT, 6, false},
    {9, "D7", DATA_PORT, 7, false},           {10, "nACK", STATUS_PORT, 6, false},
    {11, "BUSY", STATUS_PORT, 7, true},       {12, "PAPER-OUT", STATUS_PORT, 5, false},
    {13, "SELECT", STATUS_PORT, 4, false},    {14, "nAUTOFD", CONTROL_PORT, 1, true},
    {15, "nERROR", STATUS_PORT, 3, false},    {16, "nINIT", CONTROL_PORT, 2, false},
    {17, "nSELECTIN", CONTROL_PORT, 3, true},
};

int PinLevels(int data, int status, int control) {
    const int masked[3] = {data, status, control};
    int levels = 0;
    for (const Pin& pin : kPins)
        levels |= ((masked[pin.port - DATA_PORT] >> pin.bit) & 1) << (pin.number - 1);
    return levels;
}

const Pin* FindInput(const std::string& name) {
    for (const Pin& pin : kPins)
        if (pin.port == STATUS_PORT &&
            (name == std::to_string(pin.number) || strcasecmp(name.c_str(), pin.signal) == 0))
            return &pin;
    return nullptr;
}

Vcd::~Vcd() {
    if (file_)
        std::fclose(file_);
}

bool Vcd::open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "w");
    return file_ != nullptr;
}

void Vcd::begin(const std::string& date, const std::string& comment, int levels) {
    std::fprintf(file_,
                 "$date\n\t%s\n$end\n$version\n\tbytescope-cli %s\n$end\n$comment\n\t%s\n$end\n"
                 "$timescale 1 us $end\n$scope module db25 $end\n",
                 date.c_str(), BYTESCOPE_VERSION, comment.c_str());
    for (const Pin& pin : kPins)
        std::fprintf(file_, "$var wire 1 %c p%d_%s $end\n", '!' + pin.number - 1, pin.number,
                     pin.signal);
    std::fprintf(file_, "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n");
    for (const Pin& pin : kPins)
        std::fprintf(file_, "%d%c\n", (levels >> (pin.number - 1)) & 1, '!' + pin.number - 1);
    std::fprintf(file_, "$end\n");
    levels_ = levels;
}

void Vcd::sample(long long us, int levels) {
    int changed = levels ^ levels_;
    if (!changed)
        return;
    std::fprintf(file_, "#%lld\n", us);
    for (int n = 0; n < kSignalPins; n++)
        if ((changed >> n) & 1)
            std::fprintf(file_, "%d%c\n", (levels >> n) & 1, '!' + n);
    levels_ = levels;
}

bool Vcd::finish(long long us) {
    std::fprintf(file_, "#%lld\n", us);
    bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
    int flushError = errno;
    bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed)
        errno = flushError;
    return flushed && closed;
}

} // namespace cli
