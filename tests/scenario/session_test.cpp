// The scripted session (session.txt), read here once and run against either build, each step
// within 5 s:
// - the Linux program in this process, on a virtual X server, through the GUI step runner: each
//   run of the program is a case of its own, in a fresh process, as a program starts
//   (SCENARIO_RUN says which);
// - the Windows build under Wine, when SCENARIO_WINE names a folder holding bytescope.exe, the
//   window-text helper (peek.cpp) and the InpOut32 stand-in that logs every port access
//   (tools/wine-scenario.sh): keys go in through xdotool as a person types them, and the helper
//   and Wine's relay trace of the drawing calls show what the program does.
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>

#include "gui.h"
#include "recording_backend.h"

namespace {

// `want` when `texts` holds each of them, else all of `texts`.
QStringList among(const QStringList& texts, const QStringList& want) {
    return std::all_of(want.begin(), want.end(), [&](auto& w) { return texts.contains(w); })
               ? want
               : texts;
}

// The last paint of the window `main` by lines, top first, each line's texts left to right, "|"
// between them, as "TEXT:COLOURS", a letter a character (k black, else the colour's initial; a
// text drawn again over another's start colours those characters anew), the time of day as TIME.
QStringList paintedLines(const std::vector<Win32DrawOp>& trace, HWND main) {
    static const QList<COLORREF> colours = {0xFFFFFF, 0x00FFFF, 0x000000,
                                            0x007D00, 0x0000EB, 0xFF0000};
    std::map<int, std::map<int, std::pair<QString, QString>>> at; // by y, then x
    for (const Win32DrawOp& op : trace) {
        if (op.hwnd == main && op.kind == Win32DrawOp::BeginPaint)
            at.clear();
        if (op.hwnd != main || op.kind != Win32DrawOp::Text)
            continue;
        auto& [text, seen] = at[op.y][op.x];
        QString t = QString::fromStdString(op.text);
        text = t.size() > text.size() ? t : text;
        seen = QString(t.size(), "?wykgrb"[colours.indexOf(op.color) + 1]) + seen.mid(t.size());
    }
    static const QRegularExpression time("^  [0-2]\\d:[0-5]\\d:[0-5]\\d       $");
    QStringList lines;
    for (const auto& [y, line] : at) {
        QStringList texts;
        for (const auto& [x, f] : line)
            texts << QString(f.first).replace(time, "TIME") + ':' + f.second;
        lines << texts.join('|');
    }
    return lines;
}

// What `rows D/S/C...` wants under the header, a line a row: the newest row shows the time in
// green, data and control in red and status in blue, but the bits that the masks always clear in
// black; older rows are black.
QString rowsWanted(const QStringList& words) {
    QStringList rows;
    for (const QString& r : words.mid(1)) { // data, status, control in decimal
        QStringList row{"TIME:" + QString(17, 'g')};
        for (int i = 0; i < 3; ++i) {
            const QString v = r.section('/', i, i);
            row << QString::number(v.toInt(), 2).rightJustified(8, '0') + ':' +
                       QString("rrrrrrrrbbbbbkkkkkkkrrrr").mid(8 * i, 8)
                << v + ':' + QString(v.size(), "rbr"[i]);
        }
        rows << (rows.isEmpty() ? row.join('|')
                                : row.join('|').replace(QRegularExpression("[gbr]"), "k"));
    }
    return rows.join('\n');
}

// "centred" when a window's frame stands in the middle of the screen's work area (within 10 px).
QString placed(QRect frame, QRect area) {
    QPoint off = frame.center() - area.center();
    return QPoint::dotProduct(off, off) < 100 ? "centred"
                                              : QString::asprintf("off by %d,%d", off.x(), off.y());
}

struct Step {
    QString verb;
    std::string line;                   // "session.txt:LINE (BUILD): TEXT"
    std::function<void()> run = {};     // an action, or
    std::function<QString()> seen = {}; // a check, which holds when it sees
    QString want = {};                  // this
};

// The steps of session.txt for the build `name` ("linux" or "windows"), of the program's run
// number `run` (from a `start` to its `exit`, counted from 0; steps before the first `start` are
// the first run's), or with -1 of every run. `start` checks that the main window is active; `exit`
// wants its code. `Build` drives the program and looks at it, naming a window by its title:
//   act(WORDS)   does "key" and xdotool's key names, "type" TEXT, or "close", "focus",
//                "minimise" or "restore" and a title
//   sees(VERB, TITLE, WANT)   what the check VERB of the window TITLE sees:
//     active     the active window as "TITLE|TEXT...", of its controls' texts as `among` sees
//                them against WANT, "none" without one
//     gone, centred   "gone" when no such window is shown, else as `placed` sees it
//     status     the status bar;  port  every port access since the last port step
//     default    the push button the window frames as its default one
//     disabled   "disabled" when the window takes no input, else "enabled"
//   painted()    the main window's last paint, as paintedLines sees it
//   ported()     a port step has seen the accesses so far
template <class Build> std::vector<Step> steps(Build& b, const QString& name, int run) {
    QFile file(SCENARIO_SESSION);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << SCENARIO_SESSION;
    const QStringList lines = QString(file.readAll()).split('\n');
    std::vector<Step> out;
    for (int n = 0, at = -1; n < lines.size(); ++n) {
        const QString line = lines[n].left(lines[n].indexOf("  #")), mine = name + ": ";
        const QStringList words =
            QProcess::splitCommand(line.startsWith(mine) ? line.mid(mine.size()) : line);
        if (words.isEmpty() || words[0].startsWith('#') || words[0].endsWith(':') ||
            (std::max(at += words[0] == "start", 0) != run && run >= 0))
            continue;
        const QString verb = words[0], arg = words.mid(1).join(' '), title = words.value(1);
        // clang-format off
        const std::map<QString, QString> wants = {
            {"active", words.mid(1).join('|')}, {"start", "Bytescope"}, {"gone", verb},
            {"centred", verb}, {"disabled", verb}, {"status", arg}, {"port", arg},
            {"default", words.value(2)}};
        // clang-format on
        Step s{.verb = verb,
               .line = "session.txt:" + std::to_string(n + 1) + " (" + name.toStdString() +
                       "): " + lines[n].toStdString()};
        auto act = [&](std::function<void()> f) { out.push_back(s), out.back().run = f; };
        auto check = [&](std::function<QString()> f, const QString& want) {
            out.push_back(s), out.back().seen = f, out.back().want = want;
        };
        if (verb == "pause") {
            act([title] { QTest::qWait(title.toDouble() * 1000); });
        } else if (QString("key type close focus minimise restore").split(' ').count(verb)) {
            act([&b, words] { b.act(words); });
        } else if (wants.count(verb)) {
            const QString asked = verb == "start" ? "active" : verb;
            check([&b, asked, title, want = words.mid(2)] { return b.sees(asked, title, want); },
                  wants.at(verb));
            if (verb == "port")
                act([&b] { b.ported(); });
        } else if (verb == "drawn") {
            QStringList want = words.mid(2);
            for (QString& t : want)
                t += ':' + QString(t.size(), title == "black" ? 'k' : title[0]);
            check([&b, want] { return among(b.painted().join('|').split('|'), want).join('|'); },
                  want.join('|'));
        } else if (verb == "rows") {
            check([&b] { return b.painted().mid(1).join('\n'); }, rowsWanted(words));
        } else if (verb == "exit") {
            check(nullptr, title);
        } else {
            ADD_FAILURE() << s.line << ": no such step";
        }
    }
    return out;
}

// The Linux program, in this process, on the stand-in port that reads 0xFF until written and
// whose ppdev claim loads control 0x0C.
class LinuxProgram {
public:
    void act(const QStringList& words) {
        // clang-format off
        static const std::map<QString, std::function<void(QWidget*)>> actions = {
            {"close", [](QWidget* w) { w->close(); }}, {"focus", &QWidget::activateWindow},
            {"minimise", &QWidget::showMinimized}, {"restore", &QWidget::showNormal}};
        // clang-format on
        if (words[0] == "type")
            gui::type(words.value(1));
        else if (QWidget* w = gui::window(words.value(1)); words[0] != "key") {
            ASSERT_TRUE(w) << "no window " << qPrintable(words.value(1));
            actions.at(words[0])(w);
        }
        for (const QString& name : words[0] == "key" ? words.mid(1) : QStringList()) {
            QKeyCombination k = QKeySequence(name)[0];
            ASSERT_NE(k.key(), Qt::Key_unknown) << "no key " << qPrintable(name);
            gui::key(k.key(), k.keyboardModifiers());
        }
    }
    // A label that would take its text as markup says so.
    QString sees(const QString& verb, const QString& title, const QStringList& want) {
        QWidget* w = verb == "active" ? QApplication::activeWindow() : gui::window(title);
        if (verb == "status")
            return QString::fromStdString(gui::status());
        if (verb == "port")
            return QString::fromStdString(
                testsupport::describe({log.begin() + ported_, log.end()}));
        if (!w)
            return verb == "active" ? "none" : "gone";
        if (verb == "disabled")
            return Win32_IsEnabled(Win32_WindowOf(w)) ? "enabled" : "disabled";
        if (verb != "active" && verb != "default")
            return placed(w->frameGeometry(), w->screen()->availableGeometry());
        QStringList texts;
        for (QWidget* c : w->findChildren<QWidget*>()) {
            const QString text = c->property("text").toString();
            auto* label = qobject_cast<QLabel*>(c);
            auto* button = qobject_cast<QPushButton*>(c);
            if (verb == "default" && button && button->isDefault())
                return text;
            if (c->isVisible() && !text.isEmpty())
                texts << (label && label->textFormat() != Qt::PlainText ? "markup: " + text : text);
        }
        return verb == "default" ? "none"
                                 : (QStringList{w->windowTitle()} << among(texts, want)).join('|');
    }
    QStringList painted() { return paintedLines(trace, hwndMain); }
    void ported() { ported_ = log.size(); }

    std::vector<Win32DrawOp> trace;

private:
    const std::vector<testsupport::PortAccess>& log = testsupport::installRecording(
        std::make_unique<testsupport::ScriptedBackend>(0xFF, 0xFF, 0x0C));
    size_t ported_ = 0;
};

// Runs `program` with `args`, for at most 10 s: its standard output without carriage returns and
// the last newline, or a null string when it fails.
QString output(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode())
        return {};
    QString out = QString::fromLocal8Bit(p.readAllStandardOutput()).remove('\r') + ""; // not null
    return out.endsWith('\n') ? out.chopped(1) : out;
}

// The Windows build under Wine, from the folder `dir`, in the X display and the Wine prefix this
// process is given. Its logs land there: the relay trace, the port stand-in's accesses.
class WineProgram {
public:
    explicit WineProgram(const QString& dir) : dir_(dir) {}
    // Starts the program; the `start` step then waits for its window (the first start of Wine in
    // a display takes long).
    void start() {
        main_.clear(), sees("port", {}, {}), ported(); // the accesses of earlier runs are seen
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("WINEDEBUG", "+relay");
        program_.setProcessEnvironment(env);
        program_.setStandardErrorFile(dir_ + "/relay.log");
        program_.start("wine", {dir_ + "/bytescope.exe"});
    }
    QString ended() { return program_.state() ? "running" : QString::number(program_.exitCode()); }
    void act(const QStringList& words) {
        const QString verb = words[0], title = words.value(1);
        if (verb == "key" || verb == "type")
            xdotool(QStringList{verb, "--delay", "100"} << words.mid(1));
        else if (verb == "focus")
            xdotool({"search", "--name", '^' + title + '$', "windowfocus", "--sync"});
        else if (verb != "close")
            peek({verb == "minimise" ? "-n" : "-r", title});
        else // a click in the middle of the close box
            xdotool(QStringList{"mousemove"} << peek({"-c", title}).split(' ') << "click"
                                             << "1");
    }
    // Keys reach a window only once it has the X focus too. Without a window manager, Wine's own
    // request for it can be lost (the X server ignores one whose time stamp is older than the last
    // focus change), so the window Wine made active is given it, as a window manager would, and
    // looked at again on the next try.
    QString sees(const QString& verb, const QString& title, const QStringList& want) {
        static const QRegularExpression geometry("X=(\\d+)\nY=(\\d+)\nWIDTH=(\\d+)\nHEIGHT=(\\d+)");
        if (verb == "default" || verb == "disabled")
            return peek({verb == "default" ? "-d" : "-e", title});
        if (verb == "status")
            return peek({"Bytescope"}).section('\n', 1, 1);
        if (verb == "port") { // the stand-in's log, from the last port step on
            const QStringList log =
                QString(read("/inpout-access.log")).split('\n', Qt::SkipEmptyParts);
            return seen_ = log.size(), log.mid(ported_).join(", ");
        }
        if (verb == "active") {
            const QStringList all = peek({}).split('\n');
            const QString x = xdotool({"getwindowfocus", "getwindowname"});
            if (x != all[0] && !all[0].isEmpty())
                xdotool({"search", "--onlyvisible", "--name", '^' + all[0] + '$', "windowfocus"});
            return (x == all[0] ? "" : "X focus on " + x + ": ") +
                   (all[0].isEmpty() ? "none"
                                     : (all.mid(0, 1) << among(all.mid(1), want)).join('|'));
        }
        const QRegularExpressionMatch g =
            geometry.match(xdotool({"search", "--onlyvisible", "--name", '^' + title + '$',
                                    "getwindowgeometry", "--shell"}));
        auto n = [&g](int i) { return g.captured(i).toInt(); };
        return g.hasMatch() ? placed(QRect(n(1), n(2), n(3), n(4)), QRect(0, 0, 1024, 768))
                            : "gone";
    }
    // From the relay trace of the main window's thread ("0024:Call gdi32.TextOutA(hdc,x,y,ptr
    // \"text\",count) ..."): a paint starts in black, and the lines of a DrawTextA, whose place the
    // trace does not give, stand first.
    QStringList painted() {
        static const QRegularExpression call("^(\\w+):Call \\w+\\.(\\w+)\\(([0-9a-f]+),([0-9a-f]+)"
                                             "(?:,([0-9a-f]+),[0-9a-f]+ \"([^\"]*)\",([0-9a-f]+))?"
                                             "(?: \"([^\"]*)\")?");
        main_ = main_.isEmpty() ? peek({"-m"}) : main_; // "THREAD HANDLE", as the trace has them
        std::vector<Win32DrawOp> ops;
        COLORREF colour = 0;
        int order = 0;
        auto draw = [&](Win32DrawOp::Kind kind, quint64 x, int y, const QString& t) {
            ops.push_back({kind, nullptr, int(x), y, 0, 0, t.toStdString(), colour, TRANSPARENT});
        };
        for (const QString& line : QString(read("/relay.log")).split('\n')) {
            const QRegularExpressionMatch m = call.match(line);
            const QString f = m.captured(2);
            auto n = [&m](int i) { return m.captured(i).toULongLong(nullptr, 16); };
            if (m.captured(1) != main_.section(' ', 0, 0))
                continue;
            if (f == "BeginPaint" && n(3) == main_.section(' ', 1).toULongLong(nullptr, 16))
                draw(Win32DrawOp::BeginPaint, 0, 0, {}), colour = 0;
            else if (f == "SetTextColor")
                colour = COLORREF(n(4));
            else if (f == "TextOutA")
                draw(Win32DrawOp::Text, n(4), int(n(5)), m.captured(6).left(int(n(7))));
            for (const QString& text :
                 f == "DrawTextA" ? m.captured(8).split("\\n") : QStringList())
                if (!text.isEmpty())
                    draw(Win32DrawOp::Text, ++order, -1, text);
        }
        return paintedLines(ops, nullptr);
    }
    void ported() { ported_ = seen_; }

private:
    QByteArray read(const QString& name) {
        QFile file(dir_ + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(); // none yet: empty
    }
    static QString xdotool(const QStringList& args) { return output("xdotool", args); }
    QString peek(const QStringList& args) {
        return output("wine", QStringList{dir_ + "/scenario_peek.exe"} << args);
    }

    QString dir_, main_; // main_: the main window's thread and handle, as the trace prints them
    QProcess program_;
    qsizetype ported_ = 0, seen_ = 0;
};

} // namespace

// Under Wine, every run of the program in turn; it ends at the first step that fails, with a
// screenshot of the display.
TEST(Scenario, OneSessionAsAPersonHasIt) {
    if (const QString dir = qEnvironmentVariable("SCENARIO_WINE"); !dir.isEmpty()) {
        WineProgram wine(dir);
        for (Step& s : steps(wine, "windows", -1)) {
            if (s.verb == "start")
                wine.start();
            if (s.verb == "exit")
                s.seen = [&wine] { return wine.ended(); };
            QString saw;
            QElapsedTimer t;
            const int ms = s.verb == "start" ? 60000 : s.verb == "exit" ? 10000 : 5000;
            for (t.start(); !s.run && (saw = s.seen()) != s.want && t.elapsed() < ms;)
                QTest::qWait(100);
            if (s.run ? (s.run(), HasFatalFailure()) : saw != s.want) {
                QProcess::execute("import", {"-window", "root", dir + "/failed.png"});
                FAIL() << s.line << "\n  saw: " << saw.toStdString();
            }
        }
        return;
    }
    LinuxProgram program;
    const std::vector<Step> run =
        steps(program, "linux", qEnvironmentVariableIntValue("SCENARIO_RUN"));
    ASSERT_TRUE(!HasFailure() && !run.empty() && run.front().verb == "start" &&
                run.back().verb == "exit")
        << "session.txt: each run of the program goes from start to exit";
    QString saw; // what the last check saw
    gui::Script script;
    for (const Step& s : std::vector(run.begin(), run.end() - 1)) // the exit is the program's
        s.run ? (void)script.then(s.run)
              : (void)script.waitFor(
                    s.line, [&saw, s] { return (saw = s.seen()) == s.want; }, 5000);
    Win32_SetHelpPath({BYTESCOPE_SOURCE_DIR "/docs"});
    Win32_SetDrawTrace(&program.trace);
    EXPECT_EQ(script.runProgram(), run.back().want.toInt())
        << run.back().line << "\n  the last check saw: " << saw.toStdString();
    Win32_SetDrawTrace(nullptr);
}
