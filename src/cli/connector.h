// The DB-25 connector: which register bit drives or reads each pin, the levels at the pins, and
// a Value Change Dump (IEEE 1364 VCD) of them, the trace format logic analyser software opens.
#pragma once

#include <cstdio>
#include <string>

namespace cli {

// A signal pin, after the register map: the raw register bit, and whether the hardware inverts
// it between the bit and the pin.
struct Pin {
    int number;
    const char* signal;
    unsigned short port;
    int bit;
    bool inverted;
};
inline constexpr int kSignalPins = 17; // pins 1-17; 18-25 are ground
extern const Pin kPins[kSignalPins];

// The level at every signal pin, bit n-1 for pin n, from the registers as a reading masks them:
// the masks undo the hardware's inversions, so each shown bit is its pin's level.
int PinLevels(int data, int status, int control);

// A status input named as the pins command names it: its pin number or its signal, in any case.
const Pin* FindInput(const std::string& name);

// Writes the levels of all signal pins, one 1-bit wire each (p1_nSTROBE ... p17_nSELECTIN), in
// microseconds from the first sample.
class Vcd {
public:
    ~Vcd();
    // Opens `path` for writing; false with errno set when it cannot be created.
    bool open(const std::string& path);
    // The header, stamped with `date`, and the first sample's levels as the initial values.
    void begin(const std::string& date, const std::string& comment, int levels);
    // A sample `us` after the first; written only when a level changed.
    void sample(long long us, int levels);
    // The trace's end time, then the file closed. False (errno set) when any write failed.
    bool finish(long long us);
    bool failed() const { return file_ && std::ferror(file_); }

private:
    std::FILE* file_ = nullptr;
    int levels_ = 0;
};

} // namespace cli
