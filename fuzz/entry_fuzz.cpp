// Arbitrary text into the entry rules of both registers. Aborts when checking alone wrote or
// disagreed with the write, a rejected text reached the port, an accepted one did not write exactly
// one byte to its register, or a value outside the register's range went out.
#include "entry.h"
#include "port.h"
#include "recording_backend.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using testsupport::PortAccess;

namespace {

// The longest text tried: past the 1023 characters the entry field's copy keeps.
constexpr size_t kMaxText = 1100;

std::vector<PortAccess>& portLog() {
    static std::vector<PortAccess>& log = testsupport::installRecording(
        std::make_unique<testsupport::ScriptedBackend>(0x00, 0x78, 0x0C));
    return log;
}

void require(bool ok) {
    if (!ok)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    size = std::min(size, kMaxText);
    // The entry field's text has no NUL in it: it ends at the first one.
    const std::string text(reinterpret_cast<const char*>(bytes),
                           strnlen(reinterpret_cast<const char*>(bytes), size));

    std::vector<PortAccess>& log = portLog();
    const struct {
        int write;
        unsigned short port;
        int mask;
        int max;
    } registers[] = {{1, 888, 0x00, 255}, {3, 890, 0x0B, 15}};

    for (const auto& reg : registers) {
        log.clear();
        WRITE = reg.write;
        SetInput(text.c_str());
        int checked = ParseInput(); // the rules alone, as the command line uses them
        require(log.empty());
        int result = CheckInput();
        require(result == checked);
        if (result == 1) {
            require(log.empty());
        } else {
            require(result == 0);
            require(log.size() == 1);
            require(log[0].kind == PortAccess::Out && log[0].port == reg.port);
            int value = log[0].value ^ reg.mask;
            require(value >= 0 && value <= reg.max);
            require(Output == value);
        }
    }
    return 0;
}
