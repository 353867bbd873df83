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
    void refusedExtensionCanBeMended();
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
    QTest::addColumn<QString>("list");  // -ext's value and the summary's line; "!" refused
    // clang-format off
    QTest::newRow("nothing")                << QStringList{}             << ""         << "";
    QTest::newRow("cpp and h")              << QStringList{"cppCheck", "hCheck"} << "" << "cpp,h";
    QTest::newRow("all eight in fixed order")
        << QStringList{"hxxCheck", "hppCheck", "hhCheck", "hCheck", "cCheck", "cxxCheck",
                       "ccCheck", "cppCheck"}
        << "" << "cpp,cc,cxx,c,h,hh,hpp,hxx";
    QTest::newRow("custom only")            << QStringList{}             << "res,xml"  << "res,xml";
    QTest::newRow("comma and blank")        << QStringList{}             << "txt, h"   << "txt,h";
    QTest::newRow("blanks only between")    << QStringList{}             << "txt  h"   << "txt,h";
    QTest::newRow("semicolon")              << QStringList{}             << "h;cpp"    << "h,cpp";
    QTest::newRow("tab")                    << QStringList{}             << "h\tcpp"   << "h,cpp";
    QTest::newRow("wildcard dot")           << QStringList{}             << "*.res"    << "res";
    QTest::newRow("dot")                    << QStringList{}             << ".xml"     << "xml";
    QTest::newRow("blanks around")          << QStringList{}             << " c "      << "c";
    QTest::newRow("trailing comma")         << QStringList{}             << "res,xml," << "res,xml";
    QTest::newRow("empty pieces")           << QStringList{}             << ",res,,;xml,," << "res,xml";
    QTest::newRow("after ticked boxes")     << QStringList{"cCheck", "hCheck"} << "r,"  << "c,h,r";
    QTest::newRow("each once")              << QStringList{"cCheck"}     << "c,h"      << "c,h";
    QTest::newRow("each once, any case")    << QStringList{"cppCheck"}   << "CPP,h,H"  << "cpp,h";
    QTest::newRow("each once, written so")  << QStringList{}             << "*.c .C c" << "c";
    QTest::newRow("non-ASCII case differs") << QStringList{}             << "\u00e9,\u00c9" << "\u00e9,\u00c9";
    QTest::newRow("blank makes no other")   << QStringList{"cCheck"}     << " c,c"     << "c";
    QTest::newRow("lone comma")             << QStringList{}             << ","        << "";
    QTest::newRow("lone dot")               << QStringList{"hCheck"}     << ". *."     << "h";
    QTest::newRow("wildcard")               << QStringList{}             << "*"        << "!";
    QTest::newRow("all of them")            << QStringList{"cCheck"}     << "*.*"      << "!";
    QTest::newRow("question mark")          << QStringList{}             << "c, ?pp"   << "!";
    QTest::newRow("slash")                  << QStringList{}             << "src/c"    << "!";
    QTest::newRow("backslash")              << QStringList{}             << "h,\\h"   << "!";
    QTest::newRow("a dot inside")           << QStringList{}             << "tar.gz"   << "!";
    QTest::newRow("two dots")               << QStringList{}             << "..h"      << "!";
    // clang-format on
}

// What is typed becomes a clean list: the -ext argument and the summary's
// line. A piece that is no extension makes the field red and holds Next.
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
    const bool refused = list == QLatin1String("!");
    QCOMPARE(reasonShown(wizard.CustExtEdit),
             refused ? QStringLiteral("Not an extension") : QString());
    QCOMPARE(textColour(wizard.CustExtEdit), refused ? QColor(255, 0, 0) : QColor(0, 0, 0));
    QCOMPARE(wizard.button(QWizard::NextButton)->isEnabled(), !refused);
    wizard.button(QWizard::NextButton)->click();
    if (refused) {
        QCOMPARE(wizard.currentPage(), wizard.Page2);
        return;
    }
    QCOMPARE(wizard.currentPage(), wizard.Page3);
    QCOMPARE(wizard.currentExtensionList(), list);
    const QStringList arguments = wizard.currentArguments();
    QCOMPARE(arguments.contains(QStringLiteral("-ext")), !list.isEmpty());
    if (!list.isEmpty()) {
        QCOMPARE(arguments.mid(arguments.indexOf(QStringLiteral("-ext"))),
                 (QStringList{QStringLiteral("-ext"), list}));
    }
    const QString shown = list.isEmpty() ? QStringLiteral("all files") : list;
    QVERIFY(wizard.DetailsText->toPlainText().endsWith(QStringLiteral("File Extensions:\n") +
                                                       shown + QLatin1Char('\n')));
}

// The field is red only while it holds a piece that is no extension.
void TestExtensionsAndSummary::refusedExtensionCanBeMended() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.show();
    reachExtensionsPage(wizard, dir);
    wizard.CustExtEdit->setFocus();
    QTest::keyClicks(wizard.CustExtEdit, QStringLiteral("res *"));
    QCOMPARE(reasonShown(wizard.CustExtEdit), QStringLiteral("Not an extension"));
    QVERIFY(!wizard.button(QWizard::NextButton)->isEnabled());
    QTest::keyClicks(wizard.CustExtEdit, QStringLiteral(".xml"));
    QCOMPARE(reasonShown(wizard.CustExtEdit), QString());
    QVERIFY(wizard.button(QWizard::NextButton)->isEnabled());
    wizard.next();
    QCOMPARE(wizard.currentExtensionList(), QStringLiteral("res,xml"));
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

// An empty personality is the converter's empty default, a personality of
// blanks too; no extension means every file; an empty installation folder
// is one the converter does not know.
void TestExtensionsAndSummary::emptyValuesSayWhatTheyStandFor() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    reachExtensionsPage(wizard, dir);
    wizard.AnalPersonEdit->setText(QStringLiteral("   "));
    wizard.next();
    QVERIFY(wizard.DetailsText->toPlainText().endsWith(
        QStringLiteral("Message Personality:\nempty default\n\nTamplate Analyser "
                       "Personality:\nempty default\n\nCompiler Personality:\nempty "
                       "default\n\nFile Extensions:\nall files\n")));
    QVERIFY(!wizard.currentArguments().contains(QStringLiteral("-ap")));

    const ConverterFields unknown{"p.mcp", "out", "", "n", "", "", "", ""};
    QVERIFY(tessaly::wizard::buildSummary(unknown).startsWith(
        QStringLiteral("Code Warrior Install Location:\nunknown (references below it are not "
                       "found)\n\nCode Warrior Project:\np.mcp\n\n")));
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
