// Leaving the extensions page: the extension list, the summary, Finish; and
// the argument list a run hands to tesscli.
#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "converter_run.h"
#include "tessaly_wizard.h"
#include "wizard_test_support.h"

using tessaly::wizard::ConverterFields;

class TestExtensionsAndSummary : public QObject {
    Q_OBJECT

  private slots:
    void extensionList_data();
    void extensionList();
    void summaryOnLeavingExtensionsPage();
    void emptyValuesSayWhatTheyStandFor();
    void onlyLeavingExtensionsPageBuildsTheSummary();
    void backAndNextRebuilds();
    void arguments_data();
    void arguments();
    void compilationDatabaseAsked();
};

namespace {

// Fills page 0 with existing paths and moves to the extensions page.
void reachExtensionsPage(TessalyWizard& wizard, const ScratchDirectory& dir) {
    wizard.CWInstallDirEdit->setText(dir.makeFolder(QStringLiteral("cw")));
    wizard.CWProjectEdit->setText(dir.makeFile(QStringLiteral("my project.mcp.xml")));
    wizard.VexaProjectEdit->setText(dir.makeFolder(QStringLiteral("out")));
    wizard.VexaNameEdit->setText(QStringLiteral("Engine"));
    wizard.next();
    wizard.next();
    QCOMPARE(wizard.currentPage(), wizard.Page2);
}

}  // namespace

void TestExtensionsAndSummary::extensionList_data() {
    QTest::addColumn<QStringList>("ticked");
    QTest::addColumn<QString>("custom");
    QTest::addColumn<QString>("list");
    // clang-format off
    QTest::newRow("nothing")                << QStringList{}                   << ""         << "";
    QTest::newRow("cpp and h")              << QStringList{"cppCheck", "hCheck"} << "" << "cpp,h";
    QTest::newRow("all eight in fixed order")
        << QStringList{"hxxCheck", "hppCheck", "hhCheck", "hCheck", "cCheck", "cxxCheck",
                       "ccCheck", "cppCheck"}
        << "" << "cpp,cc,cxx,c,h,hh,hpp,hxx";
    QTest::newRow("custom only")            << QStringList{}           << "res,xml"  << "res,xml";
    QTest::newRow("custom trailing comma")  << QStringList{}           << "res,xml," << "res,xml";
    QTest::newRow("only one comma removed") << QStringList{}           << "res,,"    << "res,";
    QTest::newRow("each once")              << QStringList{"cCheck"}   << "c,h"      << "c,h";
    QTest::newRow("each once, any case")    << QStringList{"cppCheck"} << "CPP,h,H"  << "cpp,h";
    QTest::newRow("custom repeats")         << QStringList{}           << "res,xml,Res" << "res,xml";
    QTest::newRow("non-ASCII case differs") << QStringList{}           << "\u00e9,\u00c9" << "\u00e9,\u00c9";
    QTest::newRow("blank makes another")    << QStringList{"cCheck"}   << " c,c"     << "c, c";
    QTest::newRow("empty entries stay")     << QStringList{}           << "c,,c,,"   << "c,,";
    QTest::newRow("leading blank kept")     << QStringList{"ccCheck"}  << " res"     << "cc, res";
    QTest::newRow("trailing blank kept")    << QStringList{"cCheck"}   << "s, "      << "c,s, ";
    QTest::newRow("lone comma")             << QStringList{}           << ","        << "";
    // clang-format on
}

void TestExtensionsAndSummary::extensionList() {
    QFETCH(QStringList, ticked);
    QFETCH(QString, custom);
    QFETCH(QString, list);
    ScratchDirectory dir;
    TessalyWizard wizard;
    reachExtensionsPage(wizard, dir);
    for (const QString& name : ticked) {
        wizard.findChild<QCheckBox*>(name)->setChecked(true);
    }
    wizard.CustExtEdit->setText(custom);
    wizard.button(QWizard::NextButton)->click();
    QCOMPARE(wizard.currentPage(), wizard.Page3);
    QCOMPARE(wizard.currentExtensionList(), list);
    const QString shown = list.isEmpty() ? QStringLiteral("all files") : list;
    QVERIFY(wizard.DetailsText->toPlainText().endsWith(QStringLiteral("File Extensions:\n") +
                                                       shown + QLatin1Char('\n')));
}

void TestExtensionsAndSummary::summaryOnLeavingExtensionsPage() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    reachExtensionsPage(wizard, dir);
    wizard.MsgPersonEdit->setText(QStringLiteral("m.p_s"));
    wizard.AnalPersonEdit->setText(QStringLiteral(" a.p_a "));
    wizard.CmpPersonEdit->setText(QStringLiteral("c.p_c"));
    wizard.cppCheck->setChecked(true);
    wizard.hCheck->setChecked(true);
    QVERIFY(!wizard.Page3->isComplete());

    wizard.next();

    // The paths as tesscli gets them, in the system's form.
    const auto path = [](const QLineEdit* edit) { return QDir::toNativeSeparators(edit->text()); };
    const QString expected =
        QStringLiteral("Code Warrior Install Location:\n") + path(wizard.CWInstallDirEdit) +
        QStringLiteral("\n\nCode Warrior Project:\n") + path(wizard.CWProjectEdit) +
        QStringLiteral("\n\nVexa / Vexa++ Project Directory:\n") + path(wizard.VexaProjectEdit) +
        QStringLiteral(
            "\n\nVexa / Vexa++ Project Name:\nEngine\n\n"
            "Message Personality:\nm.p_s\n\n"
            "Tamplate Analyser Personality:\n a.p_a \n\n"
            "Compiler Personality:\nc.p_c\n\n"
            "File Extensions:\ncpp,h\n");
    QCOMPARE(wizard.DetailsText->toPlainText(), expected);
    QCOMPARE(wizard.currentPage(), wizard.Page3);
    QVERIFY(wizard.Page3->isComplete());
    QVERIFY(wizard.button(QWizard::FinishButton)->isEnabled());
}

// An empty personality is the converter's empty default; no extension
// means every file.
void TestExtensionsAndSummary::emptyValuesSayWhatTheyStandFor() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    reachExtensionsPage(wizard, dir);
    wizard.next();
    QVERIFY(wizard.DetailsText->toPlainText().endsWith(
        QStringLiteral("Message Personality:\nempty default\n\nTamplate Analyser "
                       "Personality:\nempty default\n\nCompiler Personality:\nempty "
                       "default\n\nFile Extensions:\nall files\n")));
}

void TestExtensionsAndSummary::onlyLeavingExtensionsPageBuildsTheSummary() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    const QString placeholder = wizard.DetailsText->toPlainText();
    wizard.cppCheck->setChecked(true);
    reachExtensionsPage(wizard, dir);  // leaves pages 0 and 1 with Next
    QCOMPARE(wizard.DetailsText->toPlainText(), placeholder);
    QVERIFY(wizard.currentExtensionList().isEmpty());
    QVERIFY(!wizard.Page3->isComplete());
}

void TestExtensionsAndSummary::backAndNextRebuilds() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    reachExtensionsPage(wizard, dir);
    wizard.cppCheck->setChecked(true);
    wizard.next();
    QCOMPARE(wizard.currentExtensionList(), QStringLiteral("cpp"));
    wizard.back();
    wizard.back();
    QCOMPARE(wizard.currentExtensionList(), QStringLiteral("cpp"));  // Back keeps it
    wizard.VexaNameEdit->setText(QStringLiteral("Other"));           // page 1 is current
    wizard.next();
    wizard.cppCheck->setChecked(false);
    wizard.CustExtEdit->setText(QStringLiteral("res"));
    wizard.next();
    QCOMPARE(wizard.currentExtensionList(), QStringLiteral("res"));
    QVERIFY(wizard.DetailsText->toPlainText().contains(QStringLiteral("Name:\nOther\n\n")));
}

void TestExtensionsAndSummary::arguments_data() {
    QTest::addColumn<QStringList>("fields");  // the eight ConverterFields in order
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no options") << QStringList{"p.mcp.xml", "out", "cw", "Engine", "", "", "", ""}
                                << QStringList{"p.mcp.xml", "out", "cw", "-pn", "Engine"};
    QTest::newRow("everything") << QStringList{"p.mcp.xml", "out",   "cw",    "Engine",
                                               "m.p_s",     "a.p_a", "c.p_c", "cpp,h"}
                                << QStringList{"p.mcp.xml", "out",   "cw",   "-pn",   "Engine",
                                               "-mp",       "m.p_s", "-ap",  "a.p_a", "-cp",
                                               "c.p_c",     "-ext",  "cpp,h"};
    QTest::newRow("analyser only") << QStringList{"p", "o", "c", "n", "", "a.p_a", "", ""}
                                   << QStringList{"p", "o", "c", "-pn", "n", "-ap", "a.p_a"};
    QTest::newRow("blanks and quotes unchanged")
        << QStringList{"my p.mcp.xml", " out ", "", "a \"b\"", "", "", "c d", " h"}
        << QStringList{"my p.mcp.xml", " out ", "", "-pn", "a \"b\"", "-cp", "c d", "-ext", " h"};
}

void TestExtensionsAndSummary::arguments() {
    QFETCH(QStringList, fields);
    QFETCH(QStringList, arguments);
    const ConverterFields f{fields[0], fields[1], fields[2], fields[3],
                            fields[4], fields[5], fields[6], fields[7]};
    QCOMPARE(tessaly::wizard::converterArguments(f), arguments);
}

// Ticked, the box adds the database in the destination folder to the
// summary and to the converter's arguments; off, neither changes.
void TestExtensionsAndSummary::compilationDatabaseAsked() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    reachExtensionsPage(wizard, dir);
    QVERIFY(!wizard.cdbCheck->isChecked());
    wizard.next();
    const QString summary = wizard.DetailsText->toPlainText();
    QVERIFY(summary.endsWith(QStringLiteral("File Extensions:\nall files\n")));

    wizard.back();
    wizard.cdbCheck->setChecked(true);
    wizard.next();
    const QString database = QDir::toNativeSeparators(wizard.VexaProjectEdit->text()) +
                             QDir::separator() + QStringLiteral("compile_commands.json");
    QCOMPARE(wizard.DetailsText->toPlainText(),
             summary + QStringLiteral("\nCompilation Database:\n") + database + QLatin1Char('\n'));

    ConverterFields fields{"p", "/out", "cw", "n", "", "", "", "c"};
    fields.compilationDatabase = true;
    QCOMPARE(tessaly::wizard::converterArguments(fields),
             (QStringList{"p", "/out", "cw", "-pn", "n", "-ext", "c", "-cdb",
                          QStringLiteral("/out") + QDir::separator() +
                              QStringLiteral("compile_commands.json")}));
}

QTEST_MAIN(TestExtensionsAndSummary)
#include "tst_extensions_summary.moc"
