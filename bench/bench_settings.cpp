// SPDX-License-Identifier: GPL-3.0-or-later
// Times settings files with 2 500, 5 000, 10 000 and 20 000 advanced lines, in processor time: writing them
// (Save) and reading them back into the window (Open), through the windows' settings reader and writer on a
// window shaped like the main window (offscreen). Goal: each doubling of the lines costs at most 2.2 times the time.
// Each timed round follows an untimed one of the same size, so that what the heap kept from a smaller or larger size
// does not count.
#include "BenchSupport.h"

#include "config/OptionControls.h"
#include "config/OptionTable.h"
#include "platform/HeapReuse.h"
#include "platform/Paths.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int Sizes[] = {2'500, 5'000, 10'000, 20'000};
constexpr int Repetitions = 21;
constexpr double AllowedGrowth = 2.2;

// The processor time of the process so far, in seconds: on a shared machine the wall clock also counts the
// time that other programs took.
double ProcessorSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The processor time that `work` takes, in seconds.
double Seconds(const std::function<void()>& work) {
    const double start = ProcessorSeconds();
    work();
    return ProcessorSeconds() - start;
}

// Advanced lines as administrators keep them: groups of settings under comment lines.
QStringList AdvancedLines(int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << (i % 25 == 0 ? QStringLiteral("// Group %1").arg(i / 25)
                              : QStringLiteral("seta bench_cvar_%1 \"value number %1\"").arg(i));
    return lines;
}

// The main window's settings in miniature: a few fields, a drop-down list and the advanced lines.
class TBenchForm : public QWidget {
public:
    TBenchForm() {
        for (const char* name : {"sv_hostname", "Email", "Admin", "EditPath"})
            controls.Bind(OptionNamed("MainForm", name), new QLineEdit(QStringLiteral("bench"), this));
        controls.Bind(OptionNamed("MainForm", "dedicated"), new QComboBox(this))
            ->addItems({"None", "Local", "Internet"});
        advanced = controls.Bind(OptionNamed("MainForm", "ListBoxCfg"), new QListWidget(this));
    }

    TOptionControls controls;
    QListWidget* advanced;
};

struct Figures {
    int lines;
    double write, read;
};

} // namespace

int main(int argc, char** argv) {
    // The program's heap, as it sets it at its start.
    KeepFreedMemoryForReuse();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string folder = JoinPath(GetTempFolder(), "quendry-bench.XXXXXX");
    if (::mkdtemp(folder.data()) == nullptr)
        return 2;
    QApplication application(argc, argv);
    const QString file = QString::fromStdString(JoinPath(folder, "bench.ini"));

    // The sizes take turns, so that a busy moment of the machine falls on all of them alike; each keeps its
    // best time.
    std::vector<Figures> figures;
    for (const int count : Sizes)
        figures.push_back({count, 1e9, 1e9});
    for (int round = 0; round < Repetitions; ++round)
        for (Figures& row : figures)
            for (const bool timed : {false, true}) {
                TBenchForm form;
                form.advanced->addItems(AdvancedLines(row.lines));
                fs::remove(file.toStdString());
                const double write = Seconds([&] { SaveWindowSettings(file, {&form.controls}); });
                form.advanced->clear();
                const double read = Seconds([&] { LoadWindowSettings(TIniFile(file), {&form.controls}); });
                if (form.advanced->count() != row.lines)
                    return 2;
                if (timed) {
                    row.write = std::min(row.write, write);
                    row.read = std::min(row.read, read);
                }
            }
    fs::remove_all(folder);

    std::printf("%8s %12s %12s\n", "lines", "write (ms)", "read (ms)");
    double growth = 0;
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const Figures& row = figures[i];
        std::printf("%8d %12.1f %12.1f", row.lines, row.write * 1e3, row.read * 1e3);
        if (i > 0) {
            const Figures& before = figures[i - 1];
            const double write = row.write / before.write, read = row.read / before.read;
            std::printf("   x%.2f x%.2f", write, read);
            growth = std::max({growth, write, read});
        }
        std::printf("\n");
    }
    ReportGoal("settings file, doubling the lines", "at most x" + Fixed(AllowedGrowth, 1), "x" + Fixed(growth),
               growth <= AllowedGrowth);
    return 0;
}
