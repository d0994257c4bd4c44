#include "readlog.h"

#include "port.h"

#include <cstdio>
#include <cstring>
#include <time.h>

data list[LIST_SIZE];
int e;
int s;

extern const int array[8] = {128, 64, 32, 16, 8, 4, 2, 1};
extern const char zero[2] = "0";
extern const char one[2] = "1";
char binary[32];
char Dec[8];

static const char UNKNOWN_TIME[] = "  --:--:--       ";

int LogIsFull(void) {
    return e >= LOG_LIMIT;
}

void Advance_Log(void) {
    if (s == 0)
        s = 1;
    else
        e++;
}

void convert(int Byte) {
    memset(binary, 0, sizeof binary);
    for (int w : array) {
        if (Byte < w) {
            strcat(binary, zero);
        } else {
            Byte -= w;
            strcat(binary, one);
        }
    }
}

static void Format_Register(int value, char* decimal, char* digits) {
    snprintf(Dec, sizeof Dec, "%d", value);
    strcpy(decimal, Dec);
    convert(value);
    strcpy(digits, binary);
}

void Format_Time(char* entry, time_t now) {
    struct tm local;
    if (now != (time_t)-1 && localtime_r(&now, &local) != nullptr &&
        strftime(entry, sizeof(data::data_entry), "  %H:%M:%S       ", &local) ==
            sizeof(data::data_entry) - 1)
        return;
    memcpy(entry, UNKNOWN_TIME, sizeof UNKNOWN_TIME);
}

void Format_Clock(char* text, size_t size, time_t seconds, long nanoseconds, int digits) {
    digits = digits < 0 ? 0 : digits > 9 ? 9 : digits;
    long fraction = nanoseconds < 0 || nanoseconds > 999999999 ? -1 : nanoseconds;
    for (int d = digits; d < 9 && fraction >= 0; d++)
        fraction /= 10;
    struct tm local;
    char clock[16];
    if (fraction < 0 || seconds == (time_t)-1 || localtime_r(&seconds, &local) == nullptr ||
        strftime(clock, sizeof clock, "%H:%M:%S", &local) != 8)
        snprintf(text, size, "--:--:--%s%.*s", digits ? "." : "", digits, "---------");
    else if (digits == 0)
        snprintf(text, size, "%s", clock);
    else
        snprintf(text, size, "%s.%0*ld", clock, digits, fraction);
}

void Format_Registers(data* record) {
    Format_Register(data_reg, record->DD, record->DB);
    Format_Register(status_reg, record->SD, record->SB);
    Format_Register(control_reg, record->CD, record->CB);
}

void Format_Data(void) {
    Format_Registers(&list[e]);
    Format_Time(list[e].data_entry, time(nullptr));
}
