// The six browse dialogs: what each asks for, what a choice fills in, what a
// cancel leaves alone, and the start location they share.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <optional>

#include "tessaly_wizard.h"
#include "wizard_test_support.h"

using BrowseKind = TessalyWizard::BrowseKind;
Q_DECLARE_METATYPE(TessalyWizard::BrowseKind)

class TestBrowse : public QObject {
    Q_OBJECT

  private slots:
    void dialogs_data();
    void dialogs();
    void cancelKeepsFieldAndStartLocation_data();
    void cancelKeepsFieldAndStartLocation();
    void dialogsShareTheLastChoice();
    void choiceRunsThePageCheck();
    void analyserChoiceRunsTheCheck();
    void toolkitDialogs_data();
    void toolkitDialogs();
    void startsInTheFolderOfTheFieldsValue_data();
    void startsInTheFolderOfTheFieldsValue();
    void folderDialogAfterAFileChoiceStartsInItsFolder();
    void toolkitFolderDialogPrefillsNoFileName();

  private:
    void addRows();
};

void TestBrowse::addRows() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<BrowseKind>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("filter");
    QTest::newRow("install") << "CWInstallBrowseBtn"
                             << "CWInstallDirEdit" << BrowseKind::ExistingDirectory
                             << "Specify the Code Warrior Installation Directory"
                             << "";
    QTest::newRow("project") << "CWProjectBrowseBtn"
                             << "CWProjectEdit" << BrowseKind::OpenFile
                             << "Select a CodeWarrior Project or Export"
                             << "CodeWarrior project or export (*.mcp *.xml);;All files (*)";
    QTest::newRow("destination") << "VexaProjectBrowseBtn"
                                 << "VexaProjectEdit" << BrowseKind::ExistingDirectory
                                 << "Select the Vexa/Vexa++ Project Destination Directory"
                                 << "";
    QTest::newRow("message") << "MsgBrowseBtn"
                             << "MsgPersonEdit" << BrowseKind::OpenFile
                             << "Select a Message Personality"
                             << "Msg Personalities(*.p_s)";
    QTest::newRow("analyser") << "AnalBrowseBtn"
                              << "AnalPersonEdit" << BrowseKind::OpenFile
                              << "Select a Template Analyser Personality"
                              << "Analiser Personalities(*.p_a)";
    QTest::newRow("compiler") << "CmpBrowseBtn"
                              << "CmpPersonEdit" << BrowseKind::OpenFile
                              << "Select a Compiler Personality"
                              << "Cmp Personalities(*.p_c)";
}

void TestBrowse::dialogs_data() {
    addRows();
}

void TestBrowse::dialogs() {
    QFETCH(QString, button);
    QFETCH(QString, edit);
    QFETCH(BrowseKind, kind);
    QFETCH(QString, caption);
    QFETCH(QString, filter);
    ScratchDirectory dir;
    TessalyWizard wizard;
    const QString chosen = dir.filePath(QStringLiteral("chosen item"));
    QList<TessalyWizard::BrowseRequest> requests;
    wizard.setBrowseDialog([&](const TessalyWizard::BrowseRequest& request) {
        requests << request;
        return chosen;
    });

    wizard.findChild<QPushButton*>(button)->click();

    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].kind, kind);
    QCOMPARE(requests[0].caption, caption);
    QCOMPARE(requests[0].filter, filter);
    QCOMPARE(requests[0].startPath, QString(QDir::separator()));
    QCOMPARE(wizard.findChild<QLineEdit*>(edit)->text(), QDir::toNativeSeparators(chosen));
    QCOMPARE(wizard.currentBrowsePath(), QDir::toNativeSeparators(chosen));
}

void TestBrowse::cancelKeepsFieldAndStartLocation_data() {
    addRows();
}

void TestBrowse::cancelKeepsFieldAndStartLocation() {
    QFETCH(QString, button);
    QFETCH(QString, edit);
    ScratchDirectory dir;
    TessalyWizard wizard;
    auto* field = wizard.findChild<QLineEdit*>(edit);
    field->setText(QStringLiteral("before"));
    int asked = 0;
    wizard.setBrowseDialog([&](const TessalyWizard::BrowseRequest&) {
        ++asked;
        return QString();
    });
    wizard.findChild<QPushButton*>(button)->click();
    QCOMPARE(asked, 1);
    QCOMPARE(field->text(), QStringLiteral("before"));
    QCOMPARE(wizard.currentBrowsePath(), QString(QDir::separator()));
}

void TestBrowse::dialogsShareTheLastChoice() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    const QString file = dir.makeFile(QStringLiteral("personalities/m.p_s"));
    QStringList starts;
    QString answer = file;
    wizard.setBrowseDialog([&](const TessalyWizard::BrowseRequest& request) {
        starts << request.startPath;
        return answer;
    });
    wizard.MsgBrowseBtn->click();
    answer.clear();  // cancelled: the start location stays the file chosen
    wizard.CWInstallBrowseBtn->click();
    answer = dir.path();
    wizard.CmpBrowseBtn->click();
    wizard.VexaProjectBrowseBtn->click();
    // The installation dialog, a folder dialog, starts in the file's folder.
    QCOMPARE(starts,
             (QStringList{QString(QDir::separator()),
                          QDir::toNativeSeparators(QFileInfo(file).absolutePath()),
                          QDir::toNativeSeparators(file), QDir::toNativeSeparators(dir.path())}));
    QVERIFY(wizard.CWInstallDirEdit->text().isEmpty());
}

void TestBrowse::choiceRunsThePageCheck() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    QString answer = dir.filePath(QStringLiteral("missing.p_c"));
    wizard.setBrowseDialog([&](const TessalyWizard::BrowseRequest&) { return answer; });
    wizard.CmpBrowseBtn->click();
    QCOMPARE(textColour(wizard.CmpPersonEdit), QColor(255, 0, 0));
    QVERIFY(!wizard.Page1->isComplete());

    wizard.VexaNameEdit->setText(QStringLiteral("n"));
    answer = dir.path();
    wizard.CWInstallBrowseBtn->click();
    wizard.VexaProjectBrowseBtn->click();
    QVERIFY(!wizard.Page0->isComplete());
    answer = dir.makeFile(QStringLiteral("p.mcp.xml"));
    wizard.CWProjectBrowseBtn->click();
    QCOMPARE(textColour(wizard.CWProjectEdit), QColor(0, 0, 0));
    QVERIFY(wizard.Page0->isComplete());
}

void TestBrowse::analyserChoiceRunsTheCheck() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    QString answer = dir.filePath(QStringLiteral("missing.p_a"));
    wizard.setBrowseDialog([&](const TessalyWizard::BrowseRequest&) { return answer; });
    wizard.AnalBrowseBtn->click();
    QCOMPARE(textColour(wizard.AnalPersonEdit), QColor(255, 0, 0));
    QVERIFY(!wizard.Page1->isComplete());
    answer = dir.makeFile(QStringLiteral("a.p_a"));
    wizard.AnalBrowseBtn->click();
    QCOMPARE(textColour(wizard.AnalPersonEdit), QColor(0, 0, 0));
    QVERIFY(wizard.Page1->isComplete());
}

void TestBrowse::toolkitDialogs_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<bool>("accept");
    QTest::newRow("directory, cancelled")
        << "VexaProjectBrowseBtn"
        << "get existing directory" << int(QFileDialog::Directory) << QStringList() << false;
    QTest::newRow("file, cancelled") << "MsgBrowseBtn"
                                     << "open file dialog" << int(QFileDialog::ExistingFile)
                                     << QStringList{"Msg Personalities(*.p_s)"} << false;
    QTest::newRow("file, chosen") << "CWProjectBrowseBtn"
                                  << "open file dialog" << int(QFileDialog::ExistingFile)
                                  << QStringList{"CodeWarrior project or export (*.mcp *.xml)",
                                                 "All files (*)"}
                                  << true;
}

void TestBrowse::toolkitDialogs() {
    QFETCH(QString, button);
    QFETCH(QString, objectName);
    QFETCH(int, fileMode);
    QFETCH(QStringList, filters);
    QFETCH(bool, accept);
    ScratchDirectory dir;
    const QString file = dir.makeFile(QStringLiteral("a.mcp.xml"));
    TessalyWizard wizard;
    wizard.show();
    // The modal dialog is answered from inside its own event loop; what it
    // showed is compared once it is closed.
    struct Seen {
        QString objectName;
        QWidget* parent = nullptr;
        int fileMode = -1;
        bool dirsOnly = false;
        QStringList filters;
        QString start;
    };
    std::optional<Seen> seen;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        seen = Seen{dialog->objectName(),    dialog->parentWidget(),
                    int(dialog->fileMode()), dialog->testOption(QFileDialog::ShowDirsOnly),
                    dialog->nameFilters(),   dialog->directory().absolutePath()};
        if (accept) {
            dialog->selectFile(file);
            QMetaObject::invokeMethod(dialog, "accept");
        } else {
            dialog->reject();
        }
    });
    wizard.findChild<QPushButton*>(button)->click();
    QVERIFY(seen);
    QCOMPARE(seen->objectName, objectName);
    QCOMPARE(seen->parent, &wizard);
    QCOMPARE(seen->fileMode, fileMode);
    QCOMPARE(seen->dirsOnly, fileMode == int(QFileDialog::Directory));
    if (!filters.isEmpty()) {
        QCOMPARE(seen->filters, filters);
    }
    // The root as the system resolves a lone separator: on Windows the root
    // of the current drive (Wine takes it for its drive of "/"), where
    // QDir::rootPath() is the system's drive.
    QCOMPARE(seen->start, QFileInfo(QString(QDir::separator())).absoluteFilePath());
    if (accept) {
        QCOMPARE(wizard.CWProjectEdit->text(), QDir::toNativeSeparators(file));
    } else {
        QVERIFY(wizard.VexaProjectEdit->text().isEmpty() && wizard.MsgPersonEdit->text().isEmpty());
        QCOMPARE(wizard.currentBrowsePath(), QString(QDir::separator()));
    }
}

void TestBrowse::startsInTheFolderOfTheFieldsValue_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("value");  // relative to the scratch folder
    QTest::addColumn<QString>("start");  // likewise; "/" for the root
    const struct {
        const char* button;
        const char* edit;
    } fields[] = {
        {"CWInstallBrowseBtn", "CWInstallDirEdit"},  {"CWProjectBrowseBtn", "CWProjectEdit"},
        {"VexaProjectBrowseBtn", "VexaProjectEdit"}, {"MsgBrowseBtn", "MsgPersonEdit"},
        {"AnalBrowseBtn", "AnalPersonEdit"},         {"CmpBrowseBtn", "CmpPersonEdit"}};
    for (const auto& field : fields) {
        const auto row = [&](const char* what, const char* value, const char* start) {
            QTest::addRow("%s, %s", field.edit, what)
                << field.button << field.edit << value << start;
        };
        row("a file", "sub/f.txt", "sub");
        row("a folder", "sub", "sub");
        row("missing, in a folder", "sub/none.txt", "sub");
        row("nothing of it exists", "no/such/x", "/");
        row("empty", "", "/");
    }
}

void TestBrowse::startsInTheFolderOfTheFieldsValue() {
    QFETCH(QString, button);
    QFETCH(QString, edit);
    QFETCH(QString, value);
    QFETCH(QString, start);
    ScratchDirectory dir;
    dir.makeFile(QStringLiteral("sub/f.txt"));
    TessalyWizard wizard;
    wizard.findChild<QLineEdit*>(edit)->setText(value.isEmpty() ? value : dir.filePath(value));
    QString asked;
    wizard.setBrowseDialog([&](const TessalyWizard::BrowseRequest& request) {
        asked = request.startPath;
        return QString();
    });
    wizard.findChild<QPushButton*>(button)->click();
    QCOMPARE(asked, start == QLatin1String("/") ? QString(QDir::separator())
                                                : QDir::toNativeSeparators(dir.filePath(start)));
}

void TestBrowse::folderDialogAfterAFileChoiceStartsInItsFolder() {
    ScratchDirectory dir;
    const QString file = dir.makeFile(QStringLiteral("projects/p.mcp.xml"));
    TessalyWizard wizard;
    QStringList starts;
    wizard.setBrowseDialog([&](const TessalyWizard::BrowseRequest& request) {
        starts << request.startPath;
        return request.kind == BrowseKind::OpenFile ? file : QString();
    });
    wizard.CWProjectBrowseBtn->click();
    wizard.CWInstallBrowseBtn->click();    // a folder dialog: the file's folder
    wizard.VexaProjectBrowseBtn->click();  // likewise
    wizard.CmpBrowseBtn->click();          // a file dialog may start at the file
    const QString folder = QDir::toNativeSeparators(dir.filePath(QStringLiteral("projects")));
    QCOMPARE(starts, (QStringList{QString(QDir::separator()), folder, folder,
                                  QDir::toNativeSeparators(file)}));
}

void TestBrowse::toolkitFolderDialogPrefillsNoFileName() {
    ScratchDirectory dir;
    const QString file = dir.makeFile(QStringLiteral("projects/p.mcp.xml"));
    TessalyWizard wizard;
    wizard.show();
    wizard.setBrowseDialog([&](const TessalyWizard::BrowseRequest&) { return file; });
    wizard.MsgBrowseBtn->click();  // the last choice is now a file
    wizard.setBrowseDialog({});    // the toolkit's dialogs again

    QString directory;
    QString fileName = QStringLiteral("(not seen)");
    bool canChoose = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        directory = dialog->directory().absolutePath();
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            fileName = name->text();
        }
        if (auto* box = dialog->findChild<QDialogButtonBox*>()) {
            canChoose = box->button(QDialogButtonBox::Open)->isEnabled();
        }
        dialog->reject();
    });
    wizard.VexaProjectBrowseBtn->click();
    QCOMPARE(directory, QFileInfo(file).absolutePath());
    QCOMPARE(fileName, QString());
    QVERIFY(canChoose);
}

QTEST_MAIN(TestBrowse)
#include "tst_browse.moc"
