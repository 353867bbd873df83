// Renders the wizard's four pages to PNG files: render_wizard_pages DIR
// writes DIR/page0.png .. DIR/page3.png. Meant for the offscreen platform
// (QT_QPA_PLATFORM=offscreen); scripts/render-wizard-pages.sh runs it.
// The pages show sample entries so that the pictures show the wizard in use.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTextStream>

#include "tessaly_wizard.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: render_wizard_pages OUTPUT_FOLDER\n";
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(output);

    // A scratch working directory of a fixed name, so no settings.txt is
    // read or written and the pictures come out the same every time, with
    // sample files for the fields to name.
    const QString here = QDir::tempPath() + QStringLiteral("/tessaly-pages/");
    QDir(here).removeRecursively();
    QDir().mkpath(here);
    QDir::setCurrent(here);
    for (const char* folder : {"CodeWarrior", "analysis", "projects", "personalities"}) {
        QDir().mkpath(QString::fromLatin1(folder));
    }
    for (const char* name : {"projects/Engine.mcp.xml", "personalities/default.p_s",
                             "personalities/misra.p_a", "personalities/cw.p_c"}) {
        QFile(QString::fromLatin1(name)).open(QIODevice::WriteOnly);
    }

    TessalyWizard wizard;
    wizard.CWInstallDirEdit->setText(here + QStringLiteral("CodeWarrior"));
    wizard.CWProjectEdit->setText(here + QStringLiteral("projects/Engine.mcp.xml"));
    wizard.VexaProjectEdit->setText(here + QStringLiteral("analysis"));
    wizard.VexaNameEdit->setText(QStringLiteral("Engine"));
    wizard.MsgPersonEdit->setText(here + QStringLiteral("personalities/default.p_s"));
    wizard.AnalPersonEdit->setText(here + QStringLiteral("personalities/misra.p_a"));
    wizard.CmpPersonEdit->setText(here + QStringLiteral("personalities/missing.p_c"));
    wizard.Page1LineEdit_textchanged(QString());
    wizard.cppCheck->setChecked(true);
    wizard.hCheck->setChecked(true);
    wizard.CustExtEdit->setText(QStringLiteral("res,xml"));
    wizard.show();

    bool ok = true;
    for (int page = 0; page < 4; ++page) {
        QApplication::processEvents();
        const QString file = QDir(output).filePath(QStringLiteral("page%1.png").arg(page));
        ok = wizard.grab().save(file) && ok;
        QTextStream(stdout) << file << '\n';
        if (page == 2) {
            // Fixes the one red field so that the last page can be reached.
            wizard.CmpPersonEdit->setText(here + QStringLiteral("personalities/cw.p_c"));
        }
        wizard.next();
    }
    QDir(here).removeRecursively();
    return ok ? 0 : 1;
}
