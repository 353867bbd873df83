// tesswiz: the wizard that collects the conversion's parameters and runs
// tesscli. Of its own command line it knows only --help and --version, which
// print their text and end the program instead of opening the wizard.
#include <QApplication>
#include <QCommandLineParser>

#include "tessaly_wizard.h"
#include "version.h"

namespace {

void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QCoreApplication::translate("main",
                                    "Converts a CodeWarrior project (.mcp) or its export "
                                    "(.mcp.xml) into a Vexa/Vexa++ project, step by step, "
                                    "with tesscli."));
    parser.addHelpOption();
    parser.addVersionOption();
}

// Answers --help and --version before the GUI application is made: that
// needs a display, which a console (over ssh, say) may not have. Qt's own
// options are not known yet and are passed over; they stay for the
// application, and so does --help-all, whose text lists them.
void answerTextOptions(int argc, char* argv[]) {
    QCoreApplication console(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    // "-stylesheet" is one of Qt's options, not "-s -t ... -h ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help-all"))) {
        return;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parser.showVersion();
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parser.showHelp();
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("tesswiz"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));
    answerTextOptions(argc, argv);

    QApplication application(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    parser.process(application);

    TessalyWizard wizard;
    wizard.show();
    // Closing the wizard, its only window, ends the event loop.
    return application.exec();
}
