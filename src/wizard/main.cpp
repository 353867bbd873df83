// tesswiz: the wizard that collects the conversion's parameters and runs
// tesscli. Of its own command line it knows only --help and --version, which
// print their text and end the program instead of opening the wizard.
#include <QApplication>
#include <QCommandLineParser>

#include "tessaly_wizard.h"
#include "version.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tesswiz"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QApplication::translate("main",
                                "Converts an exported CodeWarrior project into a "
                                "Vexa/Vexa++ project, step by step, with tesscli."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(application);

    TessalyWizard wizard;
    wizard.show();
    // Closing the wizard, its only window, ends the event loop.
    return application.exec();
}
