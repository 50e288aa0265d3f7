// The help viewer on hostile help files: for each, the longest time the event loop was held and the
// peak memory, measured in a fresh process per file. The goal is no block over 500 ms and less than
// 500 MB. Each file is compiled with chmcmd first; the run then opens it as a user would.

#include "help/viewer/helpindexpane.h"
#include "help/viewer/helpsearchpane.h"
#include "help/viewer/helpviewer.h"
#include "help/viewer/topicchooser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Files = std::map<std::string, std::string>;

std::string repeated(const std::string &text, int times)
{
    std::string all;
    all.reserve(text.size() * size_t(times));
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

std::string page(const std::string &title, const std::string &body)
{
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

std::string numbered(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "p%04d.htm", i);
    return name;
}

// What is done with the file once it is open.
enum class Use { Read, Search, OpenKeyword };

struct Case
{
    const char *name;
    Use use;
    std::function<Files()> files;
};

const Case cases[] = {
    {"30 nested tables (1 KB)", Use::Read,
     [] { return Files{{"index.htm", page("t", repeated("<table><tr><td>x", 30) + repeated("</td></tr></table>", 30))}}; }},
    {"10,000 nested tables", Use::Read,
     [] { return Files{{"index.htm", page("t", repeated("<table><tr><td>x", 10000))}}; }},
    {"100,000 nested <b>", Use::Read, [] { return Files{{"index.htm", page("t", repeated("<b>", 100000) + "bold")}}; }},
    {"a 1 MB word", Use::Read, [] { return Files{{"index.htm", page("t", std::string(1 << 20, 'w'))}}; }},
    {"1,000 nests of 6 tables", Use::Read,
     [] { return Files{{"index.htm", page("t", repeated(repeated("<table><tr><td>x", 6) + repeated("</table>", 6), 1000))}}; }},
    {"a table of 20,000 cells", Use::Read,
     [] { return Files{{"index.htm", page("t", "<table>" + repeated("<tr>" + repeated("<td>c</td>", 100), 200) + "</table>")}}; }},
    // The container refuses a file with a larger object.
    {"a 15 MB page, opened from a search hit", Use::Search,
     [] {
         return Files{{"index.htm", page("start", "<p>start</p>")},
                      {"big.htm", page("big", repeated("<p>many needle words on a long page</p>\n", 375000))}};
     }},
    {"search of 5,000 pages", Use::Search,
     [] {
         Files files{{"index.htm", page("start", "<p>start</p>")}};
         for (int i = 0; i < 5000; ++i)
             files[numbered(i)] = page("Page " + std::to_string(i), "<p>needle" + std::to_string(i == 4999 ? 0 : i + 1)
                                                                      + " word</p>" + repeated("<p>filler text of a help page</p>", 40));
         files["p4999.htm"] = page("Page 4999", "<p>needle</p>");
         return files;
     }},
    {"keyword with 2,000 topics", Use::OpenKeyword,
     [] {
         Files files{{"index.htm", page("start", "<p>start</p>")}};
         std::string index = R"(<ul><li><object type="text/sitemap"><param name="Name" value="many">)";
         for (int i = 0; i < 2000; ++i) {
             files[numbered(i)] = page("Topic " + std::to_string(i), repeated("<p>text of a topic</p>", 200));
             index += R"(<param name="Local" value=")" + numbered(i) + "\">";
         }
         files["keys.hhk"] = index + "</object></ul>";
         return files;
     }},
};

std::string compile(const std::string &folder, const Files &files)
{
    std::filesystem::create_directories(folder);
    std::string project = "[OPTIONS]\nCompiled file=test.chm\nDefault topic=index.htm\nIndex file=keys.hhk\n\n[FILES]\n";
    for (const auto &[name, content] : files) {
        std::ofstream(folder + "/" + name, std::ios::binary) << content;
        project += name + "\n";
    }
    std::ofstream(folder + "/test.hhp") << project;
    const std::string command = "cd '" + folder + "' && chmcmd --no-html-scan test.hhp > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0 || !std::filesystem::exists(folder + "/test.chm"))
        return {};
    return folder + "/test.chm";
}

// Runs in a process of its own: opens the file, uses it, and prints the figures.
int measure(const Case &which, const QString &helpFile)
{
    int argc = 1;
    char program[] = "bench_help";
    char *argv[] = {program, nullptr};
    QApplication app(argc, argv);
    QWidget caller;
    caller.show();

    // The heartbeat: a timer due every 5 ms; the longest gap between its ticks is the longest block.
    constexpr int beat = 5;
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer heartbeat;
    heartbeat.setInterval(beat);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.restart());
    });

    QElapsedTimer total;
    HelpViewer *viewer = nullptr;
    bool done = false;
    // Steps, each run from the event loop as a user's action would be.
    QTimer::singleShot(20, [&] {
        total.start();
        viewer = HelpViewer::displayTopic(&caller, helpFile);
    });
    QTimer::singleShot(200, [&] {
        if (!viewer)
            return;
        QTextBrowser *browser = viewer->browser();
        browser->verticalScrollBar()->setValue(browser->verticalScrollBar()->maximum());
        switch (which.use) {
        case Use::Read:
            done = true;
            break;
        case Use::Search:
            viewer->navigation()->setCurrentWidget(viewer->search());
            viewer->search()->wordsField()->setText(QStringLiteral("needle"));
            break;
        case Use::OpenKeyword:
            viewer->navigation()->setCurrentWidget(viewer->index());
            viewer->index()->keywordField()->setText(QStringLiteral("many"));
            viewer->index()->keywordList()->setCurrentRow(0);
            emit viewer->index()->keywordField()->returnPressed();
            break;
        }
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!viewer || done)
            return;
        if (which.use == Use::Search && viewer->search()->resultList()->count() > 0) {
            // The hit is opened and its words marked.
            emit viewer->search()->wordsField()->returnPressed();
            viewer->browser()->verticalScrollBar()->setValue(viewer->browser()->verticalScrollBar()->maximum());
            done = true;
        } else if (which.use == Use::OpenKeyword) {
            auto *chooser = viewer->findChild<TopicChooser *>();
            if (chooser && chooser->topicList()->item(1999)->text() == QStringLiteral("Topic 1999"))
                done = true;
        }
    });
    poll.start(50);
    QTimer finish;
    QObject::connect(&finish, &QTimer::timeout, [&] {
        if (done || total.isValid() && total.elapsed() > 120000)
            app.quit();
    });
    finish.start(500);
    sinceTick.start();
    heartbeat.start();
    app.exec();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-42s %10lld ms %10.0f MB %9.1f s%s\n", which.name, static_cast<long long>(longest - beat),
                double(usage.ru_maxrss) / 1024.0, double(total.elapsed()) / 1000.0, done ? "" : "  (not finished)");
    std::fflush(stdout);
    return done ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && std::string(argv[1]) == "--case") {
        for (const Case &which : cases) {
            if (which.name == std::string(argv[2]))
                return measure(which, QString::fromLocal8Bit(argv[3]));
        }
        return 2;
    }

    char pattern[] = "/tmp/quarimo-bench-help-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    std::printf("%-42s %13s %13s %11s\n", "help file", "longest block", "peak memory", "done after");
    std::fflush(stdout);
    int failures = 0;
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const std::string helpFile = compile(folder + "/" + std::to_string(i), cases[i].files());
        if (helpFile.empty()) {
            std::printf("%-42s chmcmd could not compile it\n", cases[i].name);
            ++failures;
            continue;
        }
        // A fresh process per file, so each peak is its own.
        const std::string command = "'/proc/" + std::to_string(::getpid()) + "/exe' --case '" + cases[i].name + "' '" + helpFile + "'";
        failures += std::system(command.c_str()) != 0;
    }
    std::filesystem::remove_all(folder);
    std::printf("Goal: no block longer than 500 ms, peak memory below 500 MB.\n");
    return failures == 0 ? 0 : 1;
}
