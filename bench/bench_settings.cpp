// Times settings files with 2 500, 5 000, 10 000 and 20 000 advanced lines on the real windows (offscreen):
// writing them (Save), reading them back (Open, with the refreshes that follow it) and starting the program
// with them as the last state (until the main window is ready to show), in processor time. Each doubling of the lines
// may cost at most 2.2 times the time; the run fails when one does not.
#include "app/Application.h"
#include "app/MainForm.h"
#include "app/Program.h"
#include "platform/Paths.h"
#include "settings/SvgEditIni.h"

#include <QListWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int Sizes[] = {2'500, 5'000, 10'000, 20'000};
constexpr int Repetitions = 11;
constexpr double AllowedGrowth = 2.2;

// The processor time of the process so far, in seconds: on a shared machine the wall clock also counts the
// time that other programs took.
double ProcessorSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The best processor time of a few runs, in seconds.
double BestSeconds(const std::function<void()>& prepare, const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < Repetitions; ++i) {
        prepare();
        const double start = ProcessorSeconds();
        work();
        best = std::min(best, ProcessorSeconds() - start);
    }
    return best;
}

// Advanced lines as administrators keep them: groups of settings under comment lines.
QStringList AdvancedLines(int count) {
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << (i % 25 == 0 ? QStringLiteral("// Group %1").arg(i / 25)
                              : QStringLiteral("seta bench_cvar_%1 \"value number %1\"").arg(i));
    return lines;
}

struct Figures {
    int lines;
    double write, read, start;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string pattern = JoinPath(GetTempFolder(), "quendry-bench.XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr)
        return 2;
    const std::string folder = pattern;
    SetProgramFolderOverride(folder);
    TApplication application(argc, argv);
    const QString lastState = DefaultSettingsFile();
    const QString file = QString::fromStdString(JoinPath(folder, "bench.ini"));

    std::vector<Figures> figures;
    for (const int count : Sizes) {
        Figures row{count, 0, 0, 0};
        {
            TProgram program;
            TMainForm& main = program.MainForm();
            main.FormShow();
            auto* advanced = main.Find<QListWidget>(QStringLiteral("ListBoxCfg"));
            advanced->addItems(AdvancedLines(count));
            TSvgEditIni& store = main.SvgEditIni1();
            row.write = BestSeconds([&] { fs::remove(file.toStdString()); }, [&] { store.SauveIni(file); });
            row.read = BestSeconds([&] { advanced->clear(); }, [&] { main.LoadSettings(file); });
            if (advanced->count() != count)
                return 2;
            store.SauveIni(lastState);
        }
        std::unique_ptr<TProgram> program;
        row.start = BestSeconds([&] { program.reset(); },
                                [&] {
                                    program = std::make_unique<TProgram>();
                                    program->MainForm().FormShow();
                                });
        program.reset();
        fs::remove(lastState.toStdString());
        figures.push_back(row);
    }
    fs::remove_all(folder);

    std::printf("%8s %12s %12s %12s\n", "lines", "write (ms)", "read (ms)", "start (ms)");
    bool linear = true;
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const Figures& row = figures[i];
        std::printf("%8d %12.1f %12.1f %12.1f", row.lines, row.write * 1e3, row.read * 1e3, row.start * 1e3);
        if (i > 0) {
            const Figures& before = figures[i - 1];
            const double growth[] = {row.write / before.write, row.read / before.read, row.start / before.start};
            std::printf("   x%.2f x%.2f x%.2f", growth[0], growth[1], growth[2]);
            linear = linear &&
                     std::all_of(std::begin(growth), std::end(growth), [](double g) { return g <= AllowedGrowth; });
        }
        std::printf("\n");
    }
    std::printf("each doubling %s at most %.1f times the time\n", linear ? "takes" : "does NOT take", AllowedGrowth);
    return linear ? 0 : 1;
}
