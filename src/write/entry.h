// The rules that turn the text typed in a write dialog into a register value.
#pragma once

// The entry field's text: at most 1023 characters and a NUL, blanks after it.
extern char Input[1024];
// The length of the text, then the entry mode.
extern int Length;

// Entry modes, chosen by the length of the text alone: up to three characters are a decimal
// number, exactly eight are binary digits.
inline constexpr int Decimal = 1;
inline constexpr int Binary = 2;
// strcmp's result for equal texts.
inline constexpr int z = 0;
// The binary digits.
extern const char check[3];
// How many leading characters of the text are binary digits.
extern int count;

// Classifies the text in Input, checks it against the register chosen by WRITE and, when it fits,
// sets Output and calls WritePort. Returns 0 when accepted, 1 when rejected (nothing written).
int CheckInput(void);
// The same rules without the write: 0 and Output set when the text fits, 1 when it does not.
int ParseInput(void);
// Fills Input as the write dialog does with its entry field's text: blanks everywhere, then at
// most 1023 characters of `text` and a NUL.
void SetInput(const char* text);
