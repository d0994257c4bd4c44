// bytescope-cli's command line: the command, its words and its options, checked before anything
// is opened; and the rules for the values and times that its options and words take.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// A command line that cannot be taken; `what` names the argument, without the program's name.
struct UsageError {
    std::string what;
};

struct CommandLine {
    std::string command;                        // empty with --help or --version alone
    std::vector<std::string> words;             // the command's own arguments
    std::map<std::string, std::string> options; // by long name ("--count"); flags map to ""
    bool has(const std::string& option) const { return options.count(option) > 0; }
};

// Splits and checks `args`: options may stand anywhere, as `--opt value` or `--opt=value`, and
// `--` ends them. Throws UsageError for an unknown option or command, an option the command does
// not take, a missing or unwanted value, or the wrong number of words.
CommandLine Parse(const std::vector<std::string>& args);

// `text` between double quotes, with quotes and backslashes escaped and every byte outside
// printable ASCII written as \xHH, so that nothing reaches a terminal raw. Long texts are cut.
std::string Quoted(const std::string& text);

// A whole number in [min, max] for `option`, else UsageError.
long long WholeNumber(const std::string& option, const std::string& text, long long min,
                      long long max);

// A time given as a number with an optional fraction and a unit (us, ms or s; without one,
// `bareUnit`), in nanoseconds, within [0, maxNs]; else UsageError naming `option`.
long long Duration(const std::string& option, const std::string& text, const char* bareUnit,
                   long long maxNs);

// The companion's rule for a register value: exactly one to three decimal digits, eight binary
// digits, or 0x and one or two hexadecimal digits; at most 255 for data and 15 for the control
// register (`write` as WRITE has it). Empty when the text does not follow it.
std::optional<int> RegisterValue(int write, const std::string& text);
// What that rule expects, for the refusal: "(expected ...)".
std::string ExpectedValue(int write);

} // namespace cli
