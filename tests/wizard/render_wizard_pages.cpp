// Renders the wizard's pages to PNG files:
//   render_wizard_pages OUTPUT_FOLDER EXAMPLE_FOLDER TESSCLI_FOLDER
// writes OUTPUT_FOLDER/page0-start.png, the first page as a new wizard shows
// it with a name that is a path, page0.png .. page3.png, the four pages
// filled in, and page3-run.png, the last page's log after tesscli (found in TESSCLI_FOLDER)
// has converted the example (EXAMPLE_FOLDER, the bundled demo export). Meant
// for the offscreen platform (QT_QPA_PLATFORM=offscreen);
// scripts/render-wizard-pages.sh runs it, and its Windows twin
// scripts/render-wizard-pages-windows.sh the Windows build under Wine.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QLineEdit>
#include <QProcess>
#include <QTextStream>
#include <QTimer>

#include "tessaly_wizard.h"

namespace {

// Copies a folder tree; false when a file cannot be copied.
bool copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(source));
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(source, target)) {
            return false;
        }
    }
    return true;
}

bool save(TessalyWizard& wizard, const QString& output, const QString& name) {
    QApplication::processEvents();
    const QString file = QDir(output).filePath(name);
    QTextStream(stdout) << file << '\n';
    return wizard.grab().save(file);
}

// Presses Finish and waits (at most a minute) until the wizard has shown the
// run's end.
bool runConverter(TessalyWizard& wizard) {
    wizard.button(QWizard::FinishButton)->click();
    QProcess* converter = wizard.currentProcess();
    if (!converter || !converter->waitForStarted()) {
        return false;
    }
    QEventLoop loop;
    QObject::connect(converter, &QProcess::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    return converter->state() == QProcess::NotRunning;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 4) {
        QTextStream(stderr)
            << "usage: render_wizard_pages OUTPUT_FOLDER EXAMPLE_FOLDER TESSCLI_FOLDER\n";
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString example = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    const QString converterFolder = QDir(QString::fromLocal8Bit(argv[3])).absolutePath();
    QDir().mkpath(output);

    // A scratch working directory of a fixed name, so no settings.txt of the
    // user's is read or written and the pictures (the log's paths included)
    // come out the same every time; the example is copied into it.
    const QString here = QDir::tempPath() + QStringLiteral("/tessaly-pages/");
    QDir(here).removeRecursively();
    QDir().mkpath(here + QStringLiteral("analysis"));
    QDir::setCurrent(here);
    if (!copyTree(example, here + QStringLiteral("projects/demo"))) {
        QTextStream(stderr) << "cannot copy " << example << '\n';
        return 1;
    }
    QDir().mkpath(QStringLiteral("personalities"));
    for (const char* name :
         {"personalities/default.p_s", "personalities/misra.p_a", "personalities/cw.p_c"}) {
        QFile(QString::fromLatin1(name)).open(QIODevice::WriteOnly);
    }

    // The fields as the system writes paths ("\" on Windows).
    const auto at = [&here](const char* relative) {
        return QDir::toNativeSeparators(here + QLatin1String(relative));
    };
    TessalyWizard wizard;
    wizard.setConverterSearchFolder(converterFolder);
    wizard.show();
    // Each field says what it lacks.
    wizard.CWProjectEdit->setText(at("projects/demo.mcp.xml"));
    wizard.VexaNameEdit->setText(QStringLiteral("../demo"));
    bool ok = save(wizard, output, QStringLiteral("page0-start.png"));
    wizard.VexaNameEdit->clear();

    wizard.CWInstallDirEdit->setText(at("projects/demo/cw"));
    wizard.CWProjectEdit->setText(at("projects/demo/demo.mcp.xml"));
    wizard.VexaProjectEdit->setText(at("analysis"));
    wizard.MsgPersonEdit->setText(at("personalities/default.p_s"));
    wizard.AnalPersonEdit->setText(at("personalities/misra.p_a"));
    // One missing personality, to show a field in red.
    wizard.CmpPersonEdit->setText(at("personalities/missing.p_c"));
    wizard.cCheck->setChecked(true);
    wizard.hCheck->setChecked(true);

    for (int page = 0; page < 4; ++page) {
        ok = save(wizard, output, QStringLiteral("page%1.png").arg(page)) && ok;
        if (page == 1) {
            // Fixes the red field so that the last page can be reached.
            wizard.CmpPersonEdit->setText(at("personalities/cw.p_c"));
        }
        if (page < 3) {
            wizard.next();
        }
    }
    ok = runConverter(wizard) && ok;
    ok = save(wizard, output, QStringLiteral("page3-run.png")) && ok;

    QDir(here).removeRecursively();
    return ok ? 0 : 1;
}
