#include "tessaly_wizard.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <cstdio>

#include "browse_start.h"
#include "cli/command_line.h"
#include "converter_run.h"
#include "details_log.h"
#include "platform/platform.h"
#include "wizard_settings.h"

using namespace tessaly::wizard;

namespace {

// How long the wizard waits for a converter it has stopped to end.
constexpr int kStopTimeoutMs = 5000;

enum class PathKind { File, Folder };

bool pathIsA(const QString& path, PathKind kind) {
    if (path.isEmpty()) {
        return false;
    }
    const QFileInfo info(path);
    return kind == PathKind::Folder ? info.isDir() : info.isFile();
}

// Colours the edit's text black when it names an existing file or folder,
// as the field asks, and red otherwise.
bool checkPath(QLineEdit* edit, PathKind kind) {
    const bool valid = pathIsA(edit->text(), kind);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, valid ? QColor(0, 0, 0) : QColor(255, 0, 0));
    edit->setPalette(palette);
    return valid;
}

}  // namespace

TessalyWizard::TessalyWizard(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : TessalyWizardBase(parent, name, modal, flags),
      detailsLog(new DetailsLog(DetailsText, this)),
      converterSearchFolder(QCoreApplication::applicationDirPath()),
      cancelText(buttonText(QWizard::CancelButton)) {
    Page0->setComplete(false);
    Page3->setComplete(false);
    button(QWizard::HelpButton)->setEnabled(false);

    connect(CWInstallDirEdit, &QLineEdit::textChanged, this,
            &TessalyWizard::Page0LineEdit_textchanged);
    connect(CWInstallBrowseBtn, &QPushButton::clicked, this,
            &TessalyWizard::CWInstallBrowseBtn_clicked);
    connect(CWProjectBrowseBtn, &QPushButton::clicked, this,
            &TessalyWizard::CWProjectBrowseBtn_clicked);
    connect(VexaProjectBrowseBtn, &QPushButton::clicked, this,
            &TessalyWizard::VexaProjectBrowseBtn_clicked);
    for (QLineEdit* edit : {CWProjectEdit, VexaProjectEdit, VexaNameEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &TessalyWizard::Page0LineEdit_textchanged);
    }
    connect(CWProjectEdit, &QLineEdit::textChanged, this, &TessalyWizard::proposeName);
    connect(MsgBrowseBtn, &QPushButton::clicked, this, &TessalyWizard::MsgBrowseBtn_clicked);
    connect(AnalBrowseBtn, &QPushButton::clicked, this, &TessalyWizard::AnalBrowseBtn_clicked);
    connect(CmpBrowseBtn, &QPushButton::clicked, this, &TessalyWizard::CmpBrowseBtn_clicked);
    for (QLineEdit* edit : {MsgPersonEdit, AnalPersonEdit, CmpPersonEdit}) {
        connect(edit, &QLineEdit::textChanged, this, &TessalyWizard::Page1LineEdit_textchanged);
    }

    for (QLineEdit* edit : {CWInstallDirEdit, CWProjectEdit, VexaProjectEdit, VexaNameEdit,
                            MsgPersonEdit, AnalPersonEdit, CmpPersonEdit}) {
        edit->installEventFilter(this);
    }

    CWInstallDirEdit->setText(codeWarriorDirFromRegistry(tessaly::systemPlatform(), stdout));

    for (QWizard::WizardButton which :
         {QWizard::NextButton, QWizard::BackButton, QWizard::CancelButton, QWizard::FinishButton}) {
        QAbstractButton* b = button(which);
        QPalette palette = b->palette();
        palette.setColor(QPalette::Button, Qt::white);
        palette.setColor(QPalette::Window, Qt::white);
        b->setPalette(palette);
    }

    // The root of the current drive on Windows, "/" elsewhere.
    lastBrowsePath = QString(QDir::separator());

    readSettings();
}

TessalyWizard::~TessalyWizard() {
    // The process objects are destroyed after this body has run, and a child
    // that ended then would report to a half-destroyed wizard: children still
    // running are stopped here, without reporting.
    for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        disconnect(process, nullptr, this, nullptr);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(kStopTimeoutMs);
        }
    }
}

bool TessalyWizard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        if (watched == CWInstallDirEdit || watched == CWProjectEdit || watched == VexaProjectEdit ||
            watched == VexaNameEdit) {
            Page0LineEdit_textchanged(QString());
            return false;
        }
        if (watched == MsgPersonEdit || watched == AnalPersonEdit || watched == CmpPersonEdit) {
            Page1LineEdit_textchanged(QString());
            return false;
        }
    }
    return TessalyWizardBase::eventFilter(watched, event);
}

void TessalyWizard::Page0LineEdit_textchanged(const QString&) {
    bool valid = checkPath(CWInstallDirEdit, PathKind::Folder);
    valid = checkPath(CWProjectEdit, PathKind::File) && valid;
    valid = checkPath(VexaProjectEdit, PathKind::Folder) && valid;
    // A name of blanks only would make a project file named " .prj".
    Page0->setComplete(valid && !VexaNameEdit->text().trimmed().isEmpty());
}

void TessalyWizard::proposeName(const QString& project) {
    // The name follows the export, as tesscli names a project by default,
    // until the user types a name of their own.
    const QString name = VexaNameEdit->text();
    if (!name.isEmpty() && name != proposedName) {
        return;
    }
    // The rule cuts at the system's separator, while Qt's paths (a dialog's,
    // a typed one) may hold "/" on Windows too.
    const std::string proposal =
        tessaly::defaultProjectName(QDir::toNativeSeparators(project).toLocal8Bit().toStdString(),
                                    QDir::separator().toLatin1());
    proposedName = QString::fromLocal8Bit(proposal.data(), qsizetype(proposal.size()));
    VexaNameEdit->setText(proposedName);
}

void TessalyWizard::Page1LineEdit_textchanged(const QString&) {
    // An empty personality leaves the converter's default; one that is given
    // must be a file.
    bool valid = true;
    for (QLineEdit* edit : {MsgPersonEdit, AnalPersonEdit, CmpPersonEdit}) {
        if (!edit->text().isEmpty()) {
            valid = checkPath(edit, PathKind::File) && valid;
        }
    }
    Page1->setComplete(valid);
}

QString TessalyWizard::showBrowseDialog(const BrowseRequest& request) {
    QFileDialog dialog(this, request.caption, request.startPath, request.filter);
    if (request.kind == BrowseKind::ExistingDirectory) {
        dialog.setObjectName(QStringLiteral("get existing directory"));
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setObjectName(QStringLiteral("open file dialog"));
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.selectedFiles().value(0);
}

void TessalyWizard::browse(BrowseKind kind, const QString& caption, const QString& filter,
                           QLineEdit* edit) {
    const BrowseRequest request{
        kind, caption,
        browseStart(kind == BrowseKind::ExistingDirectory, edit->text(), lastBrowsePath), filter};
    const QString chosen =
        QDir::toNativeSeparators(browseDialog ? browseDialog(request) : showBrowseDialog(request));
    if (chosen.isEmpty()) {
        return;
    }
    lastBrowsePath = chosen;
    edit->setText(chosen);
}

void TessalyWizard::CWInstallBrowseBtn_clicked() {
    browse(BrowseKind::ExistingDirectory, tr("Specify the Code Warrior Installation Directory"),
           QString(), CWInstallDirEdit);
}

void TessalyWizard::CWProjectBrowseBtn_clicked() {
    browse(BrowseKind::OpenFile, tr("Select a CodeWarrior Exported Project"),
           tr("CW Projects (*.mcp.xml)"), CWProjectEdit);
}

void TessalyWizard::VexaProjectBrowseBtn_clicked() {
    browse(BrowseKind::ExistingDirectory,
           tr("Select the Vexa/Vexa++ Project Destination Directory"), QString(), VexaProjectEdit);
}

void TessalyWizard::MsgBrowseBtn_clicked() {
    browse(BrowseKind::OpenFile, tr("Select a Message Personality"), tr("Msg Personalities(*.p_s)"),
           MsgPersonEdit);
}

void TessalyWizard::AnalBrowseBtn_clicked() {
    browse(BrowseKind::OpenFile, tr("Select a Template Analyser Personality"),
           tr("Analiser Personalities(*.p_a)"), AnalPersonEdit);
}

void TessalyWizard::CmpBrowseBtn_clicked() {
    browse(BrowseKind::OpenFile, tr("Select a Compiler Personality"),
           tr("Cmp Personalities(*.p_c)"), CmpPersonEdit);
}

bool TessalyWizard::validateCurrentPage() {
    if (currentPage() == Page2) {
        leaveExtensionsPage();
    }
    return TessalyWizardBase::validateCurrentPage();
}

void TessalyWizard::leaveExtensionsPage() {
    const std::array<bool, 8> ticked = {
        cppCheck->isChecked(), ccCheck->isChecked(), cxxCheck->isChecked(), cCheck->isChecked(),
        hCheck->isChecked(),   hhCheck->isChecked(), hppCheck->isChecked(), hxxCheck->isChecked()};
    extensionList = buildExtensionList(ticked, CustExtEdit->text());
    // A new run can be started: Cancel reads as before any run.
    Page3->setButtonText(QWizard::CancelButton, cancelText);
    detailsLog->setText(buildSummary(fields()));
    Page3->setComplete(true);
}

ConverterFields TessalyWizard::fields() const {
    // Paths in the system's own form: tesscli takes only "\" for a separator
    // on Windows, where a path Qt accepts may hold "/".
    const auto path = [](const QLineEdit* edit) { return QDir::toNativeSeparators(edit->text()); };
    return {path(CWProjectEdit),  path(VexaProjectEdit), path(CWInstallDirEdit),
            VexaNameEdit->text(), path(MsgPersonEdit),   path(AnalPersonEdit),
            path(CmpPersonEdit),  extensionList,         cdbCheck->isChecked()};
}

void TessalyWizard::accept() {
    // One converter at a time: a second one would write into the same
    // destination.
    if (isRunning()) {
        return;
    }
    auto* process = new QProcess(this);
    converterProcess = process;
    const QStringList arguments = converterArguments(fields());

    detailsLog->setText(tr("Initialising Project Conversion ...\n"));

    // The child reads nothing and its error output is not shown: it gets an
    // empty input and its error output goes where the wizard's goes.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(process, &QProcess::readyReadStandardOutput, this, &TessalyWizard::readFromStdout);
    connect(process, &QProcess::finished, this, &TessalyWizard::processExit);
    connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            reportStartFailure();
        }
    });

    Page3->setComplete(false);
    const QString program = findConverter(converterSearchFolder);
    if (program.isEmpty()) {
        reportStartFailure();
    } else {
        setRunning(true);
        process->start(program, arguments);
    }
}

bool TessalyWizard::isRunning() const {
    return converterProcess && converterProcess->state() != QProcess::NotRunning;
}

void TessalyWizard::setRunning(bool running) {
    // Back on the last page would lead to a new summary, and from there to a
    // second run, while this one still writes.
    setOption(QWizard::DisabledBackButtonOnLastPage, running);
}

void TessalyWizard::reportStartFailure() {
    setRunning(false);
    detailsLog->appendParagraph(
        tr("Project Conversion could not be executed: Please ensure %1 is set on the path.\n")
            .arg(converterFileName(tessaly::systemPlatform().pathStyle())));
}

void TessalyWizard::reject() {
    if (isRunning()) {
        const auto answer =
            QMessageBox::question(this, tr("Tessaly"), tr("A conversion is running. Stop it?"),
                                  QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            return;
        }
        stopConverter();
    }
    TessalyWizardBase::reject();
}

void TessalyWizard::stopConverter() {
    // The run may have ended while the question was open.
    if (!isRunning()) {
        return;
    }
    converterProcess->kill();
    // Its end is reported as any other (processExit) before the log says why.
    converterProcess->waitForFinished(kStopTimeoutMs);
    detailsLog->appendParagraph(tr("Project Conversion stopped."));
}

void TessalyWizard::readFromStdout() {
    if (converterProcess) {
        detailsLog->appendOutput(converterProcess->readAllStandardOutput());
    }
}

void TessalyWizard::processExit() {
    setRunning(false);
    if (converterProcess) {
        detailsLog->appendOutput(converterProcess->readAllStandardOutput());
        detailsLog->flushOutput();
        if (converterProcess->exitStatus() == QProcess::NormalExit) {
            if (converterProcess->exitCode() == 0) {
                detailsLog->appendParagraph(tr("Project Converted Successfully!"));
                Page3->setButtonText(QWizard::CancelButton, tr("Close"));
            } else {
                showFailure(tr("Tessaly"), tr("Project Conversion Failed!\nPlease check the "
                                              "details log and try again."));
            }
        }
    }
    if (!writeSettings()) {
        detailsLog->appendParagraph(
            tr("The settings could not be saved in %1.")
                .arg(QDir::toNativeSeparators(
                    QFileInfo(QLatin1String(kSettingsFileName)).absoluteFilePath())));
    }
}

void TessalyWizard::showFailure(const QString& caption, const QString& text) {
    if (failureBox) {
        failureBox(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok);
    box.setWindowIcon(windowIcon());
    box.exec();
}

void TessalyWizard::readSettings() {
    for (const SettingAssignment& assignment : readSettingsFile(QLatin1String(kSettingsFileName))) {
        switch (assignment.field) {
            case RememberedField::CodeWarriorDir:
                CWInstallDirEdit->setText(assignment.value);
                break;
            case RememberedField::MessagePersonality:
                MsgPersonEdit->setText(assignment.value);
                break;
            case RememberedField::AnalyserPersonality:
                AnalPersonEdit->setText(assignment.value);
                break;
            case RememberedField::CompilerPersonality:
                CmpPersonEdit->setText(assignment.value);
                break;
            case RememberedField::CompilationDatabase:
                cdbCheck->setChecked(assignment.value == QLatin1String(kTicked));
                break;
        }
    }
}

bool TessalyWizard::writeSettings() {
    return writeSettingsFile(
        QLatin1String(kSettingsFileName),
        {CWInstallDirEdit->text(), MsgPersonEdit->text(), AnalPersonEdit->text(),
         CmpPersonEdit->text(), cdbCheck->isChecked()});
}
