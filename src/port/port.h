// The parallel port's registers: reading them into normalised values and writing one of them.
#pragma once

// The port lives at the classic LPT1 base; there is no detection of other ports.
#define BASEPORT 888
#define DATA_PORT (BASEPORT)        // 888, read and write
#define STATUS_PORT (BASEPORT + 1)  // 889, read only
#define CONTROL_PORT (BASEPORT + 2) // 890, read and write

// Status: bits 3-7 carry nERROR, SELECT, PAPER-OUT, nACK and BUSY; bits 0-2 are unused.
// BUSY (bit 7) is inverted by the hardware.
#define STATUS_MASK 0xF8
#define STATUS_INVERTED 0x80
// Control: bits 0-3 carry nSTROBE, nAUTOFD, nINIT and nSELECTIN; bits 4-7 are not shown.
// nSTROBE, nAUTOFD and nSELECTIN (bits 0, 1, 3) are inverted by the hardware.
#define CONTROL_MASK 0x0F
#define CONTROL_INVERTED 0x0B

// Values of WRITE: the register the next WritePort writes.
#define WRITE_DATA 1
#define WRITE_CONTROL 3

// The normalised registers of the last reading (0 until the first one).
extern int data_reg;
extern int status_reg;
extern int control_reg;

// The register the write dialog writes (WRITE_DATA or WRITE_CONTROL; anything else writes
// nothing), and the value it writes: 0..255 for data, 0..15 for control.
extern int WRITE;
extern int Output;

// Moves the log to the next record, then reads data, status and control, in that order.
void Read_Port(void);
// Reads data, status and control into the normalised values, leaving the log alone.
void Read_Registers(void);
// Writes Output to the register chosen by WRITE.
void WritePort(void);

// The port the registers are read from, in one line; for the simulated port also why the real one
// was not used and what fixes it.
const char* PortInUse(void);
