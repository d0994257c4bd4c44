// What bytescope-cli prints: readings for people, and rows of named fields as JSON Lines or CSV
// for scripts, with the same field names in every command.
#pragma once

#include "readlog.h"

#include <ostream>
#include <string>
#include <vector>

namespace cli {

enum class Format { Plain, Csv, Json };

// One field of a row. A text is quoted in JSON; anything else (a number, true, false) is not,
// and an empty one is null in JSON and empty in CSV.
struct Field {
    std::string name, value;
    bool text = false;
};
using Row = std::vector<Field>;

// Prints rows in one of the machine formats; CSV gets a header line from the first row's names.
class Printer {
public:
    Printer(std::ostream& out, Format format) : out_(out), format_(format) {}
    void print(const Row& row);
    // The CSV header alone, for a table that had no rows.
    void head(const Row& row);

private:
    std::ostream& out_;
    Format format_;
    bool headed_ = false;
};

// The moment a sample was taken, on both clocks.
struct Stamp {
    struct timespec wall, mono;
};
Stamp Now();
// ISO 8601 local time with the date, microseconds and the UTC offset:
// "2026-12-07T14:03:07.125042+01:00".
std::string IsoTime(const struct timespec& wall);
long long MonoNs(const Stamp& stamp);

// A reading: the registers formatted as the log formats them, and when it was taken.
struct Reading {
    data record;
    Stamp stamp;
};
// The registers of the last Read_Registers, stamped now.
Reading LastReading();

// People's form: "14:03:07.125 01000001 65 11011000 216 00000111 7", the seconds with
// `digits` decimals.
void PrintPlain(std::ostream& out, const Reading& reading, int digits);
// The fields of a reading: time, t_mono_ns, then each register in binary and in decimal.
Row ReadingRow(const Reading& reading);

} // namespace cli
