// tesswiz: the wizard that collects the conversion's parameters and runs
// tesscli. It interprets no command-line arguments of its own.
#include <QApplication>

#include "tessaly_wizard.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    TessalyWizard wizard;
    wizard.show();
    // Closing the wizard, its only window, ends the event loop.
    return application.exec();
}
