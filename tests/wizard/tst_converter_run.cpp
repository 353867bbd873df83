// Finish runs tesscli: against a stand-in that records its arguments and ends
// as told, and once against the real converter on the bundled example, whose
// tree must be the one tesscli writes when run by hand.
#include <QAbstractButton>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "converter_run.h"
#include "tessaly_wizard.h"
#include "wizard_test_support.h"

namespace {

constexpr int kTimeout = 30000;

// The converter's program file, named as the platform names it.
#ifdef Q_OS_WIN
const QString kConverterFile = QStringLiteral("tesscli.exe");
#else
const QString kConverterFile = QStringLiteral("tesscli");
#endif

// Sets an environment variable for the test's lifetime (children inherit it).
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// Every file below a folder, by its path relative to the folder, with its
// bytes.
QMap<QString, QByteArray> filesBelow(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files[QDir(folder).relativeFilePath(file.fileName())] =
            file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }
    return files;
}

struct FailureBoxes {
    QList<QPair<QString, QString>> shown;
};

// A message box of the toolkit's, as it was shown.
struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton escapeButton;
};

// How a test answers a message box: a button's click, or a key.
struct Answer {
    QMessageBox::StandardButton button = QMessageBox::NoButton;
    int key = 0;  // when no button
};

// A wizard on its last page, ready to run, with the stand-in found first.
class RunFixture {
  public:
    // With toolkitBoxes, the failure box is the toolkit's own (answer it
    // with answerNextBox); otherwise it is only recorded.
    explicit RunFixture(const QByteArray& mode, bool toolkitBoxes = false)
        : log_(dir.filePath(QStringLiteral("stub-arguments.txt"))),
          logEnv_("TESSALY_STUB_LOG", QFile::encodeName(log_)),
          modeEnv_("TESSALY_STUB_MODE", mode) {
        wizard.setConverterSearchFolder(QStringLiteral(STUB_TESSCLI_DIR));
        if (!toolkitBoxes) {
            wizard.setFailureBox([this](const QString& caption, const QString& text) {
                boxes.shown.append({caption, text});
            });
        }
    }

    void fill(const QString& name = QStringLiteral("Engine")) {
        wizard.CWInstallDirEdit->setText(dir.makeFolder(QStringLiteral("code warrior")));
        wizard.CWProjectEdit->setText(dir.makeFile(QStringLiteral("my project.mcp.xml")));
        wizard.VexaProjectEdit->setText(dir.makeFolder(QStringLiteral("out")));
        wizard.VexaNameEdit->setText(name);
    }

    void toLastPage() {
        wizard.next();
        wizard.next();
        wizard.next();
        QVERIFY(wizard.currentPage() == wizard.Page3);
        QVERIFY(wizard.button(QWizard::FinishButton)->isEnabled());
    }

    // Starts a run of a stand-in that waits, and waits until it converts:
    // its process, or null when it did not come that far.
    QPointer<QProcess> startWaitingRun() {
        fill();
        toLastPage();
        wizard.show();
        wizard.button(QWizard::FinishButton)->click();
        const bool waiting = QTest::qWaitFor(
            [this] { return QFile::exists(log_ + QStringLiteral(".running")); }, kTimeout);
        QPointer<QProcess> process = wizard.currentProcess();
        // The child may be running before the wizard has heard that it started.
        const bool converting =
            waiting && process &&
            QTest::qWaitFor([&] { return process->state() == QProcess::Running; }, kTimeout) &&
            QTest::qWaitFor([this] { return log().contains(QStringLiteral("stub: converting")); },
                            kTimeout);
        return converting ? process : nullptr;
    }

    bool finishAndWait() {
        wizard.button(QWizard::FinishButton)->click();
        return waitForEnd();
    }

    // Until the child has ended and the wizard has handled its end.
    bool waitForEnd() {
        QProcess* process = wizard.currentProcess();
        return process &&
               QTest::qWaitFor([process] { return process->state() == QProcess::NotRunning; },
                               kTimeout) &&
               QTest::qWaitFor([this] { return exitSeen(); }, kTimeout);
    }

    // The argument lists of every stand-in run so far.
    QList<QStringList> recordedRuns() const {
        QList<QStringList> runs;
        QFile file(log_);
        if (!file.open(QIODevice::ReadOnly)) {
            return runs;
        }
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (qsizetype i = 0; i + 1 < lines.size();) {
            const int count = lines[i++].toInt();
            QStringList arguments;
            for (int k = 0; k < count && i < lines.size(); ++k) {
                arguments << QString::fromLocal8Bit(lines[i++]);
            }
            runs << arguments;
        }
        return runs;
    }

    // Answers the next message box the wizard shows with the given button
    // (or key), from inside the box's own event loop, and records what it
    // showed. Without an answer, the box is only recorded.
    void answerNextBox(Answer answer) {
        auto* poll = new QTimer(&wizard);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                return;
            }
            poll->stop();
            poll->deleteLater();
            boxesSeen.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                              box->standardButton(box->defaultButton()),
                              box->standardButton(box->escapeButton())});
            if (answer.key != 0) {
                QTest::keyClick(box, Qt::Key(answer.key));
            } else if (QAbstractButton* button = box->button(answer.button)) {
                button->click();
            }
        });
        poll->start(10);
    }
    void answerNextBox(QMessageBox::StandardButton button) { answerNextBox(Answer{button}); }

    QString log() const { return wizard.DetailsText->toPlainText(); }
    // The log's last lines after a successful run into out/ under that name.
    QString successEnd(const QString& name = QStringLiteral("Engine")) const {
        return QStringLiteral("Project Converted Successfully!\nProject file written: ") +
               QDir::toNativeSeparators(dir.filePath(QStringLiteral("out/") + name + ".prj"));
    }
    // What the Cancel button reads on the page shown, without its mnemonic
    // marker.
    QString cancelText() const {
        return wizard.button(QWizard::CancelButton)->text().remove(QLatin1Char('&'));
    }
    QString logFile() const { return log_; }

    ScratchDirectory dir;
    TessalyWizard wizard;
    FailureBoxes boxes;
    QList<SeenBox> boxesSeen;

  private:
    bool exitSeen() const {
        return QFile::exists(QStringLiteral("settings.txt"));  // written at every end
    }

    QString log_;
    ScopedEnv logEnv_;
    ScopedEnv modeEnv_;
};

}  // namespace

class TestConverterRun : public QObject {
    Q_OBJECT

  private slots:
    void argumentsReachTheConverterUnchanged_data();
    void argumentsReachTheConverterUnchanged();
    void successShowsOutputAndOffersClose();
    void logShowsEachConverterLineOnce_data();
    void logShowsEachConverterLineOnce();
    void nonAsciiTextPassesBothWays();
    void failureStatusShowsTheBox();
    void crashShowsNothing();
    void ownFolderComesBeforePath();
    void converterNotFound();
    void converterThatCannotStart();
    void anotherRunAfterGoingBack();
    void closingDuringARunAsksFirst_data();
    void closingDuringARunAsksFirst();
    void stopAsksTheConverterToEndFirst();
    void aConverterThatDoesNotEndIsKilled();
    void stopQuestionClosesWhenTheRunEnds_data();
    void stopQuestionClosesWhenTheRunEnds();
    void existingProjectIsReplacedOnlyWhenAsked_data();
    void existingProjectIsReplacedOnlyWhenAsked();
    void logNamesTheCompilationDatabase();
    void noSecondRunWhileOneGoesOn();
    void closeAfterSuccessEndsTheWizard();
    void closeOnlyOnTheLastPageAfterSuccess();
    void failureBoxIsAWarning();
    void failureBoxSaysWhyTheInputIsRefused_data();
    void failureBoxSaysWhyTheInputIsRefused();
    void enterClosesTheWizardAfterARun_data();
    void enterClosesTheWizardAfterARun();
    void settingsThatCannotBeSavedAreReported();
    void realConverterOnTheExample();
};

void TestConverterRun::argumentsReachTheConverterUnchanged_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("analyser");
    QTest::addColumn<QString>("compiler");
    QTest::addColumn<QString>("custom");
    QTest::addColumn<QStringList>("options");  // after the positional arguments
    // clang-format off
    QTest::newRow("nothing optional")
        << "" << "" << "" << "" << QStringList{"-pn", "Engine"};
    QTest::newRow("all")
        << "m.p_s" << "my a.p_a" << "c.p_c" << "res,"
        << QStringList{"-pn", "Engine", "-mp", "m.p_s", "-ap", "my a.p_a", "-cp", "c.p_c",
                       "-ext", "cpp,res"};
    QTest::newRow("analyser only")
        << "" << " a " << "" << "" << QStringList{"-pn", "Engine", "-ap", " a "};
    // A path is handed over in the system's form ("\" on Windows).
    QTest::newRow("typed with /")
        << "p/m.p_s" << "" << "" << ""
        << QStringList{"-pn", "Engine", "-mp", QDir::toNativeSeparators("p/m.p_s")};
    // clang-format on
}

void TestConverterRun::argumentsReachTheConverterUnchanged() {
    QFETCH(QString, message);
    QFETCH(QString, analyser);
    QFETCH(QString, compiler);
    QFETCH(QString, custom);
    QFETCH(QStringList, options);
    RunFixture run("exit 0");
    run.fill();
    run.wizard.MsgPersonEdit->setText(message);
    run.wizard.AnalPersonEdit->setText(analyser);
    run.wizard.CmpPersonEdit->setText(compiler);
    run.toLastPage();
    if (!custom.isEmpty()) {
        run.wizard.back();
        run.wizard.cppCheck->setChecked(true);
        run.wizard.CustExtEdit->setText(custom);
        run.wizard.next();
    }
    QVERIFY(run.finishAndWait());
    const QList<QStringList> runs = run.recordedRuns();
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs[0], (QStringList{QDir::toNativeSeparators(run.wizard.CWProjectEdit->text()),
                                   QDir::toNativeSeparators(run.wizard.VexaProjectEdit->text()),
                                   QDir::toNativeSeparators(run.wizard.CWInstallDirEdit->text())} +
                       options));
}

void TestConverterRun::successShowsOutputAndOffersClose() {
    ScopedEnv lines("TESSALY_STUB_LINES", "200");  // more than the log shows at once
    RunFixture run("exit 0");
    run.fill();
    run.toLastPage();
    run.wizard.show();
    const QString cancelBefore = run.cancelText();
    QSignalSpy finished(&run.wizard, &QDialog::finished);
    run.wizard.button(QWizard::FinishButton)->click();
    QCOMPARE(run.log(), QStringLiteral("Initialising Project Conversion ...\n"));
    QVERIFY(!run.wizard.button(QWizard::FinishButton)->isEnabled());
    QVERIFY(run.waitForEnd());
    QCOMPARE(finished.size(), 0);  // Finish does not close the wizard
    // The log ends naming the project file written.
    QTRY_VERIFY_WITH_TIMEOUT(run.log().endsWith(QStringLiteral("\n") + run.successEnd()), kTimeout);
    // Output is decoded line by line, UTF-8 or else Latin-1 here, and shown
    // as it is, markup included.
    QVERIFY(run.log().contains(QStringLiteral("stub: converting")));
    QVERIFY(run.log().contains(QStringLiteral("<b>not bold</b> caf\u00e9\nSourc\u00e9s Latin\n")));
    // The view follows the log to its end while output arrives.
    const QScrollBar* bar = run.wizard.DetailsText->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(run.cancelText(), QStringLiteral("Close"));
    QVERIFY(cancelBefore != QStringLiteral("Close"));
    QVERIFY(run.boxes.shown.isEmpty());
    QVERIFY(!run.wizard.Page3->isComplete());
    QCOMPARE(run.dir.read(QStringLiteral("settings.txt")),
             QByteArray("CW Installation Path:\n") +
                 QFile::encodeName(run.wizard.CWInstallDirEdit->text()) + "\n\n");
}

void TestConverterRun::logShowsEachConverterLineOnce_data() {
    QTest::addColumn<QByteArray>("writes");
    QTest::addColumn<int>("extraLines");
    QTest::newRow("a write per line") << QByteArray("lines") << 200;
    QTest::newRow("a write per byte") << QByteArray("bytes") << 5;
    QTest::newRow("one large write") << QByteArray("block") << 20000;
}

void TestConverterRun::logShowsEachConverterLineOnce() {
    QFETCH(QByteArray, writes);
    QFETCH(int, extraLines);
    ScopedEnv how("TESSALY_STUB_WRITES", writes);
    ScopedEnv lines("TESSALY_STUB_LINES", QByteArray::number(extraLines));
    RunFixture run("exit 0");
    run.fill();
    run.toLastPage();
    QVERIFY(run.finishAndWait());
    // Each line decoded by itself, however the pipe cut it.
    QStringList expected{QStringLiteral("<b>not bold</b> caf\u00e9"),
                         QStringLiteral("Sourc\u00e9s Latin"), QStringLiteral("stub: converting")};
    for (int i = 0; i < extraLines; ++i) {
        expected << QStringLiteral("stub: line %1").arg(i);
    }
    // The header ends in a line feed, so an empty line follows it.
    QTRY_COMPARE_WITH_TIMEOUT(run.log(),
                              QStringLiteral("Initialising Project Conversion ...\n\n") +
                                  expected.join(QLatin1Char('\n')) + QLatin1Char('\n') +
                                  run.successEnd(),
                              kTimeout);
}

void TestConverterRun::nonAsciiTextPassesBothWays() {
    RunFixture run("exit 0");
    run.fill(QStringLiteral("D\u00e9 mo"));
    run.toLastPage();
    QVERIFY(run.finishAndWait());
    // The name reaches tesscli in the system's 8-bit encoding...
    QFile arguments(run.logFile());
    QVERIFY(arguments.open(QIODevice::ReadOnly));
    QVERIFY(arguments.readAll().contains("\n-pn\n" +
                                         QFile::encodeName(QStringLiteral("D\u00e9 mo")) + "\n"));
    // (é is no ASCII there: UTF-8 on Linux, the ANSI code page on Windows.)
    const QByteArray accent = QFile::encodeName(QStringLiteral("\u00e9"));
    QVERIFY(!accent.isEmpty() && quint8(accent[0]) >= 0x80);
    QCOMPARE(QFile::decodeName(accent), QStringLiteral("\u00e9"));
    // ...and its output comes back through the same encoding.
    QTRY_VERIFY_WITH_TIMEOUT(run.log().contains(QStringLiteral("caf\u00e9\n")), kTimeout);
    QVERIFY(!run.log().contains(QStringLiteral("\u00c3")));
}

void TestConverterRun::failureStatusShowsTheBox() {
    RunFixture run("exit 1");
    run.fill();
    run.wizard.CmpPersonEdit->setText(QStringLiteral("c.p_c"));
    run.toLastPage();
    const QString cancelBefore = run.cancelText();
    QVERIFY(run.finishAndWait());
    QTRY_COMPARE_WITH_TIMEOUT(run.boxes.shown.size(), 1, kTimeout);
    QCOMPARE(run.boxes.shown[0].first, QStringLiteral("Tessaly"));
    QCOMPARE(run.boxes.shown[0].second,
             QStringLiteral("Project Conversion Failed!\nPlease check the details log and try "
                            "again."));
    QVERIFY(run.log().contains(QStringLiteral("stub: converting")));
    QVERIFY(!run.log().contains(QStringLiteral("Successfully")));
    QVERIFY(cancelBefore != QStringLiteral("Close"));
    QCOMPARE(run.cancelText(), QStringLiteral("Close"));  // nothing left to cancel
    QVERIFY(!run.wizard.button(QWizard::FinishButton)->isEnabled());
    // The settings are written after a failed run too: exactly six lines.
    const QByteArray settings = run.dir.read(QStringLiteral("settings.txt"));
    QCOMPARE(settings.count('\n'), 6);
    QVERIFY(settings.endsWith("Compiler Personality:\nc.p_c\n\n"));
}

void TestConverterRun::crashShowsNothing() {
    RunFixture run("crash");
    run.fill();
    run.toLastPage();
    const QString cancelBefore = run.cancelText();
    QVERIFY(run.finishAndWait());
    QCOMPARE(run.wizard.currentProcess()->exitStatus(), QProcess::CrashExit);
    QVERIFY(run.boxes.shown.isEmpty());
    QVERIFY(!run.log().contains(QStringLiteral("Successfully")));
    QVERIFY(!run.log().contains(QStringLiteral("could not be executed")));
    QVERIFY(cancelBefore != QStringLiteral("Close"));
    QCOMPARE(run.cancelText(), QStringLiteral("Close"));
    QVERIFY(QFile::exists(run.dir.filePath(QStringLiteral("settings.txt"))));
}

void TestConverterRun::ownFolderComesBeforePath() {
    ScratchDirectory other;
    // A PATH whose only tesscli is not the stand-in: the own folder must win.
    const QString decoy = other.makeFile(kConverterFile, "#!/bin/sh\nexit 3\n");
    QFile::setPermissions(decoy, QFile::permissions(decoy) | QFile::ExeOwner);
    ScopedEnv path("PATH", QFile::encodeName(other.path()));
    const QString found = tessaly::wizard::findConverter(QStringLiteral(STUB_TESSCLI_DIR));
    QCOMPARE(QFileInfo(found).absolutePath(),
             QDir(QStringLiteral(STUB_TESSCLI_DIR)).absolutePath());
    // Without the own folder (or with one that has none) the PATH is searched.
    QCOMPARE(tessaly::wizard::findConverter(other.filePath(QStringLiteral("nowhere"))), decoy);
    QCOMPARE(tessaly::wizard::findConverter(QString()), decoy);
}

void TestConverterRun::converterNotFound() {
    RunFixture run("exit 0");
    ScratchDirectory empty;
    ScopedEnv path("PATH", QFile::encodeName(empty.path()));
    run.wizard.setConverterSearchFolder(empty.path());
    QDir::setCurrent(run.dir.path());
    run.fill();
    run.toLastPage();
    run.wizard.button(QWizard::FinishButton)->click();
    QTest::qWait(200);
    // The box of a failed conversion says it too, and where the wizard
    // looked.
    const QString text =
        QStringLiteral("Project Conversion could not be executed: Please ensure ") +
        kConverterFile + QStringLiteral(" is set on the path.\n") + kConverterFile +
        QStringLiteral(" was looked for in ") + QDir::toNativeSeparators(empty.path()) +
        QStringLiteral(" and in the folders of the PATH.");
    QCOMPARE(run.log(), QStringLiteral("Initialising Project Conversion ...\n\n") + text);
    QCOMPARE(run.boxes.shown, (QList<QPair<QString, QString>>{{QStringLiteral("Tessaly"), text}}));
    QVERIFY(!run.wizard.button(QWizard::FinishButton)->isEnabled());
    QCOMPARE(run.cancelText(), QStringLiteral("Close"));
    QVERIFY(!QFile::exists(run.dir.filePath(QStringLiteral("settings.txt"))));

    // Without a folder of its own, only the PATH is searched.
    run.wizard.setConverterSearchFolder(QString());
    run.wizard.back();
    run.wizard.next();
    run.wizard.button(QWizard::FinishButton)->click();
    QTRY_COMPARE(run.boxes.shown.size(), 2);
    QVERIFY(run.boxes.shown[1].second.endsWith(
        QStringLiteral("\n") + kConverterFile +
        QStringLiteral(" was looked for in the folders of the PATH.")));
}

void TestConverterRun::converterThatCannotStart() {
    RunFixture run("exit 0");
    ScratchDirectory folder;
    // Executable by its mode bits but not by its content.
    const QString broken = folder.makeFile(kConverterFile, QByteArray(16, '\x01'));
    QFile::setPermissions(broken, QFile::permissions(broken) | QFile::ExeOwner);
    run.wizard.setConverterSearchFolder(folder.path());
    QDir::setCurrent(run.dir.path());
    run.fill();
    run.toLastPage();
    run.wizard.button(QWizard::FinishButton)->click();
    const QString text =
        QStringLiteral("Project Conversion could not be executed: Please ensure ") +
        kConverterFile + QStringLiteral(" is set on the path.\n") +
        QDir::toNativeSeparators(broken) + QStringLiteral(" could not be started.");
    QTRY_VERIFY_WITH_TIMEOUT(run.log().endsWith(text), kTimeout);
    QTest::qWait(200);
    QVERIFY(!run.wizard.button(QWizard::FinishButton)->isEnabled());
    QCOMPARE(run.boxes.shown, (QList<QPair<QString, QString>>{{QStringLiteral("Tessaly"), text}}));
    QVERIFY(!QFile::exists(run.dir.filePath(QStringLiteral("settings.txt"))));
}

void TestConverterRun::anotherRunAfterGoingBack() {
    RunFixture run("exit 1");
    run.fill();
    run.toLastPage();
    QVERIFY(run.finishAndWait());
    QTRY_COMPARE_WITH_TIMEOUT(run.boxes.shown.size(), 1, kTimeout);
    QVERIFY(!run.wizard.button(QWizard::FinishButton)->isEnabled());
    QProcess* first = run.wizard.currentProcess();

    run.wizard.back();
    run.wizard.VexaNameEdit->setText(QStringLiteral("Second"));
    run.wizard.next();
    QVERIFY(run.wizard.DetailsText->toPlainText().startsWith(QStringLiteral("Code Warrior")));
    QVERIFY(run.wizard.button(QWizard::FinishButton)->isEnabled());
    QFile::remove(run.dir.filePath(QStringLiteral("settings.txt")));
    QVERIFY(run.finishAndWait());
    QVERIFY(run.wizard.currentProcess() != first);
    const QList<QStringList> runs = run.recordedRuns();
    QCOMPARE(runs.size(), 2);
    QCOMPARE(runs[1].value(4), QStringLiteral("Second"));
}

void TestConverterRun::closingDuringARunAsksFirst_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<int>("answer");  // a button, or a key on the box
    QTest::addColumn<bool>("stop");
    for (const char* way : {"Cancel", "Esc", "close box"}) {
        QTest::addRow("%s, Yes", way) << way << int(QMessageBox::Yes) << true;
        QTest::addRow("%s, No", way) << way << int(QMessageBox::No) << false;
        // No is the default and the escape: a stray Enter stops nothing.
        QTest::addRow("%s, Enter", way) << way << -int(Qt::Key_Return) << false;
        QTest::addRow("%s, Esc", way) << way << -int(Qt::Key_Escape) << false;
    }
}

void TestConverterRun::closingDuringARunAsksFirst() {
    QFETCH(QString, way);
    QFETCH(int, answer);
    QFETCH(bool, stop);
    RunFixture run("hang");
    QPointer<QProcess> process = run.startWaitingRun();
    QVERIFY(process);

    run.answerNextBox(answer > 0 ? Answer{QMessageBox::StandardButton(answer)}
                                 : Answer{QMessageBox::NoButton, -answer});
    if (way == QLatin1String("Cancel")) {
        run.wizard.button(QWizard::CancelButton)->click();
    } else if (way == QLatin1String("Esc")) {
        QTest::keyClick(&run.wizard, Qt::Key_Escape);
    } else {
        run.wizard.close();
    }

    QCOMPARE(run.boxesSeen.size(), 1);
    QCOMPARE(run.boxesSeen[0].caption, QStringLiteral("Tessaly"));
    QCOMPARE(run.boxesSeen[0].text, QStringLiteral("A conversion is running. Stop it?"));
    QCOMPARE(run.boxesSeen[0].icon, QMessageBox::Question);
    QCOMPARE(run.boxesSeen[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(run.boxesSeen[0].defaultButton, QMessageBox::No);
    QCOMPARE(run.boxesSeen[0].escapeButton, QMessageBox::No);
    if (stop) {
        QVERIFY(run.wizard.isHidden());
        QCOMPARE(run.wizard.result(), int(QDialog::Rejected));
        QCOMPARE(process->state(), QProcess::NotRunning);
        QCOMPARE(process->exitStatus(), QProcess::CrashExit);
        QVERIFY(
            run.log().endsWith(QStringLiteral("\nstub: converting\nProject Conversion stopped.")));
        QVERIFY(run.boxes.shown.isEmpty());
        QVERIFY(QFile::exists(run.dir.filePath(QStringLiteral("settings.txt"))));
    } else {
        QVERIFY(run.wizard.isVisible());
        QTest::qWait(100);
        QCOMPARE(process->state(), QProcess::Running);
        QVERIFY(!run.log().contains(QStringLiteral("stopped")));
        run.answerNextBox(QMessageBox::Yes);
        run.wizard.button(QWizard::CancelButton)->click();
        QCOMPARE(process->state(), QProcess::NotRunning);
    }
}

// Stop asks the converter to end (it then removes its temporary files): its
// last line reaches the log, and its status 1 is no failure to report.
void TestConverterRun::stopAsksTheConverterToEndFirst() {
    RunFixture run("interruptible");
    QPointer<QProcess> process = run.startWaitingRun();
    QVERIFY(process);

    run.answerNextBox(QMessageBox::Yes);
    run.wizard.button(QWizard::CancelButton)->click();

    QVERIFY(run.wizard.isHidden());
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 1);
    QVERIFY(run.log().endsWith(QStringLiteral(
        "\nstub: converting\nConversion failed: interrupted\nProject Conversion stopped.")));
    QVERIFY(run.boxes.shown.isEmpty());
}

// A converter that does not end when asked is killed once the grace time
// has passed.
void TestConverterRun::aConverterThatDoesNotEndIsKilled() {
    ScratchDirectory dir;
    const QString log = dir.filePath(QStringLiteral("stub-arguments.txt"));
    ScopedEnv logEnv("TESSALY_STUB_LOG", QFile::encodeName(log));
    ScopedEnv modeEnv("TESSALY_STUB_MODE", "stubborn");
    QProcess process;
    process.start(QStringLiteral(STUB_TESSCLI_DIR) + QStringLiteral("/") + kConverterFile, {});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(log + QStringLiteral(".running")), kTimeout);
    constexpr int kGraceMs = 300;
    QElapsedTimer timer;
    timer.start();

    tessaly::wizard::stopConverter(process, kGraceMs, kTimeout);

    QVERIFY(timer.elapsed() >= kGraceMs);
    QCOMPARE(process.state(), QProcess::NotRunning);
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QVERIFY(tessaly::wizard::wasStopped(process));
}

void TestConverterRun::stopQuestionClosesWhenTheRunEnds_data() {
    QTest::addColumn<int>("status");
    QTest::newRow("success") << 0;
    QTest::newRow("failure") << 1;
}

// A run that ends while "Stop it?" is open closes the question as if
// answered No: the wizard stays, showing the run's end.
void TestConverterRun::stopQuestionClosesWhenTheRunEnds() {
    QFETCH(int, status);
    RunFixture run(QByteArray("late 1500 ") + QByteArray::number(status));
    run.fill();
    run.toLastPage();
    run.wizard.show();
    run.wizard.button(QWizard::FinishButton)->click();
    QPointer<QProcess> process = run.wizard.currentProcess();
    QTRY_COMPARE_WITH_TIMEOUT(process->state(), QProcess::Running, kTimeout);
    run.answerNextBox(Answer{});  // seen, never answered...
    // ...unless it is still open long after the run: then the test fails
    // rather than waits for ever.
    bool leftOpen = false;
    QTimer::singleShot(10000, &run.wizard, [&leftOpen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            leftOpen = true;
            box->done(QMessageBox::No);
        }
    });
    // Returns once the question is gone.
    run.wizard.button(QWizard::CancelButton)->click();

    QVERIFY(!leftOpen);
    QCOMPARE(run.boxesSeen.size(), 1);
    QCOMPARE(run.boxesSeen[0].text, QStringLiteral("A conversion is running. Stop it?"));
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(process->state(), QProcess::NotRunning);
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QVERIFY(run.wizard.isVisible());
    QVERIFY(!run.log().contains(QStringLiteral("stopped")));
    if (status == 0) {
        QVERIFY(run.log().endsWith(run.successEnd()));
        QCOMPARE(run.cancelText(), QStringLiteral("Close"));
    } else {
        QCOMPARE(run.boxes.shown.size(), 1);  // the failure is still reported
    }
}

void TestConverterRun::existingProjectIsReplacedOnlyWhenAsked_data() {
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("answer");  // a button, or a key on the box
    QTest::addColumn<bool>("runs");
    QTest::newRow("new project") << false << 0 << true;
    QTest::newRow("Yes") << true << int(QMessageBox::Yes) << true;
    QTest::newRow("No") << true << int(QMessageBox::No) << false;
    QTest::newRow("Enter") << true << -int(Qt::Key_Return) << false;
    QTest::newRow("Esc") << true << -int(Qt::Key_Escape) << false;
}

// Finish into a folder that holds the project asks first; No leaves the
// project and the wizard as they were.
void TestConverterRun::existingProjectIsReplacedOnlyWhenAsked() {
    QFETCH(bool, exists);
    QFETCH(int, answer);
    QFETCH(bool, runs);
    RunFixture run("exit 0");
    run.fill(QStringLiteral("Demo"));
    if (exists) {
        run.dir.makeFile(QStringLiteral("out/Demo.prj"), "earlier");
    }
    run.toLastPage();
    run.wizard.show();
    const QString summary = run.log();
    run.answerNextBox(answer > 0 ? Answer{QMessageBox::StandardButton(answer)}
                                 : Answer{QMessageBox::NoButton, -answer});
    run.wizard.button(QWizard::FinishButton)->click();
    if (exists) {
        QCOMPARE(run.boxesSeen.size(), 1);
        QCOMPARE(run.boxesSeen[0].caption, QStringLiteral("Tessaly"));
        QCOMPARE(run.boxesSeen[0].text,
                 QStringLiteral("Demo.prj already exists in this folder. Replace it?"));
        QCOMPARE(run.boxesSeen[0].icon, QMessageBox::Question);
        QCOMPARE(run.boxesSeen[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(run.boxesSeen[0].defaultButton, QMessageBox::No);
        QCOMPARE(run.boxesSeen[0].escapeButton, QMessageBox::No);
    } else {
        QTest::qWait(100);
        QVERIFY(run.boxesSeen.isEmpty());
    }
    if (runs) {
        QVERIFY(run.waitForEnd());
        QCOMPARE(run.recordedRuns().size(), 1);
    } else {
        QTest::qWait(200);
        QVERIFY(!run.wizard.currentProcess());
        QCOMPARE(run.log(), summary);
        QVERIFY(run.wizard.button(QWizard::FinishButton)->isEnabled());
        QCOMPARE(run.dir.read(QStringLiteral("out/Demo.prj")), QByteArray("earlier"));
    }
}

void TestConverterRun::logNamesTheCompilationDatabase() {
    RunFixture run("exit 0");
    run.fill();
    run.wizard.cdbCheck->setChecked(true);
    run.toLastPage();
    QVERIFY(run.finishAndWait());
    QTRY_VERIFY_WITH_TIMEOUT(
        run.log().endsWith(run.successEnd() + QStringLiteral("\nCompilation database written: ") +
                           QDir::toNativeSeparators(
                               run.dir.filePath(QStringLiteral("out/compile_commands.json")))),
        kTimeout);
}

void TestConverterRun::noSecondRunWhileOneGoesOn() {
    RunFixture run("late 1500 1");
    run.fill();
    run.toLastPage();
    run.wizard.show();
    QAbstractButton* back = run.wizard.button(QWizard::BackButton);
    QAbstractButton* finish = run.wizard.button(QWizard::FinishButton);
    finish->click();
    QPointer<QProcess> first = run.wizard.currentProcess();
    QVERIFY(first);
    QTRY_COMPARE_WITH_TIMEOUT(first->state(), QProcess::Running, kTimeout);

    // While it runs, neither Back nor Finish does anything, however pressed.
    QVERIFY(!back->isEnabled());
    QVERIFY(!finish->isEnabled());
    back->click();
    QTest::keyClick(&run.wizard, Qt::Key_B, Qt::AltModifier);
    QMetaObject::invokeMethod(&run.wizard, "accept");
    QCOMPARE(run.wizard.currentPage(), run.wizard.Page3);
    QCOMPARE(run.wizard.currentProcess(), first.data());
    QVERIFY(run.log().startsWith(QStringLiteral("Initialising Project Conversion ...\n")));

    // Its end is reported as usual; then Back leads to a summary of its own.
    QVERIFY(run.waitForEnd());
    QTRY_COMPARE_WITH_TIMEOUT(run.boxes.shown.size(), 1, kTimeout);
    QCOMPARE(run.recordedRuns().size(), 1);
    QVERIFY(back->isEnabled());
    back->click();
    QCOMPARE(run.wizard.currentPage(), run.wizard.Page2);
    run.wizard.next();
    QTest::qWait(200);
    QVERIFY(run.log().startsWith(QStringLiteral("Code Warrior Install Location:\n")));
    QVERIFY(!run.log().contains(QStringLiteral("stub:")));
    QVERIFY(finish->isEnabled());
}

void TestConverterRun::closeAfterSuccessEndsTheWizard() {
    RunFixture run("exit 0");
    run.fill();
    run.toLastPage();
    run.wizard.show();
    QVERIFY(run.finishAndWait());
    QTRY_COMPARE_WITH_TIMEOUT(run.cancelText(), QStringLiteral("Close"), kTimeout);
    QVERIFY(run.wizard.isVisible());
    QSignalSpy rejected(&run.wizard, &QDialog::rejected);
    run.answerNextBox(QMessageBox::No);
    run.wizard.button(QWizard::CancelButton)->click();
    QCOMPARE(rejected.size(), 1);
    QVERIFY(run.wizard.isHidden());
    QVERIFY(run.boxesSeen.isEmpty());  // nothing runs: no question
}

void TestConverterRun::closeOnlyOnTheLastPageAfterSuccess() {
    RunFixture run("exit 0");
    run.fill();
    run.toLastPage();
    run.wizard.show();
    run.wizard.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&run.wizard));
    const QString cancel = run.cancelText();
    QVERIFY(run.finishAndWait());
    QTRY_COMPARE_WITH_TIMEOUT(run.cancelText(), QStringLiteral("Close"), kTimeout);
    // The pages before the last offer Cancel, as before the run...
    run.wizard.button(QWizard::BackButton)->click();
    QCOMPARE(run.wizard.currentPage(), run.wizard.Page2);
    QCOMPARE(run.cancelText(), cancel);
    // ...and so does the last page once a new summary is shown for a new
    // run, where Enter is Finish again.
    run.wizard.next();
    QCOMPARE(run.cancelText(), cancel);
    run.wizard.DetailsText->setFocus();  // Finish's own focus would make it the default
    QVERIFY(!qobject_cast<QPushButton*>(run.wizard.button(QWizard::CancelButton))->isDefault());
    QVERIFY(qobject_cast<QPushButton*>(run.wizard.button(QWizard::FinishButton))->isDefault());
    run.answerNextBox(QMessageBox::Yes);  // the project of the first run is replaced
    QTest::keyClick(run.wizard.DetailsText, Qt::Key_Return);
    QVERIFY(run.waitForEnd());
    QCOMPARE(run.recordedRuns().size(), 2);
}

void TestConverterRun::failureBoxIsAWarning() {
    RunFixture run("exit 1", true);
    run.fill();
    run.toLastPage();
    run.wizard.show();
    run.answerNextBox(QMessageBox::Ok);
    QVERIFY(run.finishAndWait());
    QTRY_COMPARE_WITH_TIMEOUT(run.boxesSeen.size(), 1, kTimeout);
    QCOMPARE(run.boxesSeen[0].caption, QStringLiteral("Tessaly"));
    QCOMPARE(run.boxesSeen[0].text,
             QStringLiteral("Project Conversion Failed!\nPlease check the details log and try "
                            "again."));
    QCOMPARE(run.boxesSeen[0].icon, QMessageBox::Warning);
    QCOMPARE(run.boxesSeen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void TestConverterRun::failureBoxSaysWhyTheInputIsRefused_data() {
    QTest::addColumn<QByteArray>("last");  // the converter's last line
    QTest::addColumn<QString>("says");     // what the box says below its first line
    const QString check = QStringLiteral("Please check the details log and try again.");
    QTest::newRow("no reason") << QByteArray() << check;
    QTest::newRow("another failure") << QByteArray("Could not open file: /p/x.mcp") << check;
    QTest::newRow("damaged")
        << QByteArray(
               "CW Project file is damaged: a target's name lies outside the file "
               "(string 12 of 9)")
        << QStringLiteral(
               "CW Project file is damaged: a target's name lies outside the file "
               "(string 12 of 9)");
    QTest::newRow("not a project, Latin-1 name")
        << QByteArray("Not a CodeWarrior project or export: /p/r\xe9sum\xe9.txt")
        << QStringLiteral("Not a CodeWarrior project or export: /p/r\u00e9sum\u00e9.txt");
    QTest::newRow("not the last line")
        << QByteArray("CW Project file is damaged: x\nstub: after") << check;
    QTest::newRow("inside a line")
        << QByteArray("stub: Not a CodeWarrior project or export: /p") << check;
}

// When the converter refuses its input (damaged, or no project at all),
// trying again cannot help: the box says the converter's reason.
void TestConverterRun::failureBoxSaysWhyTheInputIsRefused() {
    QFETCH(QByteArray, last);
    QFETCH(QString, says);
    std::optional<ScopedEnv> lastLine;
    if (!last.isEmpty()) {
        lastLine.emplace("TESSALY_STUB_LAST", last);
    }
    RunFixture run("exit 1");
    run.fill();
    run.toLastPage();
    QVERIFY(run.finishAndWait());
    QTRY_COMPARE_WITH_TIMEOUT(run.boxes.shown.size(), 1, kTimeout);
    QCOMPARE(run.boxes.shown[0].first, QStringLiteral("Tessaly"));
    QCOMPARE(run.boxes.shown[0].second, QStringLiteral("Project Conversion Failed!\n") + says);
    QVERIFY(run.log().endsWith(
        QStringLiteral("\nstub: converting") +
        (last.isEmpty() ? QString() : QLatin1Char('\n') + QString::fromLatin1(last))));
}

void TestConverterRun::enterClosesTheWizardAfterARun_data() {
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<int>("key");
    QTest::newRow("success, Enter") << QByteArray("exit 0") << 0 << int(Qt::Key_Return);
    QTest::newRow("failure, Enter") << QByteArray("exit 1") << 0 << int(Qt::Key_Return);
    QTest::newRow("crash, Enter") << QByteArray("crash") << 0 << int(Qt::Key_Enter);
    QTest::newRow("success, Alt+C")
        << QByteArray("exit 0") << int(Qt::AltModifier) << int(Qt::Key_C);
}

// Once a run has ended there is nothing to cancel: Close is the default
// button, and Enter (or its mnemonic) ends the wizard.
void TestConverterRun::enterClosesTheWizardAfterARun() {
    QFETCH(QByteArray, mode);
    QFETCH(int, modifier);
    QFETCH(int, key);
    RunFixture run(mode);
    run.fill();
    run.toLastPage();
    run.wizard.show();
    run.wizard.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&run.wizard));
    QVERIFY(run.finishAndWait());
    auto* close = qobject_cast<QPushButton*>(run.wizard.button(QWizard::CancelButton));
    QCOMPARE(close->text(), QStringLiteral("&Close"));
    QVERIFY(close->isDefault());
    QVERIFY(!qobject_cast<QPushButton*>(run.wizard.button(QWizard::FinishButton))->isDefault());
    QSignalSpy rejected(&run.wizard, &QDialog::rejected);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &run.wizard,
                    Qt::Key(key), Qt::KeyboardModifiers(modifier));
    QTRY_COMPARE(rejected.size(), 1);
    QVERIFY(run.wizard.isHidden());
}

void TestConverterRun::settingsThatCannotBeSavedAreReported() {
    RunFixture run("exit 0");
    run.dir.makeFolder(QStringLiteral("settings.txt"));  // no file can be written there
    run.fill();
    run.toLastPage();
    QVERIFY(run.finishAndWait());
    const QString path = QDir::toNativeSeparators(run.dir.filePath(QStringLiteral("settings.txt")));
    QTRY_VERIFY_WITH_TIMEOUT(
        run.log().endsWith(QStringLiteral("\n") + run.successEnd() +
                           QStringLiteral("\nThe settings could not be saved in ") + path +
                           QLatin1Char('.')),
        kTimeout);
}

void TestConverterRun::realConverterOnTheExample() {
    const QString example = QStringLiteral(TESSALY_SOURCE_DIR "/examples/demo/demo.mcp.xml");
    QVERIFY2(QFile::exists(example), qPrintable(example));
    ScratchDirectory dir;
    TessalyWizard wizard;
    QList<QString> boxes;
    wizard.setFailureBox([&boxes](const QString&, const QString& text) { boxes << text; });
    wizard.setConverterSearchFolder(QStringLiteral(TESSCLI_DIR));
    wizard.CWInstallDirEdit->setText(dir.makeFolder(QStringLiteral("cw")));
    wizard.CWProjectEdit->setText(example);
    wizard.VexaProjectEdit->setText(dir.makeFolder(QStringLiteral("out")));
    wizard.VexaNameEdit->setText(QStringLiteral("demo"));
    wizard.next();
    wizard.next();
    // Typed as users do: the headers must not vanish for the blank.
    wizard.CustExtEdit->setText(QStringLiteral("txt, h"));
    wizard.next();
    QCOMPARE(wizard.currentPage(), wizard.Page3);
    wizard.button(QWizard::FinishButton)->click();
    QTRY_VERIFY_WITH_TIMEOUT(wizard.DetailsText->toPlainText().contains(
                                 QStringLiteral("Project Converted Successfully!")) ||
                                 !boxes.isEmpty(),
                             kTimeout);
    const QString log = wizard.DetailsText->toPlainText();
    QVERIFY2(boxes.isEmpty(), qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("Vexa/Vexa++ Project Completed!")), qPrintable(log));
    QVERIFY2(log.contains(QRegularExpression(QStringLiteral("adding file: .*\\.h\n"))),
             qPrintable(log));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("out/demo.prj"))));
    QCOMPARE(wizard.button(QWizard::CancelButton)->text(), QStringLiteral("&Close"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath(QStringLiteral("settings.txt"))), kTimeout);

    // tesscli run by hand with the same arguments writes the same tree.
    const QString out = dir.filePath(QStringLiteral("out"));
    const QMap<QString, QByteArray> fromWizard = filesBelow(out);
    QVERIFY(QDir(out).removeRecursively() && QDir().mkpath(out));
    QProcess byHand;
    byHand.start(
        tessaly::wizard::findConverter(QStringLiteral(TESSCLI_DIR)),
        {QDir::toNativeSeparators(example), QDir::toNativeSeparators(out),
         QDir::toNativeSeparators(dir.filePath(QStringLiteral("cw"))), QStringLiteral("-pn"),
         QStringLiteral("demo"), QStringLiteral("-ext"), QStringLiteral("txt,h")});
    QVERIFY(byHand.waitForFinished(kTimeout));
    QCOMPARE(byHand.exitCode(), 0);
    QCOMPARE(filesBelow(out), fromWizard);
}

QTEST_MAIN(TestConverterRun)
#include "tst_converter_run.moc"
