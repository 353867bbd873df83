#include "tessaly_wizard.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
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
#include "extension_list.h"
#include "field_checks.h"
#include "field_mark.h"
#include "platform/platform.h"
#include "wizard_settings.h"

using namespace tessaly::wizard;

namespace {

// How long the wizard waits for a converter it has killed to end.
constexpr int kStopTimeoutMs = 5000;

tessaly::PathStyle hostStyle() {
    return tessaly::systemPlatform().pathStyle();
}

// What a field shows when it is not accepted.
QString problemText(FieldProblem problem, PathKind kind) {
    switch (problem) {
        case FieldProblem::None:
            return QString();
        case FieldProblem::NoPath:
            return kind == PathKind::File ? TessalyWizard::tr("A file is needed")
                                          : TessalyWizard::tr("A folder is needed");
        case FieldProblem::NoSuchFile:
            return TessalyWizard::tr("No such file");
        case FieldProblem::NoSuchFolder:
            return TessalyWizard::tr("No such folder");
        case FieldProblem::FolderNotFile:
            return TessalyWizard::tr("This is a folder, not a file");
        case FieldProblem::FileNotFolder:
            return TessalyWizard::tr("This is a file, not a folder");
        case FieldProblem::NotAFile:
            return TessalyWizard::tr("This is not a file");
        case FieldProblem::NotAFolder:
            return TessalyWizard::tr("This is not a folder");
        case FieldProblem::NoName:
            return TessalyWizard::tr("A name is needed");
        case FieldProblem::NameWithSeparator:
            return hostStyle() == tessaly::PathStyle::Windows
                       ? TessalyWizard::tr("A name cannot contain / or \\")
                       : TessalyWizard::tr("A name cannot contain /");
        case FieldProblem::NameOnlyDots:
            return TessalyWizard::tr("A name cannot be only dots");
        case FieldProblem::NameWithBlankEnd:
            return TessalyWizard::tr("A name cannot start or end with a blank");
        case FieldProblem::NameTooLong:
            return TessalyWizard::tr("The name is too long");
        case FieldProblem::NotAnExtension:
            return TessalyWizard::tr("Not an extension");
    }
    return QString();
}

// Marks the edit black when it names an existing file or folder, as the
// field asks, and red, saying why, otherwise.
bool checkPath(QLineEdit* edit, PathKind kind) {
    const FieldProblem problem = pathProblem(edit->text(), kind);
    markField(edit, problemText(problem, kind));
    return problem == FieldProblem::None;
}

// The same for the other checks of a field.
bool checkField(QLineEdit* edit, FieldProblem problem) {
    markField(edit, problemText(problem, PathKind::Folder));
    return problem == FieldProblem::None;
}

// An Alt chord that would type a character: one that no control takes as
// its mnemonic would otherwise put its letter into the field. Ctrl+Alt is
// AltGr on Windows and types; Alt with an editing key (Alt+Backspace undoes
// on Windows) keeps its meaning.
bool typesWithAlt(const QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) &&
           !event->text().isEmpty() && event->text().at(0).isPrint();
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
    connect(CustExtEdit, &QLineEdit::textChanged, this, &TessalyWizard::checkCustomExtensions);

    for (QLineEdit* edit : {CWInstallDirEdit, CWProjectEdit, VexaProjectEdit, VexaNameEdit,
                            MsgPersonEdit, AnalPersonEdit, CmpPersonEdit, CustExtEdit}) {
        edit->installEventFilter(this);
    }
    groupBox7->installEventFilter(this);

    // Every field says at once what it lacks, before any is filled.
    Page0LineEdit_textchanged(QString());
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
            tessaly::wizard::stopConverter(*process, kStopGraceMs, kStopTimeoutMs);
        }
    }
}

bool TessalyWizard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched) &&
        typesWithAlt(static_cast<QKeyEvent*>(event))) {
        return true;
    }
    // The extensions frame's mnemonic leads to its first box, wherever the
    // focus was (the toolkit's would return to the box focused last, or stay).
    if (event->type() == QEvent::Shortcut && watched == groupBox7) {
        cppCheck->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
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
    bool valid =
        checkField(CWInstallDirEdit, installationProblem(CWInstallDirEdit->text(), hostStyle()));
    valid = checkPath(CWProjectEdit, PathKind::File) && valid;
    valid = checkPath(VexaProjectEdit, PathKind::Folder) && valid;
    valid = checkField(VexaNameEdit, nameProblem(VexaNameEdit->text(), hostStyle())) && valid;
    Page0->setComplete(valid);
}

void TessalyWizard::proposeName(const QString& project) {
    // The name follows the project (its .mcp file or its export), as tesscli
    // names a project by default, until the user types a name of their own.
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
        if (fieldValue(edit->text()).isEmpty()) {
            markField(edit, QString());
        } else {
            valid = checkPath(edit, PathKind::File) && valid;
        }
    }
    Page1->setComplete(valid);
}

void TessalyWizard::checkCustomExtensions() {
    Page2->setComplete(checkField(CustExtEdit, customExtensionsProblem(CustExtEdit->text())));
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
    browse(BrowseKind::OpenFile, tr("Select a CodeWarrior Project or Export"),
           tr("CodeWarrior project or export (*.mcp *.xml);;All files (*)"), CWProjectEdit);
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
    offerClose(false);  // a new run can be started
    detailsLog->setText(buildSummary(fields()));
    Page3->setComplete(true);
}

ConverterFields TessalyWizard::fields() const {
    // Paths in the system's own form: tesscli takes only "\" for a separator
    // on Windows, where a path Qt accepts may hold "/".
    const auto path = [](const QLineEdit* edit) {
        return QDir::toNativeSeparators(fieldValue(edit->text()));
    };
    return {path(CWProjectEdit),    path(VexaProjectEdit),
            path(CWInstallDirEdit), projectName(VexaNameEdit->text()),
            path(MsgPersonEdit),    path(AnalPersonEdit),
            path(CmpPersonEdit),    extensionList,
            cdbCheck->isChecked()};
}

QStringList TessalyWizard::currentArguments() const {
    return converterArguments(fields());
}

void TessalyWizard::accept() {
    // One converter at a time: a second one would write into the same
    // destination.
    if (isRunning()) {
        return;
    }
    const ConverterFields run = fields();
    const QString project = projectFilePath(run.destination, run.name);
    if (QFileInfo::exists(project) && !askYesNo(tr("%1 already exists in this folder. Replace it?")
                                                    .arg(QFileInfo(project).fileName()))) {
        return;
    }
    auto* process = new QProcess(this);
    converterProcess = process;
    const QStringList arguments = converterArguments(run);
    writtenFiles = {project};
    if (run.compilationDatabase) {
        writtenFiles << compilationDatabasePath(run.destination);
    }

    detailsLog->setText(tr("Initialising Project Conversion ...\n"));

    // The child reads nothing and its error output is not shown: it gets an
    // empty input and its error output goes where the wizard's goes.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(process, &QProcess::readyReadStandardOutput, this, &TessalyWizard::readFromStdout);
    connect(process, &QProcess::finished, this, &TessalyWizard::processExit);
    const QString program = findConverter(converterSearchFolder);
    connect(process, &QProcess::errorOccurred, this, [this, program](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            reportStartFailure(
                tr("%1 could not be started.").arg(QDir::toNativeSeparators(program)));
        }
    });

    Page3->setComplete(false);
    if (program.isEmpty()) {
        reportStartFailure(notFoundText());
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

QString TessalyWizard::notFoundText() const {
    const QString program = converterFileName(hostStyle());
    return converterSearchFolder.isEmpty()
               ? tr("%1 was looked for in the folders of the PATH.").arg(program)
               : tr("%1 was looked for in %2 and in the folders of the PATH.")
                     .arg(program, QDir::toNativeSeparators(converterSearchFolder));
}

void TessalyWizard::offerClose(bool offer) {
    // After a run Finish is disabled and would stay the default button, so
    // Enter would do nothing: Close is the default then, and Enter ends the
    // wizard. Before a run the wizard makes Next or Finish the default again.
    Page3->setButtonText(QWizard::CancelButton, offer ? tr("&Close") : cancelText);
    setOption(QWizard::NoDefaultButton, offer);
    auto* close = qobject_cast<QPushButton*>(button(QWizard::CancelButton));
    if (offer && close) {
        close->setDefault(true);
    }
}

void TessalyWizard::reportStartFailure(const QString& reason) {
    setRunning(false);
    offerClose(true);
    const QString text =
        tr("Project Conversion could not be executed: Please ensure %1 is set on the path.\n")
            .arg(converterFileName(hostStyle())) +
        reason;
    detailsLog->appendParagraph(text);
    showFailure(tr("Tessaly"), text);
}

bool TessalyWizard::askYesNo(const QString& text) {
    // No is the default, for Enter as for Esc: neither stops or replaces
    // anything by accident.
    QMessageBox box(QMessageBox::Question, tr("Tessaly"), text, QMessageBox::Yes | QMessageBox::No,
                    this);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.setWindowIcon(windowIcon());
    openQuestion = &box;
    const int answer = box.exec();
    openQuestion = nullptr;
    return answer == QMessageBox::Yes;
}

void TessalyWizard::reject() {
    if (isRunning()) {
        // The run may end while the question is open: the question then
        // closes as if answered No, and the wizard stays.
        if (!askYesNo(tr("A conversion is running. Stop it?")) || !isRunning()) {
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
    // Its end is reported as any other (processExit) before the log says why.
    tessaly::wizard::stopConverter(*converterProcess, kStopGraceMs, kStopTimeoutMs);
    detailsLog->appendParagraph(tr("Project Conversion stopped."));
}

void TessalyWizard::readFromStdout() {
    if (converterProcess) {
        detailsLog->appendOutput(converterProcess->readAllStandardOutput());
    }
}

void TessalyWizard::processExit() {
    setRunning(false);
    offerClose(true);
    if (openQuestion) {
        openQuestion->done(QMessageBox::No);
    }
    if (converterProcess) {
        detailsLog->appendOutput(converterProcess->readAllStandardOutput());
        detailsLog->flushOutput();
        if (converterProcess->exitStatus() == QProcess::NormalExit &&
            !wasStopped(*converterProcess)) {
            if (converterProcess->exitCode() == 0) {
                detailsLog->appendParagraph(tr("Project Converted Successfully!"));
                reportWrittenFiles();
            } else {
                showFailure(tr("Tessaly"), failureText());
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

QString TessalyWizard::failureText() const {
    const QString lastLine = detailsLog->lastOutputLine();
    return refusesInput(lastLine)
               ? tr("Project Conversion Failed!\n%1").arg(lastLine)
               : tr("Project Conversion Failed!\nPlease check the details log and try again.");
}

void TessalyWizard::reportWrittenFiles() {
    const QStringList texts{tr("Project file written: %1"), tr("Compilation database written: %1")};
    for (qsizetype i = 0; i < writtenFiles.size(); ++i) {
        detailsLog->appendParagraph(texts.value(i).arg(
            QDir::toNativeSeparators(QFileInfo(writtenFiles[i]).absoluteFilePath())));
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
