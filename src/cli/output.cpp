#include "output.h"

#include "port.h"

#include <cstdio>

namespace cli {

namespace {

std::string jsonText(const std::string& text) {
    std::string json = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += char(c);
        } else if (c < 0x20) {
            char escaped[7];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            json += escaped;
        } else {
            json += char(c);
        }
    }
    return json + '"';
}

std::string csvText(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string csv = "\"";
    for (char c : text)
        csv += c == '"' ? std::string("\"\"") : std::string(1, c);
    return csv + '"';
}

} // namespace

void Printer::head(const Row& row) {
    if (format_ != Format::Csv || headed_)
        return;
    std::string line;
    for (const Field& f : row)
        line += (line.empty() ? "" : ",") + f.name;
    out_ << line << '\n';
    headed_ = true;
}

void Printer::print(const Row& row) {
    std::string line;
    if (format_ == Format::Json) {
        for (const Field& f : row)
            line += (line.empty() ? "{" : ",") + jsonText(f.name) + ":" +
                    (f.text            ? jsonText(f.value)
                     : f.value.empty() ? "null"
                                       : f.value);
        line += "}";
    } else {
        head(row);
        for (size_t i = 0; i < row.size(); i++)
            line += (i ? "," : "") + csvText(row[i].value);
    }
    out_ << line << '\n';
}

Stamp Now() {
    Stamp stamp;
    clock_gettime(CLOCK_REALTIME, &stamp.wall);
    clock_gettime(CLOCK_MONOTONIC, &stamp.mono);
    return stamp;
}

std::string IsoTime(const struct timespec& wall) {
    struct tm tm;
    if (!localtime_r(&wall.tv_sec, &tm))
        gmtime_r(&wall.tv_sec, &tm); // tm_gmtoff is 0 then, and the time is UTC
    char text[64];
    size_t n = strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &tm);
    long offset = tm.tm_gmtoff / 60;
    std::snprintf(text + n, sizeof text - n, ".%06ld%c%02ld:%02ld", wall.tv_nsec / 1000,
                  offset < 0 ? '-' : '+', (offset < 0 ? -offset : offset) / 60,
                  (offset < 0 ? -offset : offset) % 60);
    return text;
}

long long MonoNs(const Stamp& stamp) {
    return stamp.mono.tv_sec * 1000000000LL + stamp.mono.tv_nsec;
}

Reading LastReading() {
    Reading reading{};
    reading.stamp = Now();
    Format_Registers(&reading.record);
    return reading;
}

void PrintPlain(std::ostream& out, const Reading& reading, int digits) {
    char time[32];
    Format_Clock(time, sizeof time, reading.stamp.wall.tv_sec, reading.stamp.wall.tv_nsec, digits);
    const data& r = reading.record;
    out << time << ' ' << r.DB << ' ' << r.DD << ' ' << r.SB << ' ' << r.SD << ' ' << r.CB << ' '
        << r.CD << '\n';
}

Row ReadingRow(const Reading& reading) {
    const data& r = reading.record;
    return {{"time", IsoTime(reading.stamp.wall), true},
            {"t_mono_ns", std::to_string(MonoNs(reading.stamp))},
            {"data_binary", r.DB, true},
            {"data", r.DD},
            {"status_binary", r.SB, true},
            {"status", r.SD},
            {"control_binary", r.CB, true},
            {"control", r.CD}};
}

} // namespace cli
