// tesswiz's own command line: --help and --version print their text and end
// the program, as Qt programs do, with no display at all (over ssh, say),
// and the version is tesscli's.
#include <QProcess>
#include <QtTest>

#include "platform/platform.h"

namespace {

constexpr int kTimeout = 30000;

struct Ended {
    bool ended = false;
    int status = -1;
    QString output;
};

// Runs a program to its end, without a display: no variable that names
// one or a platform that needs none. One that does not end in time (a
// wizard opened instead) is killed and reported as not ended.
Ended run(const QString& program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QLatin1String(display));
    }
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Ended result;
    result.ended =
        process.waitForFinished(kTimeout) && process.exitStatus() == QProcess::NormalExit;
    if (!result.ended) {
        process.kill();
        process.waitForFinished();
    }
    result.status = process.exitCode();
    result.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return result;
}

}  // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

  private slots:
    void versionIsPrinted_data();
    void versionIsPrinted();
    void helpIsPrinted_data();
    void helpIsPrinted();
};

void TestCommandLine::versionIsPrinted_data() {
    QTest::addColumn<QString>("option");
    QTest::newRow("--version") << "--version";
    QTest::newRow("-v") << "-v";
}

void TestCommandLine::versionIsPrinted() {
    QFETCH(QString, option);
    const Ended wizard = run(QStringLiteral(TESSWIZ_PATH), {option});
    QVERIFY2(wizard.ended, "the wizard opened");
    QCOMPARE(wizard.status, 0);
    const Ended converter = run(QStringLiteral(TESSCLI_PATH), {QStringLiteral("--version")});
    QVERIFY(converter.ended);
    QCOMPARE(converter.status, 0);
    // One version, in both programs, on a line that ends as the system's
    // console lines do (CR LF on Windows).
    const QString end = tessaly::systemPlatform().pathStyle() == tessaly::PathStyle::Windows
                            ? QStringLiteral("\r\n")
                            : QStringLiteral("\n");
    const QRegularExpression line(QStringLiteral("^(tesswiz|tesscli) ([0-9]+\\.[0-9]+)") + end +
                                  QLatin1Char('$'));
    const QRegularExpressionMatch wizardVersion = line.match(wizard.output);
    const QRegularExpressionMatch converterVersion = line.match(converter.output);
    QVERIFY2(wizardVersion.hasMatch(), qPrintable(wizard.output));
    QVERIFY2(converterVersion.hasMatch(), qPrintable(converter.output));
    QCOMPARE(wizardVersion.captured(1), QStringLiteral("tesswiz"));
    QCOMPARE(converterVersion.captured(1), QStringLiteral("tesscli"));
    QCOMPARE(wizardVersion.captured(2), converterVersion.captured(2));
}

void TestCommandLine::helpIsPrinted_data() {
    QTest::addColumn<QString>("option");
    QTest::newRow("--help") << "--help";
    QTest::newRow("-h") << "-h";
}

void TestCommandLine::helpIsPrinted() {
    QFETCH(QString, option);
    const Ended wizard = run(QStringLiteral(TESSWIZ_PATH), {option});
    QVERIFY2(wizard.ended, "the wizard opened");
    QCOMPARE(wizard.status, 0);
    QVERIFY2(wizard.output.startsWith(QStringLiteral("Usage: ")), qPrintable(wizard.output));
    QVERIFY(wizard.output.contains(QStringLiteral("tesswiz")));
    QVERIFY(wizard.output.contains(QStringLiteral("--help")));
    QVERIFY(wizard.output.contains(QStringLiteral("--version")));
    // Binary projects are read too, not only exports.
    QVERIFY2(wizard.output.contains(
                 QStringLiteral("Converts a CodeWarrior project (.mcp) or its export (.mcp.xml)")),
             qPrintable(wizard.output));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
