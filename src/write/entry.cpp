#include "entry.h"

#include "port.h"
#include "readlog.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

char Input[1024];
int Length;
extern const char check[3] = "01";
int count;

// The text's number as the decimal conversion reads it: leading white space skipped, the longest
// valid prefix, 0 when there is none. strtod also reads hexadecimal ("0x5"); of such a text only
// the "0" is decimal.
static double DecimalValue(const char* text) {
    const char* p = text;
    while (isspace((unsigned char)*p))
        p++;
    if (*p == '+' || *p == '-')
        p++;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        return 0.0;
    return strtod(text, nullptr);
}

void SetInput(const char* text) {
    memset(Input, ' ', sizeof Input);
    size_t n = strnlen(text, sizeof Input - 1);
    memcpy(Input, text, n);
    Input[n] = '\0';
}

int CheckInput(void) {
    if (ParseInput() != 0)
        return 1;
    WritePort();
    return 0;
}

int ParseInput(void) {
    Length = (int)strnlen(Input, sizeof Input);
    if (Length <= 3)
        Length = Decimal;
    else if (Length == 8)
        Length = Binary;
    else
        return 1;

    if (Length == Decimal) {
        if (strcmp(Input, "0") == z) {
            Output = 0;
            return 0;
        }
        // Three characters can spell a number no int holds ("9e9", "inf", "nan"); converting it
        // would be undefined, and no register takes it anyway.
        double value = DecimalValue(Input);
        if (!(value > -2147483649.0 && value < 2147483648.0))
            return 1;
        Output = (int)value;
        if (WRITE == WRITE_CONTROL && Output > 15)
            return 1;
        if (Output >= 1 && Output <= 255)
            return 0;
        // Zero spelt other than "0", and negative numbers, meet the binary test below, which a
        // text this short never passes.
    }

    count = (int)strspn(Input, check);
    if (count != 8)
        return 1;
    Output = 0;
    for (int i = 0; i < 8; i++)
        if (Input[i] == one[0])
            Output += array[i];
    if (WRITE == WRITE_CONTROL && Output > 15)
        return 1;
    return 0;
}
