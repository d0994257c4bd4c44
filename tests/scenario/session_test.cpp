// The scripted session (session.txt) against the program itself, through the GUI step runner: its
// keys go in, and its windows, status bar, texts, drawing and port accesses are checked, each
// within 5 s. The Windows build runs the same session under Wine (run.sh).
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>

#include "gui.h"
#include "recording_backend.h"

namespace {

// The port as the session's stand-ins are: data and status read 0xFF until written (status never
// is); control starts as a ppdev claim loads it, 0x0C, and keeps its four output lines only.
struct StandInPort final : portio::Backend {
    int data = 0xFF, control = 0x0C;
    int read(unsigned short port) override {
        return port == portio::kDataAddr ? data : port == portio::kControlAddr ? control : 0xFF;
    }
    void write(unsigned short port, int value) override {
        data = port == portio::kDataAddr ? value & 0xFF : data;
        control = port == portio::kControlAddr ? value & portio::kControlLines : control;
    }
};

struct Step {
    std::string where; // "session.txt:LINE: TEXT"
    QStringList words; // as a shell reads them
};

// The session's steps for this build, by runs of the program (from a `start` to its `exit`).
std::vector<std::vector<Step>> runsOf(const char* path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    const QStringList lines = QString(file.readAll()).split('\n');
    std::vector<std::vector<Step>> runs;
    for (int n = 0; n < lines.size(); ++n) {
        QString step = lines[n].left(lines[n].indexOf("  #"));
        QStringList words = QProcess::splitCommand(step.startsWith("linux: ") ? step.mid(7) : step);
        if (words.isEmpty() || words[0].startsWith('#') || words[0] == "windows:")
            continue;
        if (words[0] == "start" || runs.empty())
            runs.emplace_back();
        runs.back().push_back(
            {"session.txt:" + std::to_string(n + 1) + ": " + lines[n].toStdString(), words});
    }
    return runs;
}

// The main window's last paint by lines, top first, each line's texts left to right, "|" between
// them, as "TEXT:COLOURS", a letter a character (k black, else the colour's initial; a text drawn
// again over another's start colours those characters anew), the time of day as TIME.
QStringList painted(const std::vector<Win32DrawOp>& trace) {
    static const QList<COLORREF> colours = {0xFFFFFF, 0x00FFFF, 0x000000,
                                            0x007D00, 0x0000EB, 0xFF0000};
    std::map<int, std::map<int, std::pair<QString, QString>>> at; // by y, then x
    for (const Win32DrawOp& op : trace) {
        if (op.hwnd == hwndMain && op.kind == Win32DrawOp::BeginPaint)
            at.clear();
        if (op.hwnd != hwndMain || op.kind != Win32DrawOp::Text)
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
    for (const QString& r : words.mid(1)) {
        const QStringList v = r.split('/'); // data, status, control in decimal
        auto bits = [&](int i) { return QString::number(v[i].toInt(), 2).rightJustified(8, '0'); };
        auto all = [&](int i, char c) { return v[i] + ':' + QString(v[i].size(), c); };
        QString row = "TIME:" + QString(17, 'g') + '|' + bits(0) + ":rrrrrrrr|" + all(0, 'r') +
                      '|' + bits(1) + ":bbbbbkkk|" + all(1, 'b') + '|' + bits(2) + ":kkkkrrrr|" +
                      all(2, 'r');
        rows << (rows.isEmpty() ? row : row.replace(QRegularExpression("[gbr]"), "k"));
    }
    return rows.join('\n');
}

// Seen as `want` when `texts` has it, else as all of them.
QString among(const QStringList& texts, const QString& want) {
    return texts.contains(want) ? want : texts.join('|');
}

// What a window shows: its own text (a message box's) and its visible controls' (labels,
// buttons, edit fields), as `among` sees them.
QString shows(QWidget* w, const QString& want) {
    QStringList texts;
    for (QWidget* c : w ? w->findChildren<QWidget*>() << w : QList<QWidget*>())
        if (c->isVisible() && !c->property("text").toString().isEmpty())
            texts << c->property("text").toString();
    return w ? among(texts, want) : "no such window";
}

// "centred" when the window's frame stands in the middle of its screen's work area, within 10 px.
QString place(QWidget* w) {
    QRect f = w ? w->frameGeometry() : QRect();
    QPoint off = w ? f.center() - w->screen()->availableGeometry().center() : QPoint();
    return w && QPoint::dotProduct(off, off) < 100
               ? "centred"
               : QString::asprintf("at %d,%d, %d x %d", f.x(), f.y(), f.width(), f.height());
}

QString titleOf(QWidget* w) {
    return w ? w->windowTitle() : "none";
}

// Port accesses as the InpOut32 stand-in writes them: "in 0378 ff, out 037a 0e".
QString accesses(const std::vector<testsupport::PortAccess>& log, size_t from) {
    QStringList text;
    for (size_t i = from; i < log.size(); ++i)
        text << QString::asprintf("%s %04x %02x", log[i].kind == log[i].Out ? "out" : "in",
                                  log[i].port, log[i].value);
    return text.join(", ");
}

void runProgram(const std::vector<Step>& run) {
    std::vector<Win32DrawOp> trace;
    const auto& log = testsupport::installRecording(std::make_unique<StandInPort>());
    size_t ported = 0;
    QString saw; // what the last check saw
    gui::Script script;
    for (const Step& step : run) {
        const QString verb = step.words[0], arg = step.words.mid(1).join(' '),
                      title = step.words.value(1), text = step.words.value(2);
        auto check = [&](std::function<QString()> seen, QString want) {
            script.waitFor(
                step.where, [&saw, seen, want] { return (saw = seen()) == want; }, 5000);
        };
        if (verb == "key") {
            for (const QString& name : step.words.mid(1)) {
                QKeyCombination k = QKeySequence(name)[0];
                EXPECT_NE(k.key(), Qt::Key_unknown)
                    << step.where << ": no key " << qPrintable(name);
                script.then([k] { gui::key(k.key(), k.keyboardModifiers()); });
            }
        } else if (verb == "type") {
            script.then([title] { gui::type(title); });
        } else if (verb == "pause") {
            script.then([title] { QTest::qWait(int(title.toDouble() * 1000)); });
        } else if (verb == "active") {
            check([] { return titleOf(QApplication::activeWindow()); }, arg);
        } else if (verb == "gone") {
            check([title] { return QString(gui::window(title) ? "shown" : "gone"); }, "gone");
        } else if (verb == "centred") {
            check([title] { return place(gui::window(title)); }, "centred");
        } else if (verb == "status") {
            check([] { return QString::fromStdString(gui::status()); }, arg);
        } else if (verb == "shows") {
            check([=] { return shows(gui::window(title), text); }, text);
        } else if (verb == "drawn") {
            QString want = text + ':' + QString(text.size(), title == "black" ? 'k' : title[0]);
            check([&trace, want] { return among(painted(trace).join('|').split('|'), want); },
                  want);
        } else if (verb == "rows") {
            check([&trace] { return painted(trace).mid(1).join('\n'); }, rowsWanted(step.words));
        } else if (verb == "port") { // every access since the last port step
            check([&] { return accesses(log, ported); }, arg);
            script.then([&] { ported = log.size(); });
        } else if (verb == "close" || verb == "focus") {
            script.then([title, close = verb == "close"] {
                QWidget* w = gui::window(title);
                ASSERT_TRUE(w) << "no window " << qPrintable(title);
                close ? void(w->close()) : w->activateWindow();
            });
        } else if (verb == "shot") { // the screen; the offscreen platform has none to grab
            script.then([path = SCENARIO_OUT "/" + title + ".png"] {
                QGuiApplication::primaryScreen()->grabWindow(0).save(path);
            });
        } else if (verb != "start" && verb != "exit") {
            ADD_FAILURE() << step.where << ": no such step";
        }
    }
    if (testing::Test::HasFailure())
        return;
    Win32_SetHelpPath({BYTESCOPE_SOURCE_DIR "/docs"});
    Win32_SetDrawTrace(&trace);
    EXPECT_EQ(script.runProgram(), run.back().words.value(1).toInt())
        << run.back().where << "\n  the last check saw: " << saw.toStdString();
    Win32_SetDrawTrace(nullptr);
}

} // namespace

// Each run of the program starts in a fresh process, as a program does: a copy of this one, told
// by SCENARIO_RUN which run to make.
TEST(Scenario, OneSessionAsAPersonHasIt) {
    const auto runs = runsOf(SCENARIO_SESSION);
    for (const auto& run : runs)
        ASSERT_TRUE(run.front().words[0] == "start" && run.back().words[0] == "exit")
            << run.front().where << ": a run of the program goes from start to exit";
    if (QByteArray n = qgetenv("SCENARIO_RUN"); !n.isEmpty())
        return runProgram(runs.at(n.toUInt()));
    auto* self = testing::UnitTest::GetInstance()->current_test_info();
    ASSERT_TRUE(QDir().mkpath(SCENARIO_OUT) && !runs.empty());
    for (size_t i = 0; i < runs.size(); ++i) {
        QProcess copy;
        copy.setProcessChannelMode(QProcess::ForwardedChannels);
        qputenv("SCENARIO_RUN", QByteArray::number(qulonglong(i)));
        copy.start(QCoreApplication::applicationFilePath(),
                   {QString("--gtest_filter=%1.%2").arg(self->test_suite_name(), self->name())});
        EXPECT_TRUE(copy.waitForFinished(120000) && copy.exitStatus() == QProcess::NormalExit &&
                    copy.exitCode() == 0)
            << "the run of the program from " << runs[i].front().where;
    }
}
