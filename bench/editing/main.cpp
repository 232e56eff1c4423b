// Editing speed: Tabs to Spaces and Spaces to Tabs on a 10 MiB file indented 20 levels
// deep, and the cost of one key press with automatic word completion in a 50 MiB
// document. Run by hand: velmo_bench_editing (uses the offscreen platform).
#include "documents/backup/BackupStore.h"
#include "documents/text/Assist.h"
#include "documents/text/EditCommands.h"
#include "documents/text/TextFile.h"
#include "documents/text/TextView.h"

#include "app/commands/CommandTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using SB = QsciScintillaBase;

std::string indentedText(size_t bytes)
{
    std::string out;
    out.reserve(bytes + 256);
    int level = 0;
    while (out.size() < bytes) {
        out.append(size_t(level), '\t');
        out += "value = compute(level, other);\n";
        level = 20;   // every line 20 levels deep
    }
    return out;
}

std::string wordyText(size_t bytes)
{
    std::mt19937 rng(7);
    const char* words[] = {"alpha", "beta", "gamma", "delta", "epsilon", "zeta", "theta", "kappa", "lambda", "omega"};
    std::string out;
    out.reserve(bytes + 256);
    while (out.size() < bytes) {
        for (int w = 0; w < 10; ++w) {
            out += words[rng() % 10];
            out += std::to_string(rng() % 1000);
            out += ' ';
        }
        out += '\n';
    }
    return out;
}

double ms(QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

void indentation()
{
    CTextView view;
    view.resize(800, 600);
    const std::string text = indentedText(10u << 20);
    view.SendScintilla(SB::SCI_SETUNDOCOLLECTION, 0UL);
    view.addText(text);
    view.SendScintilla(SB::SCI_SETUNDOCOLLECTION, 1UL);
    view.SendScintilla(SB::SCI_SETTABWIDTH, 4UL);
    view.SendScintilla(SB::SCI_SETMODEVENTMASK, (unsigned long)SB::SC_MOD_CHANGEFOLD);   // as in the editor
    QElapsedTimer t;
    t.start();
    view.command(cmd::EditTabsToSpaces);
    const double toSpaces = ms(t);
    const long grown = view.length();
    t.restart();
    view.command(cmd::EditSpacesToTabs);
    const double toTabs = ms(t);
    std::printf("Tabs to Spaces, %.1f MiB indented 20 levels: %.0f ms (%.1f MiB after)\n",
                double(text.size()) / (1 << 20), toSpaces, double(grown) / (1 << 20));
    t.restart();
    const std::string converted = editops::tabsToSpaces(text, 4);
    std::printf("  of which the text transform alone: %.0f ms\n", ms(t));
    std::printf("Spaces to Tabs back: %.0f ms, text restored: %s\n", toTabs, view.text() == text ? "yes" : "NO");
}

void typing()
{
    CTextView view;
    view.resize(800, 600);
    view.show();
    const std::string text = wordyText((50u << 20) - 4096);   // the largest file opened as text
    // Loaded as the editor loads a file, so the component's buffer has the room it has then.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("words.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size()))
            std::abort();
    }
    if (!textdoc::loadText(view, path, 5))
        std::abort();
    // As with every applied language: the component reports fold changes only (its own
    // per-insertion notification would count the characters from the document's start).
    view.SendScintilla(SB::SCI_SETMODEVENTMASK, (unsigned long)SB::SC_MOD_CHANGEFOLD);
    assist::Config cfg;
    cfg.autoWordCompletion = !qEnvironmentVariableIsSet("BENCH_NO_ASSIST");
    view.assist().configure(cfg);
    const long middle = qEnvironmentVariableIsSet("BENCH_AT_START") ? 1000L : long(text.size() / 2);
    const long lineStart = long(view.SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)view.lineFromPosition(middle)));
    view.SendScintilla(SB::SCI_GOTOPOS, (unsigned long)lineStart);
    QApplication::processEvents();
    // The first key moves the component's insertion gap to the caret: timed apart.
    {
        QKeyEvent first(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral(" "));
        QElapsedTimer t;
        t.start();
        QApplication::sendEvent(&view, &first);
        std::printf("First key press in the middle of the document (moves the insertion gap): %.1f ms\n", ms(t));
    }
    int lists = 0;
    std::vector<double> costs;
    const QString typed = QStringLiteral("alp gam omeg kap zzz del alpha thet lambda9 xq ");
    for (int round = 0; round < 3; ++round)
        for (QChar c : typed) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QElapsedTimer t;
            t.start();
            QApplication::sendEvent(&view, &press);
            costs.push_back(ms(t));
            if (qEnvironmentVariableIsSet("BENCH_TRACE") && costs.back() > 5)
                std::printf("  slow key %zu (%c): %.1f ms\n", costs.size(), char(c.unicode()), costs.back());
            if (view.SendScintilla(SB::SCI_AUTOCACTIVE)) {
                ++lists;
                view.SendScintilla(SB::SCI_AUTOCCANCEL);
            }
        }
    std::sort(costs.begin(), costs.end());
    std::printf("Key press with automatic word completion, %.0f MiB document: median %.2f ms, worst %.2f ms "
                "(%zu keys, %d lists shown)\n",
                double(text.size()) / (1 << 20), costs[costs.size() / 2], costs.back(), costs.size(), lists);

    // The same document backed up while typing goes on: the text is taken on this thread,
    // written on the writer's.
    backup::Writer writer(dir.path());
    costs.clear();
    double snapshotMs = 0, firstSnapshotMs = 0;
    int backups = 0;
    QElapsedTimer run;
    run.start();
    // As the editor does at the first change after a backup.
    writer.prepareSpare(size_t(view.length()) + size_t(view.length()) / 8 + 4096);
    QThread::msleep(1000);   // the quiet second before a backup
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        std::string snapshot = writer.takeSpare();
        view.copyText(snapshot);
        writer.write(QStringLiteral("doc-1"), std::move(snapshot), QByteArray("Path=<new>\n"));
        snapshotMs = std::max(snapshotMs, ms(t));
        if (round == 0)
            firstSnapshotMs = snapshotMs, snapshotMs = 0;
        ++backups;
        for (QChar c : typed) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            t.restart();
            QApplication::sendEvent(&view, &press);
            costs.push_back(ms(t));
            if (view.SendScintilla(SB::SCI_AUTOCACTIVE))
                view.SendScintilla(SB::SCI_AUTOCCANCEL);
            QThread::msleep(5);   // a fast typist: 200 keys a second
        }
        writer.flush();   // backups are seconds apart: the last one is written by the next
    }
    writer.flush();
    std::sort(costs.begin(), costs.end());
    std::printf("Key press while the 50 MiB document is backed up (%d backups in %lld ms): median %.2f ms, worst %.2f ms; "
                "taking the text %.1f ms the first time, then %.1f ms at most\n",
                backups, static_cast<long long>(run.elapsed()), costs[costs.size() / 2], costs.back(), firstSnapshotMs, snapshotMs);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!qEnvironmentVariableIsSet("BENCH_ONLY_TYPING"))
        indentation();
    typing();
    return 0;
}
