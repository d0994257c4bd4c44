#!/bin/bash
# Each case: a script, and the status and message of rc2tables or, if it succeeds, of compiling its
# output with a main that returns the count of tables (0 wanted) and of running that.
rc2tables=$1 cxx=$2 inc=$3
cd "$(mktemp -d)" && trap 'rm -rf "$PWD"' EXIT
echo '#include "winres.h"
const RESOURCE_DIRECTORY& r = g_ModuleResources;
int main() { return r.cMenus + r.cAccelerators + r.cStrings; }' >main.cpp
many() { printf -- "$1%.0s" {1..200000}; } # its text 200000 times
run() {
    "$rc2tables" t.rc t.cpp || return
    "$cxx" -std=c++20 -pedantic-errors -Wall -Wextra -Werror -I"$inc" t.cpp main.cpp -o t && ./t
}
failed=0
check() { # status, a pattern for the whole of stderr, script
    printf '%b\n' "$3" >t.rc
    (run) 2>err; status=$?
    [ "$status" == "$1" ] && [[ "$(<err)" == $2 ]] && return
    echo "want $1 '$2' for:"; head -c 300 t.rc; printf '\ngot %s:\n' $status; head -c 500 err; echo
    failed=1
}
control='1 DIALOGEX 0, 0, 9, 9\nBEGIN\n CONTROL "", 1, "edit", 0,'
empty='1 DIALOGEX 0, 0, 9, 9\nBEGIN\nEND'
check 1 't.rc:3: a value nested too deep' "$control $(many '- ') 1, 0, 9, 9\nEND"
check 1 't.rc:3: a value nested too deep' "$control $(many '( ') 1, 0, 9, 9\nEND"
check 1 't.rc:202: menus nested too deep' "1 MENU\nBEGIN\n$(many ' POPUP "a"\\nBEGIN\\n')"
check 1 't.rc:6: menu item id 5 given twice (first on line 3)' \
    '1 MENU\nBEGIN\n MENUITEM "a", 5\n POPUP "b"\n BEGIN\n  MENUITEM "c", 5\n END\nEND'
check 1 't.rc:4: dialog 1 given twice (first on line 1)' "$empty\n$empty"
check 1 't.rc:4: string id 1 given twice (first on line 3)' \
    'STRINGTABLE\nBEGIN\n 1, "a"\n 1 "b"\nEND'
check 0 '' "$empty"
check 1 "t.rc:4:*NO_SUCH_ID*" 'STRINGTABLE\nBEGIN\n 1, "a"\n NO_SUCH_ID, "b"\nEND'
exit $failed
