// The checks that decide Next on the first two pages: a path that names what
// its field asks for (a file or a folder) black, anything else red and saying
// why, the project's name a name, and the key-release path that runs them too.
#include <QAbstractButton>
#include <QLineEdit>
#include <QtTest>

#include "field_checks.h"
#include "tessaly_wizard.h"
#include "wizard_test_support.h"

using tessaly::PathStyle;
using tessaly::wizard::FieldProblem;

Q_DECLARE_METATYPE(FieldProblem)

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

// "file", "folder", "missing" or "" become a path of that kind in dir.
QString pathOfKind(const ScratchDirectory& dir, const QString& kind, const QString& name) {
    if (kind == QLatin1String("file")) {
        return dir.makeFile(name + QStringLiteral(".txt"), "x");
    }
    if (kind == QLatin1String("folder")) {
        return dir.makeFolder(name);
    }
    if (kind == QLatin1String("missing")) {
        return dir.filePath(name + QStringLiteral("-missing"));
    }
    return kind == QLatin1String("blanks") ? QStringLiteral("   ") : QString();
}

// A field of blanks counts as an empty one.
bool empty(const QString& kind) {
    return kind.isEmpty() || kind == QLatin1String("blanks");
}

// Black when the path is of the kind the field asks for, red otherwise.
QColor colourFor(const QString& kind, const QString& wanted) {
    return kind == wanted || (empty(kind) && wanted.isEmpty()) ? kBlack : kRed;
}

// What a field asking for `wanted` says about a path of that kind.
QString reasonFor(const QString& kind, const QString& wanted) {
    if (kind == wanted || (empty(kind) && wanted.isEmpty())) {
        return QString();
    }
    if (empty(kind)) {
        return wanted == QLatin1String("file") ? "A file is needed" : "A folder is needed";
    }
    if (kind == QLatin1String("missing")) {
        return wanted == QLatin1String("file") ? "No such file" : "No such folder";
    }
    return wanted == QLatin1String("file") ? "This is a folder, not a file"
                                           : "This is a file, not a folder";
}

}  // namespace

class TestPageChecks : public QObject {
    Q_OBJECT

  private slots:
    void page0_data();
    void page0();
    void fieldsSayWhyAtOnce();
    void nameIsANameNotAPath_data();
    void nameIsANameNotAPath();
    void nameRules_data();
    void nameRules();
    void installationRules_data();
    void installationRules();
    void otherEntriesAreNeitherFileNorFolder();
    void reasonFollowsTheFieldsEdge();
    void page0NameTypedAndDeleted();
    void nameProposedFromExport_data();
    void nameProposedFromExport();
    void proposalFollowsTheExportUntilANameIsTyped();
    void relativePathsCountFromCurrentDirectory();
    void keyReleaseRunsTheCheck_data();
    void keyReleaseRunsTheCheck();
    void page1_data();
    void page1();
    void analyserEditRunsTheCheck();
    void blankNameDoesNotCount_data();
    void blankNameDoesNotCount();
    void page1StartsEnabledAndChecksNeverRunOnPageChange();
};

void TestPageChecks::page0_data() {
    QTest::addColumn<QString>("install");
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("next");
    // On POSIX, where most users have no CodeWarrior, tesscli takes an empty
    // installation folder as an unknown one; Windows asks its registry.
    const bool posix = tessaly::systemPlatform().pathStyle() == PathStyle::Posix;
    // clang-format off
    QTest::newRow("all exist, named")        << "folder"  << "file"    << "folder"  << "p" << true;
    QTest::newRow("file and folder swapped") << "file"    << "folder"  << "file"    << "p" << false;
    QTest::newRow("destination is a file")   << "folder"  << "file"    << "file"    << "p" << false;
    QTest::newRow("export is a folder")      << "folder"  << "folder"  << "folder"  << "p" << false;
    QTest::newRow("install is a file")       << "file"    << "file"    << "folder"  << "p" << false;
    QTest::newRow("all exist, no name")      << "folder"  << "file"    << "folder"  << ""  << false;
    QTest::newRow("install missing")         << "missing" << "file"    << "folder"  << "p" << false;
    QTest::newRow("project missing")         << "folder"  << "missing" << "folder"  << "p" << false;
    QTest::newRow("destination missing")     << "folder"  << "file"    << "missing" << "p" << false;
    QTest::newRow("install empty")           << ""        << "file"    << "folder"  << "p" << posix;
    QTest::newRow("install blanks")          << "blanks"  << "file"    << "folder"  << "p" << posix;
    QTest::newRow("export blanks")           << "folder"  << "blanks"  << "folder"  << "p" << false;
    QTest::newRow("destination blanks")      << "folder"  << "file"    << "blanks"  << "p" << false;
    QTest::newRow("all missing")             << "missing" << "missing" << "missing" << "p" << false;
    // clang-format on
}

void TestPageChecks::page0() {
    QFETCH(QString, install);
    QFETCH(QString, project);
    QFETCH(QString, destination);
    QFETCH(QString, name);
    QFETCH(bool, next);
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.CWInstallDirEdit->setText(pathOfKind(dir, install, QStringLiteral("cw")));
    wizard.CWProjectEdit->setText(pathOfKind(dir, project, QStringLiteral("project")));
    wizard.VexaProjectEdit->setText(pathOfKind(dir, destination, QStringLiteral("dest")));
    wizard.VexaNameEdit->setText(name);

    // Left empty, the installation folder is an unknown one where it may be.
    const bool mayBeUnknown = tessaly::systemPlatform().pathStyle() == PathStyle::Posix;
    const QString installWanted = empty(install) && mayBeUnknown ? "" : "folder";
    QCOMPARE(textColour(wizard.CWInstallDirEdit), colourFor(install, installWanted));
    QCOMPARE(textColour(wizard.CWProjectEdit), colourFor(project, "file"));
    QCOMPARE(textColour(wizard.VexaProjectEdit), colourFor(destination, "folder"));
    QCOMPARE(reasonShown(wizard.CWInstallDirEdit), reasonFor(install, installWanted));
    QCOMPARE(reasonShown(wizard.CWProjectEdit), reasonFor(project, "file"));
    QCOMPARE(reasonShown(wizard.VexaProjectEdit), reasonFor(destination, "folder"));
    QCOMPARE(reasonShown(wizard.VexaNameEdit),
             name.isEmpty() ? QStringLiteral("A name is needed") : QString());
    QCOMPARE(wizard.button(QWizard::NextButton)->isEnabled(), next);
    QCOMPARE(wizard.Page0->isComplete(), next);
}

// A new wizard says what each empty field of the first page needs (the
// installation folder only where it cannot be unknown); the second page,
// all optional, says nothing.
void TestPageChecks::fieldsSayWhyAtOnce() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    QCOMPARE(reasonShown(wizard.CWInstallDirEdit),
             tessaly::systemPlatform().pathStyle() == PathStyle::Posix
                 ? QString()
                 : QStringLiteral("A folder is needed"));
    QCOMPARE(reasonShown(wizard.CWProjectEdit), QStringLiteral("A file is needed"));
    QCOMPARE(reasonShown(wizard.VexaProjectEdit), QStringLiteral("A folder is needed"));
    QCOMPARE(reasonShown(wizard.VexaNameEdit), QStringLiteral("A name is needed"));
    for (QLineEdit* edit : {wizard.MsgPersonEdit, wizard.AnalPersonEdit, wizard.CmpPersonEdit}) {
        QCOMPARE(reasonShown(edit), QString());
    }
    // A personality given and then emptied says nothing again.
    wizard.MsgPersonEdit->setText(dir.filePath(QStringLiteral("missing.p_s")));
    QCOMPARE(reasonShown(wizard.MsgPersonEdit), QStringLiteral("No such file"));
    wizard.MsgPersonEdit->clear();
    QCOMPARE(reasonShown(wizard.MsgPersonEdit), QString());
    QCOMPARE(textColour(wizard.MsgPersonEdit), kBlack);
}

void TestPageChecks::nameIsANameNotAPath_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("used");  // what -pn passes, when accepted
    // The platform's separators, "\\" only on Windows.
    const QString separators = tessaly::systemPlatform().pathStyle() == PathStyle::Windows
                                   ? QStringLiteral("A name cannot contain / or \\")
                                   : QStringLiteral("A name cannot contain /");
    const QString blankEnd = QStringLiteral("A name cannot start or end with a blank");
    // <name>.prj may be 255 characters long.
    const QString longest(251, QLatin1Char('n'));
    // clang-format off
    QTest::newRow("a name")             << "Demo"          << ""                     << "Demo";
    QTest::newRow("blanks and accents") << "D\u00e9 mo"    << ""                     << "D\u00e9 mo";
    QTest::newRow("a dot")              << "Demo.v2"       << ""                     << "Demo.v2";
    QTest::newRow("dot dot inside")     << "a..b"          << ""                     << "a..b";
    QTest::newRow("dots after")         << "x..."          << ""                     << "x...";
    QTest::newRow(".prj dropped")       << "demo.prj"      << ""                     << "demo";
    QTest::newRow(".PRJ dropped")       << "demo.PRJ"      << ""                     << "demo";
    QTest::newRow("once")               << "demo.prj.prj"  << ""                     << "demo.prj";
    QTest::newRow("the longest")        << longest         << ""                     << longest;
    QTest::newRow("and .prj")           << longest + ".prj" << ""                    << longest;
    QTest::newRow("empty")              << ""              << "A name is needed"     << "";
    QTest::newRow("blanks")             << "   "           << "A name is needed"     << "";
    QTest::newRow(".prj alone")         << ".prj"          << "A name is needed"     << "";
    QTest::newRow("up and out")         << "../escape"     << separators             << "";
    QTest::newRow("a folder")           << "sub/Demo"      << separators             << "";
    QTest::newRow("absolute")           << "/tmp/Demo"     << separators             << "";
    QTest::newRow("dot")                << "."             << "A name cannot be only dots" << "";
    QTest::newRow("dot dot")            << ".."            << "A name cannot be only dots" << "";
    QTest::newRow("dot .prj")           << "..prj"         << "A name cannot be only dots" << "";
    QTest::newRow("blanks around")      << " demo "        << blankEnd               << "";
    QTest::newRow("leading blank")      << " demo"         << blankEnd               << "";
    QTest::newRow("trailing tab")       << "demo\t"        << blankEnd               << "";
    QTest::newRow("blank before .prj")  << "demo .prj"     << blankEnd               << "";
    QTest::newRow("one too long")       << longest + "n"   << "The name is too long" << "";
    QTest::newRow("300 characters")     << QString(300, 'x') << "The name is too long" << "";
    // clang-format on
}

// A name that is not one is red, says why, and holds Next back; one that
// is, is passed without a .prj of its own, which tesscli appends.
void TestPageChecks::nameIsANameNotAPath() {
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QFETCH(QString, used);
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.CWInstallDirEdit->setText(dir.makeFolder(QStringLiteral("cw")));
    wizard.CWProjectEdit->setText(dir.makeFile(QStringLiteral("p.mcp.xml")));
    wizard.VexaProjectEdit->setText(dir.makeFolder(QStringLiteral("out")));
    wizard.VexaNameEdit->setText(name);
    QCOMPARE(reasonShown(wizard.VexaNameEdit), reason);
    QCOMPARE(wizard.Page0->isComplete(), reason.isEmpty());
    if (!name.trimmed().isEmpty()) {
        QCOMPARE(textColour(wizard.VexaNameEdit), reason.isEmpty() ? kBlack : kRed);
    }
    QCOMPARE(wizard.VexaNameEdit->text(), name);  // kept as typed
    if (reason.isEmpty()) {
        const QStringList arguments = wizard.currentArguments();
        QCOMPARE(arguments.value(arguments.indexOf(QStringLiteral("-pn")) + 1), used);
    }
}

void TestPageChecks::nameRules_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<FieldProblem>("posix");
    QTest::addColumn<FieldProblem>("windows");
    // 126 two-byte characters: 256 bytes with .prj in UTF-8, 130 UTF-16 units.
    const QString accents(126, QChar(0x00e9));
    // clang-format off
    QTest::newRow("name")      << "Demo"      << FieldProblem::None    << FieldProblem::None;
    QTest::newRow("tab")       << "\t"        << FieldProblem::NoName  << FieldProblem::NoName;
    QTest::newRow("slash")     << "a/b"       << FieldProblem::NameWithSeparator
                                              << FieldProblem::NameWithSeparator;
    QTest::newRow("backslash") << "..\\x"     << FieldProblem::None
                                              << FieldProblem::NameWithSeparator;
    QTest::newRow("a\\b")      << "a\\b"      << FieldProblem::None
                                              << FieldProblem::NameWithSeparator;
    QTest::newRow("dots")      << "x..."      << FieldProblem::None    << FieldProblem::None;
    QTest::newRow("one dot")   << "."         << FieldProblem::NameOnlyDots
                                              << FieldProblem::NameOnlyDots;
    QTest::newRow("blank end") << "x "        << FieldProblem::NameWithBlankEnd
                                              << FieldProblem::NameWithBlankEnd;
    QTest::newRow("accents")   << accents     << FieldProblem::NameTooLong << FieldProblem::None;
    // clang-format on
}

// The separators refused are the platform's, and so is the way a file
// name's length is counted.
void TestPageChecks::nameRules() {
    QFETCH(QString, name);
    QFETCH(FieldProblem, posix);
    QFETCH(FieldProblem, windows);
    QCOMPARE(tessaly::wizard::nameProblem(name, PathStyle::Posix), posix);
    QCOMPARE(tessaly::wizard::nameProblem(name, PathStyle::Windows), windows);
}

void TestPageChecks::installationRules_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<FieldProblem>("posix");
    QTest::addColumn<FieldProblem>("windows");
    // clang-format off
    QTest::newRow("empty")   << ""          << FieldProblem::None << FieldProblem::NoPath;
    QTest::newRow("blanks")  << "  "        << FieldProblem::None << FieldProblem::NoPath;
    QTest::newRow("missing") << "/nowhere/cw" << FieldProblem::NoSuchFolder
                                            << FieldProblem::NoSuchFolder;
    // clang-format on
}

// An empty installation folder is an unknown one on POSIX; a folder that
// is typed must exist everywhere.
void TestPageChecks::installationRules() {
    QFETCH(QString, path);
    QFETCH(FieldProblem, posix);
    QFETCH(FieldProblem, windows);
    QCOMPARE(tessaly::wizard::installationProblem(path, PathStyle::Posix), posix);
    QCOMPARE(tessaly::wizard::installationProblem(path, PathStyle::Windows), windows);
}

// A device is neither the file nor the folder a field asks for. Windows
// shows its null device as no entry at all.
void TestPageChecks::otherEntriesAreNeitherFileNorFolder() {
    const QString device =
        QFileInfo::exists(QStringLiteral("/dev/null")) ? QStringLiteral("/dev/null") : "NUL";
    const bool listed = QFileInfo::exists(device);
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.CWInstallDirEdit->setText(device);
    wizard.CWProjectEdit->setText(device);
    QCOMPARE(reasonShown(wizard.CWInstallDirEdit),
             listed ? QStringLiteral("This is not a folder") : QStringLiteral("No such folder"));
    QCOMPARE(reasonShown(wizard.CWProjectEdit),
             listed ? QStringLiteral("This is not a file") : QStringLiteral("No such file"));
}

// The reason stays inside the field, clear of its text, however wide the
// window is made.
void TestPageChecks::reasonFollowsTheFieldsEdge() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wizard));
    wizard.VexaProjectEdit->setText(dir.makeFile(QStringLiteral("f.txt")));
    QCOMPARE(reasonShown(wizard.VexaProjectEdit), QStringLiteral("This is a file, not a folder"));
    const QLabel* label = wizard.VexaProjectEdit->findChild<QLabel*>();
    const int gap = wizard.VexaProjectEdit->width() - label->geometry().right();
    wizard.resize(wizard.size() + QSize(200, 0));
    QTRY_COMPARE(wizard.VexaProjectEdit->width() - label->geometry().right(), gap);
    QCOMPARE(reasonShown(wizard.VexaProjectEdit), QStringLiteral("This is a file, not a folder"));
}

void TestPageChecks::page0NameTypedAndDeleted() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.show();
    wizard.CWInstallDirEdit->setText(dir.makeFolder(QStringLiteral("cw")));
    wizard.CWProjectEdit->setText(dir.makeFile(QStringLiteral("p.mcp.xml")));
    wizard.VexaProjectEdit->setText(dir.makeFolder(QStringLiteral("out")));
    wizard.VexaNameEdit->clear();  // the name proposed from the export
    QAbstractButton* next = wizard.button(QWizard::NextButton);
    QVERIFY(!next->isEnabled());

    QTest::keyClick(wizard.VexaNameEdit, Qt::Key_A);
    QVERIFY(next->isEnabled());
    QCOMPARE(textColour(wizard.VexaNameEdit), kBlack);
    QCOMPARE(reasonShown(wizard.VexaNameEdit), QString());
    QTest::keyClick(wizard.VexaNameEdit, Qt::Key_Backspace);
    QVERIFY(wizard.VexaNameEdit->text().isEmpty());
    QVERIFY(!next->isEnabled());
    QCOMPARE(reasonShown(wizard.VexaNameEdit), QStringLiteral("A name is needed"));

    // Next really leads on once enabled.
    wizard.VexaNameEdit->setText(QStringLiteral("demo"));
    next->click();
    QCOMPARE(wizard.currentPage(), wizard.Page1);
}

void TestPageChecks::nameProposedFromExport_data() {
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("name");
    const QString sep = QDir::separator();
    // clang-format off
    QTest::newRow("both extensions go") << "work" + sep + "Engine.mcp.xml" << "Engine";
    QTest::newRow("one extension")      << "work" + sep + "Engine.xml"     << "Engine";
    QTest::newRow("binary project")     << "work" + sep + "Engine.mcp"     << "Engine";
    QTest::newRow("no extension")       << "work" + sep + "Engine"         << "Engine";
    QTest::newRow("Qt's separators")    << "C:/work/Engine.mcp.xml"        << "Engine";
    QTest::newRow("blanks and accents") << "My D\u00e9mo.mcp.xml"           << "My D\u00e9mo";
    QTest::newRow("no export")          << ""                              << "";
    // clang-format on
}

void TestPageChecks::nameProposedFromExport() {
    QFETCH(QString, project);
    QFETCH(QString, name);
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.CWProjectEdit->setText(QStringLiteral("x.mcp.xml"));
    wizard.CWProjectEdit->setText(project);
    QCOMPARE(wizard.VexaNameEdit->text(), name);
}

void TestPageChecks::proposalFollowsTheExportUntilANameIsTyped() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.show();
    wizard.CWInstallDirEdit->setText(dir.makeFolder(QStringLiteral("cw")));
    wizard.VexaProjectEdit->setText(dir.makeFolder(QStringLiteral("out")));
    wizard.CWProjectEdit->setText(dir.makeFile(QStringLiteral("First.mcp.xml")));
    QCOMPARE(wizard.VexaNameEdit->text(), QStringLiteral("First"));
    QVERIFY(wizard.button(QWizard::NextButton)->isEnabled());
    wizard.CWProjectEdit->setText(dir.makeFile(QStringLiteral("Second.mcp.xml")));
    QCOMPARE(wizard.VexaNameEdit->text(), QStringLiteral("Second"));

    // A name of the user's own is kept.
    wizard.VexaNameEdit->setFocus();
    QTest::keyClick(wizard.VexaNameEdit, Qt::Key_2);
    QCOMPARE(wizard.VexaNameEdit->text(), QStringLiteral("Second2"));
    wizard.CWProjectEdit->setText(dir.makeFile(QStringLiteral("Third.mcp.xml")));
    QCOMPARE(wizard.VexaNameEdit->text(), QStringLiteral("Second2"));

    // Once emptied, the name is proposed again.
    wizard.VexaNameEdit->clear();
    wizard.CWProjectEdit->setText(dir.makeFile(QStringLiteral("Fourth.mcp.xml")));
    QCOMPARE(wizard.VexaNameEdit->text(), QStringLiteral("Fourth"));
}

void TestPageChecks::relativePathsCountFromCurrentDirectory() {
    ScratchDirectory dir;
    dir.makeFolder(QStringLiteral("cw"));
    dir.makeFile(QStringLiteral("p.mcp.xml"));
    TessalyWizard wizard;
    wizard.CWInstallDirEdit->setText(QStringLiteral("cw"));
    wizard.CWProjectEdit->setText(QStringLiteral("p.mcp.xml"));
    wizard.VexaProjectEdit->setText(QStringLiteral("."));
    wizard.VexaNameEdit->setText(QStringLiteral("n"));
    QVERIFY(wizard.Page0->isComplete());
}

void TestPageChecks::keyReleaseRunsTheCheck_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("page0");  // runs the page 0 check
    QTest::addColumn<bool>("page1");  // runs the page 1 check
    QTest::newRow("CWInstallDirEdit") << "CWInstallDirEdit" << true << false;
    QTest::newRow("CWProjectEdit") << "CWProjectEdit" << true << false;
    QTest::newRow("VexaProjectEdit") << "VexaProjectEdit" << true << false;
    QTest::newRow("VexaNameEdit") << "VexaNameEdit" << true << false;
    QTest::newRow("MsgPersonEdit") << "MsgPersonEdit" << false << true;
    QTest::newRow("CmpPersonEdit") << "CmpPersonEdit" << false << true;
    QTest::newRow("AnalPersonEdit") << "AnalPersonEdit" << false << true;
    QTest::newRow("CustExtEdit") << "CustExtEdit" << false << false;
}

void TestPageChecks::keyReleaseRunsTheCheck() {
    QFETCH(QString, edit);
    QFETCH(bool, page0);
    QFETCH(bool, page1);
    ScratchDirectory dir;
    TessalyWizard wizard;
    const QString folder = dir.makeFolder(QStringLiteral("f"));
    const QString file = dir.makeFile(QStringLiteral("p.mcp.xml"));
    // Fill the fields without their text-changed signals: only the key
    // release can then bring the pages up to date.
    for (QLineEdit* e : {wizard.CWInstallDirEdit, wizard.CWProjectEdit, wizard.VexaProjectEdit}) {
        QSignalBlocker block(e);
        e->setText(e == wizard.CWProjectEdit ? file : folder);
    }
    {
        QSignalBlocker block(wizard.VexaNameEdit);
        wizard.VexaNameEdit->setText(QStringLiteral("n"));
    }
    {
        QSignalBlocker block(wizard.MsgPersonEdit);
        wizard.MsgPersonEdit->setText(dir.filePath(QStringLiteral("missing.p_s")));
    }
    QVERIFY(!wizard.Page0->isComplete());
    QVERIFY(wizard.Page1->isComplete());

    auto* target = wizard.findChild<QLineEdit*>(edit);
    QVERIFY(target);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(target, &release);

    QCOMPARE(wizard.Page0->isComplete(), page0);
    QCOMPARE(wizard.Page1->isComplete(), !page1);  // the page 1 check turns it off
    QCOMPARE(textColour(wizard.MsgPersonEdit), page1 ? kRed : textColour(wizard.AnalPersonEdit));
}

void TestPageChecks::page1_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("analyser");
    QTest::addColumn<QString>("compiler");
    QTest::addColumn<bool>("next");
    // clang-format off
    QTest::newRow("all empty")
        << "" << "" << "" << true;
    QTest::newRow("message exists")
        << "file" << "" << "" << true;
    QTest::newRow("message missing")
        << "missing" << "" << "" << false;
    QTest::newRow("compiler missing")
        << "" << "" << "missing" << false;
    QTest::newRow("message missing, compiler exists")
        << "missing" << "" << "file" << false;
    QTest::newRow("message exists, compiler missing")
        << "file" << "" << "missing" << false;
    QTest::newRow("analyser missing between existing ones")
        << "file" << "missing" << "file" << false;
    QTest::newRow("analyser missing")
        << "file" << "missing" << "" << false;
    QTest::newRow("analyser exists after missing message")
        << "missing" << "file" << "" << false;
    QTest::newRow("analyser missing alone")
        << "" << "missing" << "" << false;
    QTest::newRow("all three exist")
        << "file" << "file" << "file" << true;
    QTest::newRow("a folder is no personality")
        << "folder" << "" << "file" << false;
    // A personality of blanks is the default one, as an empty one is.
    QTest::newRow("blanks")
        << "blanks" << "blanks" << "blanks" << true;
    QTest::newRow("blanks and a missing one")
        << "blanks" << "" << "missing" << false;
    // clang-format on
}

void TestPageChecks::page1() {
    QFETCH(QString, message);
    QFETCH(QString, analyser);
    QFETCH(QString, compiler);
    QFETCH(bool, next);
    ScratchDirectory dir;
    TessalyWizard wizard;
    // Each edit runs the check; the page follows whatever order they come in.
    wizard.AnalPersonEdit->setText(pathOfKind(dir, analyser, QStringLiteral("a")));
    wizard.CmpPersonEdit->setText(pathOfKind(dir, compiler, QStringLiteral("c")));
    wizard.MsgPersonEdit->setText(pathOfKind(dir, message, QStringLiteral("m")));

    // An empty personality is the default one: black, nothing to say.
    QCOMPARE(textColour(wizard.MsgPersonEdit), colourFor(message, empty(message) ? "" : "file"));
    QCOMPARE(textColour(wizard.AnalPersonEdit), colourFor(analyser, empty(analyser) ? "" : "file"));
    QCOMPARE(textColour(wizard.CmpPersonEdit), colourFor(compiler, empty(compiler) ? "" : "file"));
    QCOMPARE(reasonShown(wizard.MsgPersonEdit), reasonFor(message, empty(message) ? "" : "file"));
    QCOMPARE(reasonShown(wizard.AnalPersonEdit),
             reasonFor(analyser, empty(analyser) ? "" : "file"));
    QCOMPARE(reasonShown(wizard.CmpPersonEdit), reasonFor(compiler, empty(compiler) ? "" : "file"));
    QCOMPARE(wizard.Page1->isComplete(), next);

    // The real Next button of page 1 follows.
    wizard.CWInstallDirEdit->setText(dir.path());
    wizard.CWProjectEdit->setText(dir.makeFile(QStringLiteral("p.mcp.xml")));
    wizard.VexaProjectEdit->setText(dir.path());
    wizard.VexaNameEdit->setText(QStringLiteral("n"));
    wizard.next();
    QCOMPARE(wizard.currentPage(), wizard.Page1);
    QCOMPARE(wizard.button(QWizard::NextButton)->isEnabled(), next);
}

void TestPageChecks::analyserEditRunsTheCheck() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.show();
    // A missing analyser personality typed alone turns red and holds Next
    // back at once; making it exist brings both back.
    wizard.AnalPersonEdit->setFocus();
    QTest::keyClicks(wizard.AnalPersonEdit, QStringLiteral("nowhere.p_a"));
    QCOMPARE(wizard.AnalPersonEdit->text(), QStringLiteral("nowhere.p_a"));
    QCOMPARE(textColour(wizard.AnalPersonEdit), kRed);
    QVERIFY(!wizard.Page1->isComplete());
    dir.makeFile(QStringLiteral("nowhere.p_a"));
    QTest::keyClick(wizard.AnalPersonEdit, Qt::Key_Shift);  // a key release alone
    QCOMPARE(textColour(wizard.AnalPersonEdit), kBlack);
    QVERIFY(wizard.Page1->isComplete());

    // Emptying it counts as the default personality again.
    wizard.AnalPersonEdit->setText(dir.filePath(QStringLiteral("gone.p_a")));
    QVERIFY(!wizard.Page1->isComplete());
    wizard.AnalPersonEdit->clear();
    QVERIFY(wizard.Page1->isComplete());
}

void TestPageChecks::blankNameDoesNotCount_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("next");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blanks") << "   " << false;
    QTest::newRow("tab") << "\t" << false;
    QTest::newRow("one character") << "a" << true;
    QTest::newRow("blanks around a name") << " a " << false;
}

void TestPageChecks::blankNameDoesNotCount() {
    QFETCH(QString, name);
    QFETCH(bool, next);
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.CWInstallDirEdit->setText(dir.makeFolder(QStringLiteral("cw")));
    wizard.CWProjectEdit->setText(dir.makeFile(QStringLiteral("p.mcp.xml")));
    wizard.VexaProjectEdit->setText(dir.makeFolder(QStringLiteral("out")));
    wizard.VexaNameEdit->setText(name);
    QCOMPARE(wizard.Page0->isComplete(), next);
    QCOMPARE(wizard.button(QWizard::NextButton)->isEnabled(), next);
    QCOMPARE(wizard.VexaNameEdit->text(), name);  // kept as typed
}

void TestPageChecks::page1StartsEnabledAndChecksNeverRunOnPageChange() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.CWInstallDirEdit->setText(dir.path());
    wizard.CWProjectEdit->setText(dir.makeFile(QStringLiteral("p.mcp.xml")));
    const QString destination = dir.makeFolder(QStringLiteral("out"));
    wizard.VexaProjectEdit->setText(destination);
    wizard.VexaNameEdit->setText(QStringLiteral("n"));
    wizard.next();
    QCOMPARE(wizard.currentPage(), wizard.Page1);
    QVERIFY(wizard.button(QWizard::NextButton)->isEnabled());
    QVERIFY(wizard.button(QWizard::BackButton)->isEnabled());
    QVERIFY(!wizard.button(QWizard::HelpButton)->isEnabled());

    // A page 0 path that vanishes meanwhile is not noticed on the way back.
    QVERIFY(QDir(destination).removeRecursively());
    wizard.back();
    QCOMPARE(wizard.currentPage(), wizard.Page0);
    QVERIFY(wizard.button(QWizard::NextButton)->isEnabled());
    QCOMPARE(wizard.VexaNameEdit->text(), QStringLiteral("n"));  // Back clears nothing
    QVERIFY(!wizard.button(QWizard::HelpButton)->isEnabled());
}

QTEST_MAIN(TestPageChecks)
#include "tst_page_checks.moc"
