// How long the desktop program's "Redraw" takes from the click to the
// picture: the dialog is shown, the path of a benchmark job (generated if
// missing) typed in, and each click is
// timed until the events it leaves (the canvas repaint among them) are
// handled. Offscreen unless the environment chooses a platform (under Xvfb:
// QT_QPA_PLATFORM=xcb). Prints each time and the median.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/lumikor_dlg.h"
#include "bench/big_jobs.h"
#include "ui/dialog_template.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: lumikor_redraw_timing JOB-NAME [CLICKS]\n");
        return 2;
    }
    const auto job = std::find_if(BigJobs().begin(), BigJobs().end(),
                                  [&](const BigJob& j) { return j.name == argv[1]; });
    if (job == BigJobs().end()) {
        std::fprintf(stderr, "no job named %s\n", argv[1]);
        return 2;
    }
    const std::string jobPath = EnsureBigJob(LUMIKOR_BENCH_JOBS_DIR, *job);
    if (jobPath.empty()) {
        std::fprintf(stderr, "cannot write the job %s into %s\n", argv[1], LUMIKOR_BENCH_JOBS_DIR);
        return 1;
    }
    const int clicks = argc == 3 ? std::max(1, std::atoi(argv[2])) : 7;
    CLumikorDlg dialog;
    dialog.show();
    QApplication::processEvents();
    auto* path = qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_JOB_PATH));
    auto* redraw = qobject_cast<QAbstractButton*>(dialog.GetDlgItem(IDC_REDRAW));
    if (path == nullptr || redraw == nullptr) {
        std::fprintf(stderr, "the dialog has no job path or Redraw button\n");
        return 1;
    }
    path->setText(QString::fromStdString(jobPath));
    std::vector<double> times;
    for (int i = 0; i < clicks; ++i) {
        QElapsedTimer timer;
        timer.start();
        redraw->click();
        QApplication::processEvents();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        std::printf("click %d: %.1f ms\n", i + 1, times.back());
    }
    std::sort(times.begin(), times.end());
    std::printf("median of %d clicks: %.1f ms\n", clicks, times[times.size() / 2]);
    return 0;
}
