// The wizard's behaviour on top of its form: the page checks that enable
// Next, the six browse dialogs, the run of tesscli with its details log, and
// the fields remembered in settings.txt.
#pragma once

#include <QPointer>
#include <QProcess>
#include <QStringList>
#include <functional>

#include "tessaly_wizard_base.h"

namespace tessaly::wizard {
struct ConverterFields;
class DetailsLog;
}  // namespace tessaly::wizard

class QMessageBox;

class TessalyWizard : public TessalyWizardBase {
    Q_OBJECT
  public:
    enum class BrowseKind { ExistingDirectory, OpenFile };

    struct BrowseRequest {
        BrowseKind kind;
        QString caption;
        QString startPath;
        QString filter;  // empty for directories
    };

    // Shows a browse dialog and returns the chosen path, empty when cancelled.
    using BrowseDialog = std::function<QString(const BrowseRequest&)>;
    // Shows the failure box (caption, text) and returns when it is dismissed.
    using MessageBox = std::function<void(const QString&, const QString&)>;

    explicit TessalyWizard(QWidget* parent = nullptr, const char* name = nullptr,
                           bool modal = false, Qt::WindowFlags flags = {});
    ~TessalyWizard() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

    // Replace the dialogs, e.g. so that tests can answer them; an empty one
    // stands for the toolkit's.
    void setBrowseDialog(BrowseDialog dialog) { browseDialog = std::move(dialog); }
    void setFailureBox(MessageBox box) { failureBox = std::move(box); }
    // The folder searched for tesscli before the PATH; the program's own
    // folder unless set.
    void setConverterSearchFolder(const QString& folder) { converterSearchFolder = folder; }

    QString currentExtensionList() const { return extensionList; }
    // The arguments Finish would hand to tesscli now (after the program).
    QStringList currentArguments() const;
    QString currentBrowsePath() const { return lastBrowsePath; }
    QProcess* currentProcess() const { return converterProcess; }

  public slots:
    void CWInstallBrowseBtn_clicked();
    void CWProjectBrowseBtn_clicked();
    void VexaProjectBrowseBtn_clicked();
    void Page0LineEdit_textchanged(const QString&);
    void Page1LineEdit_textchanged(const QString&);
    void MsgBrowseBtn_clicked();
    void AnalBrowseBtn_clicked();
    void CmpBrowseBtn_clicked();
    void readFromStdout();
    void processExit();

  protected:
    // Leaving the extensions page with Next builds the extension list and
    // the summary and makes Finish available.
    bool validateCurrentPage() override;

  protected slots:
    // Finish: starts a run, unless one is going on; the wizard stays open.
    void accept() override;
    // Cancel, Esc, the close box: during a run, asks whether to stop it.
    void reject() override;

  private:
    void proposeName(const QString& project);
    void checkCustomExtensions();
    void browse(BrowseKind kind, const QString& caption, const QString& filter, QLineEdit* edit);
    QString showBrowseDialog(const BrowseRequest& request);
    void leaveExtensionsPage();
    tessaly::wizard::ConverterFields fields() const;
    bool isRunning() const;
    void setRunning(bool running);
    void stopConverter();
    QString notFoundText() const;
    // After a run: Close instead of Cancel, and the default button.
    void offerClose(bool offer);
    void reportStartFailure(const QString& reason);
    // What the failure box says: the converter's refusal of its input, or
    // to look into the log.
    QString failureText() const;
    void reportWrittenFiles();
    // Asks a question with Yes and No, No the default; true for Yes.
    bool askYesNo(const QString& text);
    void readSettings();
    bool writeSettings();
    void showFailure(const QString& caption, const QString& text);

    tessaly::wizard::DetailsLog* detailsLog;
    QString extensionList;
    QPointer<QProcess> converterProcess;
    QString lastBrowsePath;
    QString proposedName;  // the name last proposed from the export
    QString converterSearchFolder;
    BrowseDialog browseDialog;
    MessageBox failureBox;
    QString cancelText;                  // the Cancel button's own text
    QStringList writtenFiles;            // what the latest run writes, the project first
    QPointer<QMessageBox> openQuestion;  // a question being asked, if any
};
