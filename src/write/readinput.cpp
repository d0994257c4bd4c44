#include "writedlg.h"

#include "entry.h"
#include "resource.h"

#include <cstring>

int ReadInput(HWND hwnd) {
    memset(Input, ' ', sizeof Input);
    GetDlgItemTextA(hwnd, ID_INPUT, Input, sizeof Input);
    return CheckInput();
}
