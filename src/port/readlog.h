// The log of readings: one fixed array of records holding display text, newest at index e.
#pragma once

#include <cstddef>
#include <ctime>

// Records reserved for the whole run, and the index at which the log counts as full: at most
// LOG_LIMIT + 1 readings are stored (indices 0..LOG_LIMIT); the records after them stay zero.
#define LIST_SIZE 32008
#define LOG_LIMIT 32000

// One reading, as the table prints it. Every field is a NUL-terminated text.
struct data {
    char data_entry[18]; // "  HH:MM:SS       ": local time of day, 17 characters
    char DB[9];          // data register, eight binary digits
    char SB[9];          // status register, eight binary digits
    char CB[9];          // control register, eight binary digits
    char DD[9];          // data register in decimal, no leading zeros or blanks
    char SD[9];          // status register in decimal
    char CD[9];          // control register in decimal
};

extern data list[LIST_SIZE];
extern int e; // index of the newest record
extern int s; // 0 until the first reading of the run, then 1

extern const int array[8]; // bit weights, most significant first
extern const char zero[2];
extern const char one[2];
extern char binary[32]; // output of convert
extern char Dec[8];     // a value in decimal

// Nonzero when no further reading fits; the read and write commands ask before they start.
int LogIsFull(void);
// The first reading of the run keeps record 0; every later one moves to the next record.
void Advance_Log(void);
// Writes the eight binary digits of Byte (0..255), most significant first, into binary.
void convert(int Byte);
// Formats the registers of the last reading and the current time into list[e].
void Format_Data(void);
// Formats the registers of the last reading into a record's six register fields, as
// Format_Data does; the time field is left alone.
void Format_Registers(data* record);
// Writes the time text of a reading taken at `now` into a record's data_entry. When the time is
// not known ((time_t)-1) or cannot be broken down, the text is "  --:--:--       ".
void Format_Time(char* entry, time_t now);
// Writes the local time of day at `seconds` + `nanoseconds` as "HH:MM:SS" followed by a point
// and `digits` (0..9) digits of the second's fraction, truncated, e.g. "14:03:07.125". When the
// time is not known or cannot be broken down, the digits are dashes: "--:--:--.---".
void Format_Clock(char* text, size_t size, time_t seconds, long nanoseconds, int digits);
