// rc2tables: converts the program's resource script into the tables that our Win32 layer reads
// (src/platform/win32/winres.h), so that both builds carry the same resources.
// Usage: rc2tables INPUT.rc OUTPUT.cpp
//
// It reads the statements that the script uses: MENU (POPUP, MENUITEM), ACCELERATORS, DIALOGEX
// (STYLE, EXSTYLE, CAPTION, FONT, CONTROL) and STRINGTABLE, with numbers, identifiers and the
// operators | + - ( ) in values. Values are copied as C++ expressions, so that the compiler works
// them out with the same headers as the rest of the build, each row after a #line directive so
// that the compiler's errors in them name the script's line. Anything else is an error that names
// the line, and so is an id given twice as the same text (a resource of one kind, a string, an
// item of one menu). A kind the script leaves out gives an empty table: a null pointer, as C++ has
// no empty arrays.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Token {
    enum Kind { Name, Number, String, Punct, End } kind;
    std::string text; // a string's contents as a C++ literal's body
    int line;
};

std::string inputName;
// Brackets, minuses in a row and pop-up menus are limited, so that nesting cannot exhaust the
// stack.
constexpr int kMaxDepth = 100;

// The directive that gives the script's line to the row that follows it.
std::string lineOf(int line) {
    std::string name;
    for (char c : inputName)
        name += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
    return "#line " + std::to_string(line) + " \"" + name + "\"\n";
}

[[noreturn]] void fail(int line, const std::string& message) {
    std::cerr << inputName << ":" << line << ": " << message << "\n";
    std::exit(1);
}

std::vector<Token> tokenize(const std::string& src, std::vector<std::string>& includes) {
    std::vector<Token> tokens;
    int line = 1;
    bool lineStart = true;
    for (size_t i = 0; i < src.size();) {
        char c = src[i];
        if (c == '\n') {
            ++line, ++i, lineStart = true;
        } else if (isspace((unsigned char)c)) {
            ++i;
        } else if (src.compare(i, 2, "//") == 0) {
            i = src.find('\n', i);
        } else if (src.compare(i, 2, "/*") == 0) {
            size_t end = src.find("*/", i + 2);
            if (end == std::string::npos)
                fail(line, "unterminated comment");
            for (; i < end; ++i)
                line += src[i] == '\n';
            i = end + 2;
        } else if (c == '#' && lineStart) {
            size_t end = src.find('\n', i);
            std::string directive = src.substr(i, end - i);
            // Quoted includes are the program's identifiers; <windows.h> becomes our layer's.
            size_t q = directive.find('"');
            if (directive.rfind("#include", 0) == 0 && q != std::string::npos)
                includes.push_back(directive.substr(q));
            else if (directive.rfind("#include", 0) != 0)
                fail(line, "only #include is understood");
            i = end;
        } else if (c == '"') {
            std::string text;
            for (++i;; ++i) {
                if (i >= src.size() || src[i] == '\n')
                    fail(line, "unterminated string");
                if (src[i] == '"' && i + 1 < src.size() && src[i + 1] == '"') {
                    text += "\\\"", ++i; // "" is a quote
                } else if (src[i] == '"') {
                    break;
                } else if (src[i] == '\\' && i + 1 < src.size() && src[i + 1] != '\n') {
                    text += src.substr(i, 2), ++i;
                } else {
                    text += src[i];
                }
            }
            ++i;
            tokens.push_back({Token::String, text, line});
        } else if (isalnum((unsigned char)c) || c == '_') {
            size_t start = i;
            while (i < src.size() && (isalnum((unsigned char)src[i]) || src[i] == '_'))
                ++i;
            bool number = isdigit((unsigned char)c);
            tokens.push_back(
                {number ? Token::Number : Token::Name, src.substr(start, i - start), line});
        } else if (std::string(",|+-()").find(c) != std::string::npos) {
            tokens.push_back({Token::Punct, std::string(1, c), line}), ++i;
        } else {
            fail(line, std::string("unexpected character '") + c + "'");
        }
        if (c != '\n' && !isspace((unsigned char)c))
            lineStart = false;
    }
    tokens.push_back({Token::End, "", line});
    return tokens;
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : t_(std::move(tokens)) {}

    const Token& peek() const { return t_[pos_]; }
    bool at(const char* text) const { return peek().kind != Token::String && peek().text == text; }
    const Token& next() { return t_[pos_ < t_.size() - 1 ? pos_++ : pos_]; }
    void expect(const char* text) {
        if (!at(text))
            fail(peek().line, std::string("expected ") + text + ", found '" + peek().text + "'");
        next();
    }
    bool accept(const char* text) {
        if (!at(text))
            return false;
        next();
        return true;
    }
    void beginBlock() {
        if (!accept("BEGIN"))
            fail(peek().line, "expected BEGIN");
    }
    bool endBlock() { return accept("END"); }

    std::string string() {
        if (peek().kind != Token::String)
            fail(peek().line, "expected a string, found '" + peek().text + "'");
        return "\"" + next().text + "\"";
    }

    // operand (operator operand)*; an operand is a number, a name or a bracketed value.
    std::string value() {
        std::string out = operand();
        while (at("|") || at("+") || at("-")) {
            std::string op = next().text;
            out += " " + op + " " + operand();
        }
        return out;
    }
    // Minuses in a row keep one or none: "--" would be C++'s decrement.
    std::string operand() {
        int minuses = 0;
        while (accept("-"))
            if (++minuses > kMaxDepth)
                fail(peek().line, "a value nested too deep");
        std::string sign = minuses % 2 ? "-" : "";
        if (at("(")) {
            if (++depth_ > kMaxDepth)
                fail(peek().line, "a value nested too deep");
            next();
            std::string inner = value();
            expect(")");
            --depth_;
            return sign + "(" + inner + ")";
        }
        if (peek().kind != Token::Name && peek().kind != Token::Number)
            fail(peek().line, "expected a value, found '" + peek().text + "'");
        return sign + next().text;
    }

private:
    std::vector<Token> t_;
    size_t pos_ = 0;
    int depth_ = 0;
};

using Ids = std::map<std::string, int>; // an id as written, and its line

void unique(Ids& ids, const std::string& id, int line, const std::string& what) {
    auto [first, added] = ids.emplace(id, line);
    if (!added)
        fail(line, what + " " + id + " given twice (first on line " +
                       std::to_string(first->second) + ")");
}

struct Output {
    std::ostringstream menus, menuList, accels, accelList, dialogs, dialogList, strings;
    Ids menuIds, accelIds, dialogIds, stringIds;
    int count = 0;
};

// A table's definition, and its pointer and length in the directory.
std::string table(std::ostream& out, const char* type, const std::string& name,
                  const std::string& rows) {
    if (rows.empty())
        return "nullptr, 0";
    out << "const " << type << " " << name << "[] = {\n" << rows << "};\n";
    return name + ", count(" + name + ")";
}

void menu(Parser& p, std::ostream& out, Ids& ids, int depth) {
    if (depth > kMaxDepth)
        fail(p.peek().line, "menus nested too deep");
    p.beginBlock();
    struct Item {
        int line;
        std::string row; // with "%END%" where MF_END may go
        std::string children;
    };
    std::vector<Item> items;
    while (!p.endBlock()) {
        int line = p.peek().line;
        if (p.accept("POPUP")) {
            std::string text = p.string();
            std::ostringstream sub;
            menu(p, sub, ids, depth + 1);
            items.push_back({line, "    {MF_POPUP%END%, 0, " + text + "},\n", sub.str()});
        } else if (p.accept("MENUITEM")) {
            std::string text = p.string();
            p.expect(",");
            std::string id = p.value();
            unique(ids, id, line, "menu item id");
            items.push_back({line, "    {0%END%, " + id + ", " + text + "},\n", ""});
        } else {
            fail(p.peek().line, "expected POPUP, MENUITEM or END in a menu");
        }
    }
    if (items.empty())
        fail(p.peek().line, "an empty menu");
    for (size_t i = 0; i < items.size(); ++i) {
        std::string row = items[i].row;
        row.replace(row.find("%END%"), 5, i + 1 == items.size() ? " | MF_END" : "");
        out << lineOf(items[i].line) << row << items[i].children;
    }
}

void accelerators(Parser& p, Output& o, const std::string& id, int idLine) {
    std::string name = "kAccel" + std::to_string(o.count++);
    std::ostringstream rows;
    p.beginBlock();
    while (!p.endBlock()) {
        int line = p.peek().line;
        std::string key;
        if (p.peek().kind == Token::String) {
            std::string s = p.next().text;
            if (s.size() != 1)
                fail(p.peek().line, "a key is one character");
            key = "'" + s + "'";
        } else {
            key = p.value();
        }
        p.expect(",");
        std::string cmd = p.value();
        std::string flags;
        while (p.accept(",")) {
            const Token& f = p.next();
            static const char* const known[][2] = {{"VIRTKEY", "FVIRTKEY"},
                                                   {"CONTROL", "FCONTROL"},
                                                   {"SHIFT", "FSHIFT"},
                                                   {"ALT", "FALT"}};
            std::string flag;
            for (auto& k : known)
                if (f.text == k[0])
                    flag = k[1];
            if (flag.empty())
                fail(f.line, "unknown accelerator option '" + f.text + "'");
            flags += (flags.empty() ? "" : " | ") + flag;
        }
        if (flags.find("FVIRTKEY") == std::string::npos)
            fail(p.peek().line, "only VIRTKEY accelerators are supported");
        rows << lineOf(line) << "    {" << flags << ", " << key << ", " << cmd << "},\n";
    }
    std::string entries = table(o.accels, "ACCEL", name, rows.str());
    o.accelList << lineOf(idLine) << "    {" << id << ", " << entries << "},\n";
}

void dialog(Parser& p, Output& o, const std::string& id, int idLine) {
    std::string name = "kDialog" + std::to_string(o.count++);
    std::string geometry[4];
    for (int i = 0; i < 4; ++i) {
        if (i)
            p.expect(",");
        geometry[i] = p.value();
    }
    std::string style = "0", exStyle = "0", caption = "\"\"", point = "0", face = "\"\"",
                weight = "0", italic = "0", charset = "1";
    for (;;) {
        if (p.accept("STYLE")) {
            style = p.value();
        } else if (p.accept("EXSTYLE")) {
            exStyle = p.value();
        } else if (p.accept("CAPTION")) {
            caption = p.string();
        } else if (p.accept("FONT")) {
            point = p.value();
            p.expect(",");
            face = p.string();
            if (p.accept(","))
                weight = p.value();
            if (p.accept(","))
                italic = p.value();
            if (p.accept(","))
                charset = p.value();
        } else {
            break;
        }
    }
    std::ostringstream rows;
    p.beginBlock();
    while (!p.endBlock()) {
        int line = p.peek().line;
        p.expect("CONTROL");
        std::string text = p.string();
        p.expect(",");
        std::string item = p.value();
        p.expect(",");
        std::string cls = p.string();
        std::string fields[5];
        for (auto& f : fields) {
            p.expect(",");
            f = p.value();
        }
        std::string itemEx = p.accept(",") ? p.value() : "0";
        rows << lineOf(line) << "    {" << item << ", " << cls << ", " << text << ", " << fields[0]
             << ", " << itemEx << ", " << fields[1] << ", " << fields[2] << ", " << fields[3]
             << ", " << fields[4] << "},\n";
    }
    std::string items = table(o.dialogs, "DLGITEM_RES", name, rows.str());
    o.dialogList << lineOf(idLine) << "    {" << id << ", " << caption << ", " << style << ", "
                 << exStyle << ", " << geometry[0] << ", " << geometry[1] << ", " << geometry[2]
                 << ", " << geometry[3] << ", " << point << ", " << weight << ", " << italic << ", "
                 << charset << ", " << face << ", " << items << "},\n";
}

void stringTable(Parser& p, Output& o) {
    p.beginBlock();
    while (!p.endBlock()) {
        int line = p.peek().line;
        std::string id = p.value();
        unique(o.stringIds, id, line, "string id");
        p.accept(",");
        o.strings << lineOf(line) << "    {" << id << ", " << p.string() << "},\n";
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: rc2tables INPUT.rc OUTPUT.cpp\n";
        return 2;
    }
    inputName = argv[1];
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "rc2tables: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::stringstream src;
    src << in.rdbuf();
    std::vector<std::string> includes;
    Parser p(tokenize(src.str(), includes));
    Output o;
    while (p.peek().kind != Token::End) {
        if (p.accept("STRINGTABLE")) {
            stringTable(p, o);
            continue;
        }
        int line = p.peek().line;
        std::string id = p.value();
        if (p.accept("MENU")) {
            unique(o.menuIds, id, line, "menu");
            std::string name = "kMenu" + std::to_string(o.count++);
            std::ostringstream rows;
            Ids itemIds;
            menu(p, rows, itemIds, 1);
            table(o.menus, "MENUITEM_RES", name, rows.str());
            o.menuList << lineOf(line) << "    {" << id << ", " << name << "},\n";
        } else if (p.accept("ACCELERATORS")) {
            unique(o.accelIds, id, line, "accelerator table");
            accelerators(p, o, id, line);
        } else if (p.accept("DIALOGEX")) {
            unique(o.dialogIds, id, line, "dialog");
            dialog(p, o, id, line);
        } else {
            fail(p.peek().line, "expected MENU, ACCELERATORS, DIALOGEX or STRINGTABLE after " + id);
        }
    }

    std::ostringstream out;
    out << "// Generated by rc2tables from " << inputName << ": do not edit.\n";
    for (const std::string& inc : includes)
        out << "#include " << inc << "\n";
    out << "#include \"windows.h\"\n\nnamespace {\n\n"
        << "constexpr int count(const auto& a) {\n    return int(sizeof a / sizeof a[0]);\n}\n\n"
        << o.menus.str() << o.accels.str() << o.dialogs.str();
    const std::string dir[] = {
        table(out, "MENU_RES", "kMenus", o.menuList.str()),
        table(out, "ACCELTABLE_RES", "kAcceleratorTables", o.accelList.str()),
        table(out, "DLGTEMPLATE_RES", "kDialogs", o.dialogList.str()),
        table(out, "STRING_RES", "kStrings", o.strings.str())};
    out << "\n} // namespace\n\nconst RESOURCE_DIRECTORY g_ModuleResources = {\n    " << dir[0]
        << ", " << dir[1] << ",\n    " << dir[2] << ", " << dir[3] << ",\n};\n";
    std::ofstream file(argv[2], std::ios::binary);
    file << out.str();
    if (!file.flush()) {
        std::cerr << "rc2tables: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
