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

void Format_Data(void) {
    Format_Register(data_reg, list[e].DD, list[e].DB);
    Format_Register(status_reg, list[e].SD, list[e].SB);
    Format_Register(control_reg, list[e].CD, list[e].CB);
    Format_Time(list[e].data_entry, time(nullptr));
}
