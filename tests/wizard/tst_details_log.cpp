// The details log: the converter's output shown line for line however the
// pipe cuts it, each line decoded as UTF-8 or else as the system's 8-bit code
// page (Latin-1 here, where that is UTF-8), in batches.
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtTest>

#include "details_log.h"

using tessaly::wizard::DetailsLog;

namespace {

const QString kHeader = QStringLiteral("Initialising Project Conversion ...\n");

// Cuts bytes into pieces of the given size; 0 keeps them whole.
QList<QByteArray> cut(const QByteArray& bytes, int size) {
    if (size == 0) {
        return {bytes};
    }
    QList<QByteArray> pieces;
    for (qsizetype at = 0; at < bytes.size(); at += size) {
        pieces << bytes.mid(at, size);
    }
    return pieces;
}

}  // namespace

class TestDetailsLog : public QObject {
    Q_OBJECT

  private slots:
    void linesWhateverTheCuts_data();
    void linesWhateverTheCuts();
    void wizardLinesFollowTheOutput();
    void outputIsShownInBatches();
    void viewAtTheEndFollowsTheOutput();
    void newTextDropsOutputNotShownYet();
};

void TestDetailsLog::linesWhateverTheCuts_data() {
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QStringList>("lines");
    QStringList many;
    QByteArray manyBytes;
    for (int i = 0; i < 1234; ++i) {
        many << QStringLiteral("adding file: /src/f%1.c").arg(i);
        manyBytes += "adding file: /src/f" + QByteArray::number(i) + ".c\n";
    }
    // clang-format off
    QTest::newRow("lines")            << QByteArray("a\nbb\nccc\n")   << QStringList{"a", "bb", "ccc"};
    QTest::newRow("empty lines kept") << QByteArray("a\n\n\nb\n")     << QStringList{"a", "", "", "b"};
    QTest::newRow("empty first line") << QByteArray("\nb\n")          << QStringList{"", "b"};
    QTest::newRow("blank last line")  << QByteArray("a\n  \n")        << QStringList{"a", "  "};
    QTest::newRow("CR LF line ends")  << QByteArray("a\r\nb\r\n")     << QStringList{"a", "b"};
    QTest::newRow("unfinished last")  << QByteArray("a\nCompleted")   << QStringList{"a", "Completed"};
    QTest::newRow("UTF-8")            << QByteArray("D\xc3\xa9mo \xe2\x82\xac\n")
                                      << QStringList{"D\u00e9mo \u20ac"};
    QTest::newRow("Latin-1")          << QByteArray("Sourc\xe9s Latin\r\n\xe9\xe8\n")
                                      << QStringList{"Sourc\u00e9s Latin", "\u00e9\u00e8"};
    QTest::newRow("mixed lines")      << QByteArray("D\xc3\xa9mo\nSourc\xe9s\n\xe2\x82\xac\n\xc3\n")
                                      << QStringList{"D\u00e9mo", "Sourc\u00e9s", "\u20ac", "\u00c3"};
    QTest::newRow("mixed in a line")  << QByteArray("\xc3\xa9 or \xe9\nok\n")
                                      << QStringList{"\u00c3\u00a9 or \u00e9", "ok"};
    QTest::newRow("files not found")  << QByteArray("file not found: a.c\nfile not found: r\xe9.h\n"
                                                   "2 of 14 files not found on the access paths\n"
                                                   "Creating Vexa/Vexa++ Project ...\n")
                                      << QStringList{"file not found: a.c", "file not found: r\u00e9.h",
                                                     "2 of 14 files not found on the access paths",
                                                     "Creating Vexa/Vexa++ Project ..."};
    QTest::newRow("markup as text")   << QByteArray("<b>x</b> &amp;\n") << QStringList{"<b>x</b> &amp;"};
    QTest::newRow("many lines")       << manyBytes                    << many;
    // clang-format on
}

void TestDetailsLog::linesWhateverTheCuts() {
    QFETCH(QByteArray, output);
    QFETCH(QStringList, lines);
    // Whole, byte by byte, and in odd pieces that split CR LF pairs and
    // multi-byte characters.
    for (int size : {0, 1, 2, 3, 7, 4096}) {
        QPlainTextEdit view;
        DetailsLog log(&view);
        log.setText(kHeader);
        for (const QByteArray& piece : cut(output, size)) {
            log.appendOutput(piece);
        }
        log.flushOutput();
        QCOMPARE(view.toPlainText(), kHeader + QLatin1Char('\n') + lines.join(QLatin1Char('\n')));
        // The last line that says something, which the failure box may show.
        QString last;
        for (const QString& line : lines) {
            last = line.trimmed().isEmpty() ? last : line;
        }
        QCOMPARE(log.lastOutputLine(), last);
    }
}

void TestDetailsLog::wizardLinesFollowTheOutput() {
    QPlainTextEdit view;
    DetailsLog log(&view);
    log.setText(kHeader);
    log.appendOutput("Vexa/Vexa++ Project Completed!\nunfinished");
    log.appendParagraph(QStringLiteral("Project Converted Successfully!"));
    QCOMPARE(view.toPlainText(),
             kHeader + QStringLiteral("\nVexa/Vexa++ Project Completed!\nunfinished\n"
                                      "Project Converted Successfully!"));
    // Without output, a line of the wizard's own is a new paragraph after
    // the header.
    log.setText(kHeader);
    log.appendParagraph(QStringLiteral("could not be executed"));
    QCOMPARE(view.toPlainText(), kHeader + QStringLiteral("\ncould not be executed"));
}

void TestDetailsLog::outputIsShownInBatches() {
    QPlainTextEdit view;
    DetailsLog log(&view);
    log.setText(kHeader);
    QSignalSpy changes(view.document(), &QTextDocument::contentsChange);
    for (int i = 0; i < 1000; ++i) {
        log.appendOutput("line " + QByteArray::number(i) + '\n');
    }
    QCOMPARE(changes.size(), 0);  // nothing shown at once...
    QTRY_VERIFY_WITH_TIMEOUT(view.toPlainText().endsWith(QStringLiteral("line 999")), 1000);
    QCOMPARE(changes.size(), 1);  // ...then all of it in one edit
    QVERIFY(view.toPlainText().endsWith(QStringLiteral("\nline 998\nline 999")));
    // An unfinished line waits for its end.
    log.appendOutput("half");
    QTest::qWait(200);
    QVERIFY(!view.toPlainText().contains(QStringLiteral("half")));
    log.appendOutput(" and half\n");
    QTRY_VERIFY_WITH_TIMEOUT(view.toPlainText().endsWith(QStringLiteral("\nhalf and half")), 1000);
}

void TestDetailsLog::viewAtTheEndFollowsTheOutput() {
    QPlainTextEdit view;
    view.resize(300, 200);
    view.show();
    DetailsLog log(&view);
    log.setText(kHeader);
    for (int i = 0; i < 500; ++i) {
        log.appendOutput("line " + QByteArray::number(i) + '\n');
    }
    log.flushOutput();
    QScrollBar* bar = view.verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    // A view scrolled back by the user stays where it is.
    bar->setValue(10);
    log.appendOutput("more\n");
    log.flushOutput();
    QCOMPARE(bar->value(), 10);
}

void TestDetailsLog::newTextDropsOutputNotShownYet() {
    QPlainTextEdit view;
    DetailsLog log(&view);
    log.appendOutput("shown line\n");
    log.flushOutput();
    log.appendOutput("old line\nold half");
    log.setText(QStringLiteral("summary"));
    QTest::qWait(200);
    log.flushOutput();
    QCOMPARE(view.toPlainText(), QStringLiteral("summary"));
    // A new run's failure is not explained by an earlier run's last line.
    QCOMPARE(log.lastOutputLine(), QString());
}

QTEST_MAIN(TestDetailsLog)
#include "tst_details_log.moc"
