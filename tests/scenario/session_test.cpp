// The scripted session (session.txt) against the program itself, through the GUI step runner: its
// keys go in, and its windows, status bar, texts, drawing and port accesses are checked, each
// within 5 s. Each run of the program is a case of its own, in a fresh process, as a program
// starts: SCENARIO_RUN says which. The Windows build runs the same session under Wine (run.sh).
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

// Where a window stands: "gone" when none is shown, "centred" when its frame stands in the middle
// of its screen's work area (within 10 px).
QString where(QWidget* w) {
    if (!w)
        return "gone";
    QPoint off = w->frameGeometry().center() - w->screen()->availableGeometry().center();
    return QPoint::dotProduct(off, off) < 100 ? "centred"
                                              : QString::asprintf("off by %d,%d", off.x(), off.y());
}

// The push button that `w` frames as its default one.
QString defaultButton(QWidget* w) {
    for (QPushButton* b : w ? w->findChildren<QPushButton*>() : QList<QPushButton*>())
        if (b->isDefault())
            return b->text();
    return "none";
}

// The active window as "TITLE|TEXT...", of its visible controls' texts as `among` sees them; a
// label that would take its text as markup says so.
QString looks(const QStringList& want) {
    QWidget* w = QApplication::activeWindow();
    QStringList texts;
    for (QWidget* c : w ? w->findChildren<QWidget*>() : QList<QWidget*>()) {
        const QString text = c->property("text").toString();
        auto* label = qobject_cast<QLabel*>(c);
        if (c->isVisible() && !text.isEmpty())
            texts << (label && label->textFormat() != Qt::PlainText ? "markup: " + text : text);
    }
    return w ? (QStringList{w->windowTitle()} << among(texts, want)).join('|') : "none";
}

} // namespace

// One run of the program (from a `start` to its `exit`; steps before the first `start` are the
// first run's), the one SCENARIO_RUN says, with this build's steps.
TEST(Scenario, OneSessionAsAPersonHasIt) {
    const int run = qEnvironmentVariableIntValue("SCENARIO_RUN");
    QFile file(SCENARIO_SESSION);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString(file.readAll()).split('\n');
    std::vector<Win32DrawOp> trace;
    const auto& log = testsupport::installRecording(
        std::make_unique<testsupport::ScriptedBackend>(0xFF, 0xFF, 0x0C));
    size_t ported = 0;
    auto since = [&] { // every access since the last port step
        return QString::fromStdString(testsupport::describe({log.begin() + ported, log.end()}));
    };
    QString saw; // what the last check saw
    QStringList verbs, last;
    std::string step; // "session.txt:LINE: TEXT"
    gui::Script script;
    const std::map<QString, std::function<void(QWidget*)>> actions = {
        {"close", [](QWidget* w) { w->close(); }},
        {"focus", &QWidget::activateWindow},
        {"minimise", &QWidget::showMinimized},
        {"restore", &QWidget::showNormal}};
    for (int n = 0, at = -1; n < lines.size(); ++n) {
        QString line = lines[n].left(lines[n].indexOf("  #"));
        const QStringList words =
            QProcess::splitCommand(line.startsWith("linux: ") ? line.mid(7) : line);
        if (words.isEmpty() || words[0].startsWith('#') || words[0] == "windows:" ||
            std::max(at += words[0] == "start", 0) != run)
            continue;
        step = "session.txt:" + std::to_string(n + 1) + ": " + lines[n].toStdString();
        const QString verb = words[0], arg = words.mid(1).join(' '), title = words.value(1);
        const QStringList texts = words.mid(2);
        verbs << verb;
        last = words;
        auto check = [&](std::function<QString()> seen, QString want) {
            script.waitFor(
                step, [&saw, seen, want] { return (saw = seen()) == want; }, 5000);
        };
        if (verb == "key") {
            for (const QString& name : words.mid(1)) {
                QKeyCombination k = QKeySequence(name)[0];
                EXPECT_NE(k.key(), Qt::Key_unknown) << step << ": no key " << qPrintable(name);
                script.then([k] { gui::key(k.key(), k.keyboardModifiers()); });
            }
        } else if (verb == "type" || verb == "pause") {
            script.then(
                [=] { verb == "type" ? gui::type(title) : QTest::qWait(title.toDouble() * 1000); });
        } else if (verb == "active") {
            check([texts] { return looks(texts); }, words.mid(1).join('|'));
        } else if (verb == "gone" || verb == "centred") {
            check([title] { return where(gui::window(title)); }, verb);
        } else if (verb == "status") {
            check([] { return QString::fromStdString(gui::status()); }, arg);
        } else if (verb == "drawn") {
            QStringList want = texts;
            for (QString& t : want)
                t += ':' + QString(t.size(), title == "black" ? 'k' : title[0]);
            check([&trace,
                   want] { return among(painted(trace).join('|').split('|'), want).join('|'); },
                  want.join('|'));
        } else if (verb == "rows") {
            check([&trace] { return painted(trace).mid(1).join('\n'); }, rowsWanted(words));
        } else if (verb == "port") {
            check(since, arg);
            script.then([&] { ported = log.size(); });
        } else if (verb == "default") {
            check([title] { return defaultButton(gui::window(title)); }, words.value(2));
        } else if (verb == "disabled") {
            check(
                [title] {
                    QWidget* w = gui::window(title);
                    return w && !Win32_IsEnabled(Win32_WindowOf(w)) ? "disabled" : "enabled";
                },
                verb);
        } else if (actions.count(verb)) {
            script.then([title, act = actions.at(verb)] {
                QWidget* w = gui::window(title);
                ASSERT_TRUE(w) << "no window " << qPrintable(title);
                act(w);
            });
        } else if (verb != "start" && verb != "exit") {
            ADD_FAILURE() << step << ": no such step";
        }
    }
    ASSERT_TRUE(!verbs.empty() && verbs.front() == "start" && verbs.back() == "exit")
        << "session.txt: run " << run << " of the program goes from start to exit";
    if (testing::Test::HasFailure())
        return;
    Win32_SetHelpPath({BYTESCOPE_SOURCE_DIR "/docs"});
    Win32_SetDrawTrace(&trace);
    EXPECT_EQ(script.runProgram(), last.value(1).toInt())
        << step << "\n  the last check saw: " << saw.toStdString();
    Win32_SetDrawTrace(nullptr);
}
