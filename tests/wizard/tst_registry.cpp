// The CodeWarrior folder the wizard proposes from the system's own registry
// (Windows only): the IDE's program path two levels up, or nothing without
// the key; a folder remembered in settings.txt wins over it.
#include <QLineEdit>
#include <QSettings>
#include <QtTest>

#include "cwproject/path_rules.h"
#include "tessaly_wizard.h"
#include "wizard_test_support.h"

namespace {

// The IDE's key under HKEY_LOCAL_MACHINE, holding the given program path as
// its unnamed value for the object's lifetime; no key with an empty path.
class IdeKey {
  public:
    explicit IdeKey(const QString& idePath) {
        QSettings machine(QStringLiteral("HKEY_LOCAL_MACHINE"), QSettings::NativeFormat);
        machine.remove(key());
        if (!idePath.isEmpty()) {
            machine.setValue(key() + QStringLiteral("/Default"), idePath);
        }
        machine.sync();
    }
    ~IdeKey() {
        QSettings machine(QStringLiteral("HKEY_LOCAL_MACHINE"), QSettings::NativeFormat);
        machine.remove(key());
    }
    IdeKey(const IdeKey&) = delete;
    IdeKey& operator=(const IdeKey&) = delete;

  private:
    static QString key() {
        return QString::fromLatin1(tessaly::kCodeWarriorIdeKey)
            .replace(QLatin1Char('\\'), QLatin1Char('/'));
    }
};

}  // namespace

class TestRegistry : public QObject {
    Q_OBJECT

  private slots:
    void folderFromTheRegistry_data();
    void folderFromTheRegistry();
    void settingsWinOverTheRegistry();
};

void TestRegistry::folderFromTheRegistry_data() {
    QTest::addColumn<QString>("idePath");
    QTest::addColumn<QString>("folder");
    // clang-format off
    QTest::newRow("two levels up")
        << "C:\\Program Files\\Code Warrior 5\\Bin\\IDE.exe" << "C:\\Program Files\\Code Warrior 5";
    QTest::newRow("no key")       << ""                  << "";
    // clang-format on
}

void TestRegistry::folderFromTheRegistry() {
    QFETCH(QString, idePath);
    QFETCH(QString, folder);
    const IdeKey key(idePath);
    ScratchDirectory dir;
    TessalyWizard wizard;
    QCOMPARE(wizard.CWInstallDirEdit->text(), folder);
}

void TestRegistry::settingsWinOverTheRegistry() {
    const IdeKey key(QStringLiteral("C:\\CW\\Bin\\IDE.exe"));
    ScratchDirectory dir;
    dir.makeFile(QStringLiteral("settings.txt"), "CW Installation Path:\nD:\\Mine\n\n");
    TessalyWizard wizard;
    QCOMPARE(wizard.CWInstallDirEdit->text(), QStringLiteral("D:\\Mine"));
}

QTEST_MAIN(TestRegistry)
#include "tst_registry.moc"
