#include "port.h"

#include "portio.h"
#include "readlog.h"

int data_reg;
int status_reg;
int control_reg;

int WRITE;
int Output;

void Read_Port(void) {
    Advance_Log();
    Read_Registers();
}

void Read_Registers(void) {
    data_reg = _inp(DATA_PORT);
    status_reg = (_inp(STATUS_PORT) & STATUS_MASK) ^ STATUS_INVERTED;
    control_reg = (_inp(CONTROL_PORT) & CONTROL_MASK) ^ CONTROL_INVERTED;
}

void WritePort(void) {
    switch (WRITE) {
    case WRITE_DATA: _outp(DATA_PORT, Output); break;
    // Inverted on the way out with the mask Read_Port applies on the way in, so that the next
    // reading shows the number that was written.
    case WRITE_CONTROL: _outp(CONTROL_PORT, Output ^ CONTROL_INVERTED); break;
    default: break;
    }
}

const char* PortInUse(void) {
    return PortIO_Status();
}
