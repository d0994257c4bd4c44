#include "args.h"

#include "port.h"

#include <cstdio>
#include <cstring>

namespace cli {

namespace {

struct OptionRule {
    const char* name;
    bool value;
    const char* commands; // the commands that take it, each followed by a blank; "" for all
};
const OptionRule kOptions[] = {
    {"--port", true, ""},
    {"--require-port", false, ""},
    {"--quiet", false, ""},
    {"--help", false, ""},
    {"--version", false, ""},
    {"--json", false, "read write pulse watch wait pins ports "},
    {"--csv", false, "read write watch wait pins ports "},
    {"--count", true, "read wait "},
    {"--interval", true, "read watch wait "},
    {"--width", true, "pulse "},
    {"--rest", true, "pulse "},
    {"--duration", true, "watch "},
    {"--vcd", true, "watch "},
    {"--timeout", true, "wait "},
};

struct CommandRule {
    const char* name;
    size_t words;
    const char* needs; // what the words are, for the error when they are missing
};
const CommandRule kCommands[] = {
    {"read", 0, ""},
    {"write", 2, "a register (data or control) and a value"},
    {"pulse", 2, "a register (data or control) and a value"},
    {"watch", 0, ""},
    {"wait", 2, "a status input (pin or signal name) and an event"},
    {"pins", 0, ""},
    {"ports", 0, ""},
};

template <typename Rule, size_t N>
const Rule* find(const Rule (&rules)[N], const std::string& name) {
    for (const Rule& rule : rules)
        if (name == rule.name)
            return &rule;
    return nullptr;
}

} // namespace

CommandLine Parse(const std::vector<std::string>& args) {
    CommandLine line;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); i++) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            line.words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg == "-q" ? "--quiet" : arg == "-h" ? "--help" : arg;
        std::optional<std::string> value;
        if (size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos)
            value = name.substr(equals + 1), name.erase(equals);
        const OptionRule* rule = find(kOptions, name);
        if (!rule)
            throw UsageError{"unknown option " + Quoted(name)};
        if (rule->value && !value) {
            if (i + 1 >= args.size())
                throw UsageError{"option " + name + " needs a value"};
            value = args[++i];
        } else if (!rule->value && value) {
            throw UsageError{"option " + name + " takes no value"};
        }
        line.options[name] = value.value_or("");
    }
    if (line.has("--help") || line.has("--version"))
        return line;
    if (line.words.empty())
        throw UsageError{"no command given"};
    line.command = line.words.front();
    line.words.erase(line.words.begin());
    const CommandRule* command = find(kCommands, line.command);
    if (!command)
        throw UsageError{"unknown command " + Quoted(line.command)};
    for (const auto& [name, value] : line.options) {
        const char* takers = find(kOptions, name)->commands;
        if (*takers && !std::strstr(takers, (line.command + ' ').c_str()))
            throw UsageError{line.command + " does not take " + name};
    }
    if (line.has("--csv") && line.has("--json"))
        throw UsageError{"--csv and --json exclude each other"};
    if (line.words.size() < command->words)
        throw UsageError{line.command + " needs " + command->needs};
    if (line.words.size() > command->words)
        throw UsageError{"unexpected argument " + Quoted(line.words[command->words])};
    return line;
}

std::string Quoted(const std::string& text) {
    constexpr size_t kShown = 64;
    std::string quoted = "\"";
    for (size_t i = 0; i < text.size() && i < kShown; i++) {
        unsigned char c = text[i];
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += char(c);
        } else if (c < 0x20 || c > 0x7E) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            quoted += escaped;
        } else {
            quoted += char(c);
        }
    }
    return quoted + (text.size() > kShown ? "\"..." : "\"");
}

long long WholeNumber(const std::string& option, const std::string& text, long long min,
                      long long max) {
    long long value = 0;
    bool digits = !text.empty() && text.size() <= 18 &&
                  text.find_first_not_of("0123456789") == std::string::npos;
    if (digits)
        value = std::stoll(text);
    if (!digits || value < min || value > max)
        throw UsageError{option + " takes a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max) + ", not " + Quoted(text)};
    return value;
}

long long Duration(const std::string& option, const std::string& text, const char* bareUnit,
                   long long maxNs) {
    size_t whole = text.find_first_not_of("0123456789");
    whole = whole == std::string::npos ? text.size() : whole;
    size_t end = whole;
    if (end < text.size() && text[end] == '.')
        end = std::min(text.find_first_not_of("0123456789", end + 1), text.size());
    std::string unit = end < text.size() ? text.substr(end) : bareUnit;
    long long unitNs = unit == "us" ? 1000 : unit == "ms" ? 1000000 : unit == "s" ? 1000000000 : 0;
    long long ns = -1;
    if (unitNs && whole > 0 && whole <= 9 && end != whole + 1) { // no overflow
        ns = std::stoll(text.substr(0, whole)) * unitNs;
        long long place = unitNs;
        for (size_t i = whole + 1; i < end && place > 1; i++)
            ns += (text[i] - '0') * (place /= 10);
    }
    if (ns < 0 || ns > maxNs)
        throw UsageError{
            option + " takes a time such as 250us, 10ms or 1.5s (a bare number counts in " +
            bareUnit + ") up to " + std::to_string(maxNs / 1000000000) + "s, not " + Quoted(text)};
    return ns;
}

std::optional<int> RegisterValue(int write, const std::string& text) {
    auto only = [&text](size_t from, const char* set) {
        return text.find_first_not_of(set, from) == std::string::npos;
    };
    int value;
    if (!text.empty() && text.size() <= 3 && only(0, "0123456789"))
        value = std::stoi(text);
    else if (text.size() == 8 && only(0, "01"))
        value = std::stoi(text, nullptr, 2);
    else if ((text.size() == 3 || text.size() == 4) && text[0] == '0' &&
             (text[1] == 'x' || text[1] == 'X') && only(2, "0123456789abcdefABCDEF"))
        value = std::stoi(text.substr(2), nullptr, 16);
    else
        return std::nullopt;
    if (value > (write == WRITE_CONTROL ? 15 : 255))
        return std::nullopt;
    return value;
}

std::string ExpectedValue(int write) {
    return write == WRITE_CONTROL
               ? "(expected 0-15, the control lines: decimal digits, eight binary digits "
                 "0000xxxx or 0x0-0xF)"
               : "(expected 0-255: one to three decimal digits, eight binary digits or 0x0-0xFF)";
}

} // namespace cli
