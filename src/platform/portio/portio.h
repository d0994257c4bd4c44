// Byte-wide port I/O for the program: the two primitives and a word on which port they reach.
#pragma once

// Reads one byte from an I/O address; returns it zero-extended (0..255).
int _inp(unsigned short port);
// Writes the low 8 bits of databyte to an I/O address; returns the byte written.
int _outp(unsigned short port, int databyte);

// One short line naming the port in use; for the simulated port also why the real one was not
// used and what fixes it. Chooses the backend first if nothing has chosen one yet.
const char* PortIO_Status();
