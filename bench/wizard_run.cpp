// A conversion run through the wizard, timed: fills the wizard's fields,
// goes to the last page, presses Finish and waits until the wizard has shown
// the end of the run. Then writes on standard output, one "key=value" a line:
//   wall_s     from Finish until the wizard has shown the run's end
//   peak_rss   the wizard process's own peak resident memory, in bytes (the
//              converter is a separate process)
//   user_s, system_s  the wizard process's own CPU time over the run
//   log_lines  lines in the details log
//   succeeded  1 when the wizard reported success
// Usage: tessbench_wizard TESSCLI_FOLDER EXPORT DEST CODEWARRIOR_DIR
// Run it on the offscreen platform (QT_QPA_PLATFORM=offscreen); the window is
// shown, so the log is laid out and drawn as on a screen.
#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include "tessaly_wizard.h"

namespace {

rusage ownUsage() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage;
}

double seconds(const timeval& time) {
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 5) {
        QTextStream(stderr)
            << "usage: tessbench_wizard TESSCLI_FOLDER EXPORT DEST CODEWARRIOR_DIR\n";
        return 2;
    }
    QStringList paths;
    for (const QString& argument : arguments.mid(1)) {
        paths << QFileInfo(argument).absoluteFilePath();
    }
    // The wizard writes settings.txt into its current directory.
    QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());

    TessalyWizard wizard;
    bool failed = false;
    wizard.setFailureBox([&failed](const QString&, const QString&) { failed = true; });
    wizard.setConverterSearchFolder(paths[0]);
    wizard.CWProjectEdit->setText(paths[1]);
    wizard.VexaProjectEdit->setText(paths[2]);
    wizard.CWInstallDirEdit->setText(paths[3]);
    wizard.VexaNameEdit->setText(QStringLiteral("bench"));
    wizard.show();
    wizard.next();
    wizard.next();
    wizard.next();
    QApplication::processEvents();

    const rusage before = ownUsage();
    QElapsedTimer clock;
    clock.start();
    wizard.button(QWizard::FinishButton)->click();
    QProcess* converter = wizard.currentProcess();
    if (!converter || !converter->waitForStarted()) {
        QTextStream(stderr) << "tesscli could not be started from " << paths[0] << '\n';
        return 1;
    }
    // Connected after the wizard's own handler, so it runs once the wizard
    // has shown the end of the run.
    QObject::connect(converter, &QProcess::finished, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    application.exec();
    const double wall = clock.nsecsElapsed() / 1e9;
    const rusage after = ownUsage();  // before the log's text is copied out

    const QString log = wizard.DetailsText->toPlainText();
    QTextStream out(stdout);
    out << "wall_s=" << wall << '\n'
        << "peak_rss=" << static_cast<long long>(after.ru_maxrss) * 1024 << '\n'  // KiB on Linux
        << "user_s=" << seconds(after.ru_utime) - seconds(before.ru_utime) << '\n'
        << "system_s=" << seconds(after.ru_stime) - seconds(before.ru_stime) << '\n'
        << "log_lines=" << log.count(QLatin1Char('\n')) + 1 << '\n'
        << "succeeded="
        << (!failed && log.contains(QStringLiteral("\nProject Converted Successfully!\n")) ? 1 : 0)
        << '\n';
    return 0;
}
