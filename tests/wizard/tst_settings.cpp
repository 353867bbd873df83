// settings.txt: the reading rules, what is written, round trips through the
// wizard, and the CodeWarrior folder proposed from the registry.
#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>
#include <chrono>
#include <cstdio>
#include <future>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "platform/platform.h"
#include "tessaly_wizard.h"
#include "wizard_settings.h"
#include "wizard_test_support.h"

using tessaly::wizard::RememberedField;
using tessaly::wizard::RememberedValues;

namespace {

// Only the registry matters to the wizard; the rest is never called.
class RegistryOnlyPlatform : public tessaly::Platform {
  public:
    RegistryOnlyPlatform(tessaly::PathStyle style, std::optional<std::string> value)
        : style_(style), value_(std::move(value)) {}
    tessaly::PathStyle pathStyle() const override { return style_; }
    std::optional<std::string> currentDirectory() override { return std::nullopt; }
    bool changeDirectory(const std::string&) override { return false; }
    bool exists(const std::string&) override { return false; }
    std::optional<tessaly::FolderFacts> directoryFacts(const std::string&) override {
        return std::nullopt;
    }
    tessaly::MakeDirectoryResult makeDirectory(const std::string&) override {
        return tessaly::MakeDirectoryResult::Failed;
    }
    bool listDirectory(const std::string&, std::vector<std::string>&) override { return false; }
    std::optional<tessaly::FolderIdentity> folderIdentity(const std::string&) override {
        return std::nullopt;
    }
    bool isFileSystemRoot(const std::string&) override { return false; }
    std::string folderNameKey(const std::string& name) override { return name; }
    std::size_t maxPathLength() const override { return 4095; }
    bool tellsLetterCaseApart() const override { return true; }
    tessaly::EntryKind entryKind(const std::string&) override {
        return tessaly::EntryKind::Missing;
    }
    std::unique_ptr<tessaly::InputFile> openForReading(const std::string&) override {
        return nullptr;
    }
    std::unique_ptr<tessaly::InputFile> openRegularFile(const std::string&) override {
        return nullptr;
    }
    tessaly::NewFile createNewFile(const std::string&, const std::string&) override {
        return tessaly::NewFile{};
    }
    bool replaceFile(const std::string&, const std::string&) override { return false; }
    bool syncFolderOf(const std::string&) override { return false; }
    bool removeFile(const std::string&) override { return false; }
    bool removeAbandonedFile(const std::string&) override { return false; }
    void holdFolder(const std::string&) override {}
    void releaseFolder() override {}
    std::optional<std::string> registryValue(const std::string& subkey) override {
        askedFor = subkey;
        return value_;
    }
    std::string askedFor;

  private:
    tessaly::PathStyle style_;
    std::optional<std::string> value_;
};

// What the four fields hold, in file order: install, message, analyser, compiler.
QStringList fieldsOf(const TessalyWizard& wizard) {
    return {wizard.CWInstallDirEdit->text(), wizard.MsgPersonEdit->text(),
            wizard.AnalPersonEdit->text(), wizard.CmpPersonEdit->text()};
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

  private slots:
    void reading_data();
    void reading();
    void missingFileChangesNothing();
    void emptyRecordsStillAssign();
    void readingRunsThePageChecks();
    void writing_data();
    void writing();
    void roundTripThroughTheWizard();
    void clearedPersonalityIsForgotten();
    void replacesTheFileWhole();
    void unwritableFileIsSilentlySkipped();
    void otherWorkingDirectoryHasItsOwnFile();
    void compilationDatabaseRemembered();
    void registryDefault_data();
    void registryDefault();
};

void TestSettings::reading_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("all four")
        << QByteArray(
               "CW Installation Path:\n/cw\n\nMessage Personality:\nm.p_s\n\n"
               "Analyser Personality:\na.p_a\n\nCompiler Personality:\nc.p_c\n\n")
        << QStringList{"/cw", "m.p_s", "a.p_a", "c.p_c"};
    QTest::newRow("CR LF reads the same")
        << QByteArray(
               "CW Installation Path:\r\n/cw\r\n\r\nMessage Personality:\r\nm.p_s\r\n\r\n"
               "Analyser Personality:\r\na.p_a\r\n\r\nCompiler Personality:\r\nc.p_c\r\n\r\n")
        << QStringList{"/cw", "m.p_s", "a.p_a", "c.p_c"};
    QTest::newRow("any order")
        << QByteArray("Compiler Personality:\nc.p_c\n\nMessage Personality:\nm.p_s\n\n")
        << QStringList{"", "m.p_s", "", "c.p_c"};
    QTest::newRow("last wins")
        << QByteArray("Message Personality:\nfirst\n\nMessage Personality:\nsecond\n\n")
        << QStringList{"", "second", "", ""};
    QTest::newRow("label on last line empties the field")
        << QByteArray("Message Personality:\nm\n\nMessage Personality:")
        << QStringList{"", "", "", ""};
    QTest::newRow("label with trailing blank ignored")
        << QByteArray("Message Personality: \nm\n") << QStringList{"", "", "", ""};
    QTest::newRow("labels compared case-sensitively")
        << QByteArray("message personality:\nm\n") << QStringList{"", "", "", ""};
    QTest::newRow("value line is never a label")
        << QByteArray("Message Personality:\nCompiler Personality:\nc\n")
        << QStringList{"", "Compiler Personality:", "", ""};
    QTest::newRow("stray lines skipped")
        << QByteArray("junk\n\n/cw\nAnalyser Personality:\n a b \nmore junk")
        << QStringList{"", "", " a b ", ""};
    QTest::newRow("empty installation value")
        << QByteArray("CW Installation Path:\n\n") << QStringList{"", "", "", ""};
    QTest::newRow("no final line feed")
        << QByteArray("Compiler Personality:\nc.p_c") << QStringList{"", "", "", "c.p_c"};
}

void TestSettings::reading() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, fields);
    ScratchDirectory dir;
    dir.makeFile(QStringLiteral("settings.txt"), file);
    TessalyWizard wizard;
    QCOMPARE(fieldsOf(wizard), fields);
}

void TestSettings::missingFileChangesNothing() {
    ScratchDirectory dir;
    dir.makeFolder(QStringLiteral("settings.txt"));  // exists, but cannot be read as a file
    TessalyWizard wizard;
    QCOMPARE(fieldsOf(wizard), (QStringList{"", "", "", ""}));
    QVERIFY(tessaly::wizard::readSettingsFile(dir.filePath(QStringLiteral("none.txt"))).isEmpty());

#ifdef Q_OS_UNIX
    // A pipe of that name is not read: opening it would wait for a writer.
    const QString pipe = dir.filePath(QStringLiteral("pipe.txt"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    auto reading =
        std::async(std::launch::async, [&pipe] { return tessaly::wizard::readSettingsFile(pipe); });
    const bool returned = reading.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!returned) {
        // Release the blocked reader so that the test can end.
        QFile writer(pipe);
        writer.open(QIODevice::WriteOnly);
    }
    QVERIFY(returned);
    QVERIFY(reading.get().isEmpty());
#endif
}

void TestSettings::emptyRecordsStillAssign() {
    // An empty value replaces whatever the field held before (for the
    // installation folder: the registry's proposal), as does a label on the
    // last line.
    ScratchDirectory dir;
    dir.makeFile(QStringLiteral("settings.txt"),
                 "CW Installation Path:\n\nCompiler Personality:\nc\nCompiler Personality:");
    using A = tessaly::wizard::SettingAssignment;
    const QList<A> expected{{RememberedField::CodeWarriorDir, QString()},
                            {RememberedField::CompilerPersonality, QStringLiteral("c")},
                            {RememberedField::CompilerPersonality, QString()}};
    QCOMPARE(tessaly::wizard::readSettingsFile(QStringLiteral("settings.txt")), expected);
}

void TestSettings::readingRunsThePageChecks() {
    ScratchDirectory dir;
    const QString folder = dir.makeFolder(QStringLiteral("cw"));
    dir.makeFile(QStringLiteral("settings.txt"), "CW Installation Path:\n" +
                                                     QFile::encodeName(folder) +
                                                     "\n\nCompiler Personality:\nmissing.p_c\n\n");
    TessalyWizard wizard;
    QCOMPARE(textColour(wizard.CWInstallDirEdit), QColor(0, 0, 0));
    QCOMPARE(textColour(wizard.CmpPersonEdit), QColor(255, 0, 0));
    QVERIFY(!wizard.Page1->isComplete());
    QVERIFY(!wizard.Page0->isComplete());
}

void TestSettings::writing_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("all four") << QStringList{"/cw", "m.p_s", "a.p_a", "c.p_c"}
                              << QByteArray(
                                     "CW Installation Path:\n/cw\n\nMessage Personality:\nm.p_s\n\n"
                                     "Analyser Personality:\na.p_a\n\nCompiler "
                                     "Personality:\nc.p_c\n\n");
    QTest::newRow("installation always, even empty")
        << QStringList{"", "", "", ""} << QByteArray("CW Installation Path:\n\n\n");
    QTest::newRow("compiler only: six lines")
        << QStringList{"/cw", "", "", "c.p_c"}
        << QByteArray("CW Installation Path:\n/cw\n\nCompiler Personality:\nc.p_c\n\n");
    QTest::newRow("values exactly as they are") << QStringList{" /c w ", "", " a ", ""}
                                                << QByteArray(
                                                       "CW Installation Path:\n /c w \n\n"
                                                       "Analyser Personality:\n a \n\n");
}

void TestSettings::writing() {
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, file);
    const RememberedValues values{fields[0], fields[1], fields[2], fields[3]};
    QCOMPARE(tessaly::wizard::settingsText(values), file);
    ScratchDirectory dir;
    QVERIFY(tessaly::wizard::writeSettingsFile(QStringLiteral("settings.txt"), values));
    QCOMPARE(dir.read(QStringLiteral("settings.txt")), file);
}

void TestSettings::roundTripThroughTheWizard() {
    ScratchDirectory dir;
    const QStringList fields{"/opt/code warrior", "m m.p_s", "a.p_a", "c.p_c"};
    QVERIFY(tessaly::wizard::writeSettingsFile(QStringLiteral("settings.txt"),
                                               {fields[0], fields[1], fields[2], fields[3]}));
    TessalyWizard wizard;
    QCOMPARE(fieldsOf(wizard), fields);
    const QByteArray before = dir.read(QStringLiteral("settings.txt"));
    QVERIFY(tessaly::wizard::writeSettingsFile(
        QStringLiteral("settings.txt"),
        {wizard.CWInstallDirEdit->text(), wizard.MsgPersonEdit->text(),
         wizard.AnalPersonEdit->text(), wizard.CmpPersonEdit->text()}));
    QCOMPARE(dir.read(QStringLiteral("settings.txt")), before);
}

void TestSettings::clearedPersonalityIsForgotten() {
    ScratchDirectory dir;
    QVERIFY(tessaly::wizard::writeSettingsFile(QStringLiteral("settings.txt"),
                                               {"/cw", "m.p_s", "", "c.p_c"}));
    TessalyWizard first;
    first.MsgPersonEdit->clear();
    QVERIFY(tessaly::wizard::writeSettingsFile(
        QStringLiteral("settings.txt"),
        {first.CWInstallDirEdit->text(), first.MsgPersonEdit->text(), first.AnalPersonEdit->text(),
         first.CmpPersonEdit->text()}));
    TessalyWizard second;
    QCOMPARE(fieldsOf(second), (QStringList{"/cw", "", "", "c.p_c"}));
}

void TestSettings::replacesTheFileWhole() {
    ScratchDirectory dir;
    dir.makeFile(QStringLiteral("settings.txt"),
                 QByteArray(4096, 'x') + "\nMessage Personality:\nold\n");
    QVERIFY(
        tessaly::wizard::writeSettingsFile(QStringLiteral("settings.txt"), {"/cw", "", "", ""}));
    QCOMPARE(dir.read(QStringLiteral("settings.txt")),
             QByteArray("CW Installation Path:\n/cw\n\n"));
    // Nothing but the file itself is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("settings.txt")});
}

void TestSettings::unwritableFileIsSilentlySkipped() {
    ScratchDirectory dir;
    dir.makeFolder(QStringLiteral("settings.txt"));
    QVERIFY(
        !tessaly::wizard::writeSettingsFile(QStringLiteral("settings.txt"), {"/cw", "", "", ""}));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("settings.txt"))).isDir());
}

void TestSettings::otherWorkingDirectoryHasItsOwnFile() {
    ScratchDirectory first;
    first.makeFile(QStringLiteral("settings.txt"), "Message Personality:\nfirst.p_s\n\n");
    {
        ScratchDirectory second;
        TessalyWizard wizard;
        QVERIFY(wizard.MsgPersonEdit->text().isEmpty());
    }
    TessalyWizard wizard;
    QCOMPARE(wizard.MsgPersonEdit->text(), QStringLiteral("first.p_s"));
}

// The compilation database box is one more record, written only when it is
// ticked; a file from an older wizard, without it, leaves the box off.
void TestSettings::compilationDatabaseRemembered() {
    ScratchDirectory dir;
    tessaly::wizard::RememberedValues values{"/cw", "", "", ""};
    values.compilationDatabase = true;
    QVERIFY(tessaly::wizard::writeSettingsFile(QStringLiteral("settings.txt"), values));
    QCOMPARE(dir.read(QStringLiteral("settings.txt")),
             QByteArray("CW Installation Path:\n/cw\n\nCompilation Database:\nyes\n\n"));
    {
        TessalyWizard wizard;
        QVERIFY(wizard.cdbCheck->isChecked());
    }
    QVERIFY(tessaly::wizard::writeSettingsFile(QStringLiteral("settings.txt"),
                                               {"/cw", "m.p_s", "", ""}));
    QCOMPARE(dir.read(QStringLiteral("settings.txt")),
             QByteArray("CW Installation Path:\n/cw\n\nMessage Personality:\nm.p_s\n\n"));
    TessalyWizard older;
    QVERIFY(!older.cdbCheck->isChecked());
    QCOMPARE(older.MsgPersonEdit->text(), QStringLiteral("m.p_s"));
}

void TestSettings::registryDefault_data() {
    QTest::addColumn<bool>("windows");
    QTest::addColumn<bool>("hasValue");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("diagnostic");
    const QByteArray key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IDE.exe";
    // clang-format off
    QTest::newRow("two levels up")
        << true << true << "D:\\Tools\\CodeWarrior\\Bin\\IDE.exe" << "D:\\Tools\\CodeWarrior"
        << QByteArray();
    QTest::newRow("drive only")   << true << true  << "C:\\IDE.exe" << "C:"      << QByteArray();
    QTest::newRow("no backslash") << true << true  << "IDE.exe"     << "IDE.exe" << QByteArray();
    QTest::newRow("read, but no folder") << true << true << "\\IDE.exe" << "" << QByteArray();
    QTest::newRow("failed read")  << true << false << ""            << ""        << key + "-1, 0";
    QTest::newRow("no registry here") << false << false << "" << "" << QByteArray();
    // clang-format on
}

void TestSettings::registryDefault() {
    QFETCH(bool, windows);
    QFETCH(bool, hasValue);
    QFETCH(QString, value);
    QFETCH(QString, folder);
    QFETCH(QByteArray, diagnostic);
    RegistryOnlyPlatform platform(
        windows ? tessaly::PathStyle::Windows : tessaly::PathStyle::Posix,
        hasValue ? std::optional<std::string>(value.toStdString()) : std::nullopt);
    std::FILE* sink = std::tmpfile();
    QVERIFY(sink);
    QCOMPARE(tessaly::wizard::codeWarriorDirFromRegistry(platform, sink), folder);
    QCOMPARE(QByteArray::fromStdString(platform.askedFor),
             QByteArray("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IDE.exe"));
    std::rewind(sink);
    QByteArray written(256, '\0');
    written.resize(qsizetype(std::fread(written.data(), 1, written.size(), sink)));
    std::fclose(sink);
    QCOMPARE(written, diagnostic);
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
