// The wizard from the keyboard: Tab follows the visual order of each page,
// label mnemonics focus their fields, Browse mnemonics open their dialogs,
// no page offers one mnemonic letter twice, and no Alt chord types into a
// field.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "tessaly_wizard.h"
#include "wizard_test_support.h"

namespace {

// A wizard, shown and active, standing on the given page.
class KeyboardFixture {
  public:
    explicit KeyboardFixture(int page) {
        wizard.setBrowseDialog([this](const TessalyWizard::BrowseRequest& request) {
            captions << request.caption;
            return QString();
        });
        wizard.show();
        wizard.activateWindow();
        for (int i = 0; i < page; ++i) {
            wizard.next();
        }
    }

    bool active() { return QTest::qWaitForWindowActive(&wizard); }

    QWidget* page() const { return wizard.currentPage(); }

    ScratchDirectory dir;
    TessalyWizard wizard;
    QStringList captions;
};

// The letter after the mnemonic marker in a widget's text, upper case; a
// null character when it has none.
QChar mnemonic(const QString& text) {
    const qsizetype at = text.indexOf(QLatin1Char('&'));
    return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toUpper() : QChar();
}

}  // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

  private slots:
    void tabFollowsVisualOrder_data();
    void tabFollowsVisualOrder();
    void altChordsNeverEditAField_data();
    void altChordsNeverEditAField();
    void labelMnemonicsFocusTheirFields_data();
    void labelMnemonicsFocusTheirFields();
    void browseMnemonicsOpenTheirDialogs_data();
    void browseMnemonicsOpenTheirDialogs();
    void mnemonicsAreUniqueOnEachPage_data();
    void mnemonicsAreUniqueOnEachPage();
};

void TestKeyboard::tabFollowsVisualOrder_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("order");
    // Row by row, and left to right within a row.
    QTest::newRow("Page0") << 0 << QStringList{"CWInstallDirEdit", "CWInstallBrowseBtn",
                                               "CWProjectEdit",    "CWProjectBrowseBtn",
                                               "VexaProjectEdit",  "VexaProjectBrowseBtn",
                                               "VexaNameEdit"};
    QTest::newRow("Page1") << 1 << QStringList{"MsgPersonEdit", "MsgBrowseBtn",  "AnalPersonEdit",
                                               "AnalBrowseBtn", "CmpPersonEdit", "CmpBrowseBtn"};
    QTest::newRow("Page2") << 2 << QStringList{"cppCheck",    "ccCheck", "cxxCheck", "cCheck",
                                               "hCheck",      "hhCheck", "hppCheck", "hxxCheck",
                                               "CustExtEdit", "cdbCheck"};
    QTest::newRow("Page3") << 3 << QStringList{"DetailsText"};
}

void TestKeyboard::tabFollowsVisualOrder() {
    QFETCH(int, page);
    QFETCH(QStringList, order);
    KeyboardFixture keyboard(page);
    QVERIFY(keyboard.active());
    auto* first = keyboard.page()->findChild<QWidget*>(order.first());
    QVERIFY(first);
    first->setFocus(Qt::TabFocusReason);
    // Tab from the first field until the focus leaves the page (for the
    // wizard's buttons), and once round backwards with Shift+Tab.
    QStringList forward{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (!keyboard.page()->isAncestorOf(QApplication::focusWidget())) {
            break;
        }
        forward << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(forward, order);
    QStringList backward;
    auto* last = keyboard.page()->findChild<QWidget*>(order.last());
    last->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 20 && keyboard.page()->isAncestorOf(QApplication::focusWidget()); ++i) {
        backward.prepend(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    }
    QCOMPARE(backward, order);
}

void TestKeyboard::altChordsNeverEditAField_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("complete");  // Next enabled
    // The last page has no field.
    QTest::newRow("Page0, Next disabled") << 0 << false;
    QTest::newRow("Page0, Next enabled") << 0 << true;
    QTest::newRow("Page1, Next disabled") << 1 << false;
    QTest::newRow("Page1, Next enabled") << 1 << true;
    QTest::newRow("Page2") << 2 << true;
}

// Every letter with Alt, in every field of the page: a mnemonic may move the
// focus or the page, open a dialog or press a button, but no field's text
// changes, whether the mnemonic's target is enabled or not.
void TestKeyboard::altChordsNeverEditAField() {
    QFETCH(int, page);
    QFETCH(bool, complete);
    KeyboardFixture keyboard(0);
    TessalyWizard& wizard = keyboard.wizard;
    wizard.CWInstallDirEdit->setText(keyboard.dir.makeFolder(QStringLiteral("cw")));
    wizard.CWProjectEdit->setText(complete ? keyboard.dir.makeFile(QStringLiteral("p.mcp.xml"))
                                           : QStringLiteral("nowhere.mcp.xml"));
    wizard.VexaProjectEdit->setText(keyboard.dir.makeFolder(QStringLiteral("build/out")));
    wizard.VexaNameEdit->setText(QStringLiteral("Demo"));
    wizard.MsgPersonEdit->setText(complete ? keyboard.dir.makeFile(QStringLiteral("m.p_s"))
                                           : QStringLiteral("nowhere.p_s"));
    wizard.AnalPersonEdit->setText(keyboard.dir.makeFile(QStringLiteral("a.p_a")));
    wizard.CustExtEdit->setText(QStringLiteral("res"));
    for (int i = 0; i < page; ++i) {
        wizard.next();
    }
    QVERIFY(keyboard.active());
    QCOMPARE(wizard.button(QWizard::NextButton)->isEnabled(), complete);

    const QList<QLineEdit*> fields = wizard.findChildren<QLineEdit*>();
    const auto texts = [&fields] {
        QStringList all;
        for (const QLineEdit* field : fields) {
            all << field->text();
        }
        return all;
    };
    const QStringList before = texts();
    for (QLineEdit* field : keyboard.page()->findChildren<QLineEdit*>()) {
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            // Back where the chord started: Alt+N and Alt+B move the page.
            while (wizard.currentId() != page) {
                wizard.currentId() < page ? wizard.next() : wizard.back();
            }
            field->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(field, letter, Qt::AltModifier);
            QVERIFY2(texts() == before,
                     qPrintable(QStringLiteral("Alt+%1 in %2: %3")
                                    .arg(QString(QLatin1Char(letter)), field->objectName(),
                                         texts().join(QLatin1Char('|')))));
        }
    }
    // Typing without Alt still types.
    QLineEdit* first = keyboard.page()->findChildren<QLineEdit*>().value(0);
    first->setFocus();
    first->end(false);
    QTest::keyClick(first, 'z');
    QVERIFY(first->text().endsWith(QLatin1Char('z')));
}

void TestKeyboard::labelMnemonicsFocusTheirFields_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("focused");  // in this order before the chord
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("field");
    const QStringList cancel{"Cancel"};
    QTest::newRow("Install Location") << 0 << cancel << int(Qt::Key_I) << "CWInstallDirEdit";
    QTest::newRow("project or export") << 0 << cancel << int(Qt::Key_E) << "CWProjectEdit";
    QTest::newRow("Folder") << 0 << cancel << int(Qt::Key_D) << "VexaProjectEdit";
    QTest::newRow("Name") << 0 << cancel << int(Qt::Key_M) << "VexaNameEdit";
    QTest::newRow("Message Personality") << 1 << cancel << int(Qt::Key_M) << "MsgPersonEdit";
    QTest::newRow("Template Analyser Personality")
        << 1 << cancel << int(Qt::Key_T) << "AnalPersonEdit";
    QTest::newRow("Compiler Personality") << 1 << cancel << int(Qt::Key_C) << "CmpPersonEdit";
    // The frame's mnemonic leads to its first box from anywhere.
    QTest::newRow("File Extensions") << 2 << cancel << int(Qt::Key_X) << "cppCheck";
    QTest::newRow("File Extensions, from inside the frame")
        << 2 << QStringList{"hhCheck"} << int(Qt::Key_X) << "cppCheck";
    QTest::newRow("File Extensions, after the custom field")
        << 2 << QStringList{"CustExtEdit", "Cancel"} << int(Qt::Key_X) << "cppCheck";
    QTest::newRow("Custom Extensions") << 2 << cancel << int(Qt::Key_C) << "CustExtEdit";
    QTest::newRow("compilation database") << 2 << cancel << int(Qt::Key_D) << "cdbCheck";
}

void TestKeyboard::labelMnemonicsFocusTheirFields() {
    QFETCH(int, page);
    QFETCH(QStringList, focused);
    QFETCH(int, key);
    QFETCH(QString, field);
    KeyboardFixture keyboard(page);
    QVERIFY(keyboard.active());
    for (const QString& name : focused) {
        QWidget* widget = name == QLatin1String("Cancel")
                              ? keyboard.wizard.button(QWizard::CancelButton)
                              : keyboard.page()->findChild<QWidget*>(name);
        QVERIFY(widget);
        widget->setFocus();
        QCOMPARE(QApplication::focusWidget(), widget);
    }
    QTest::keyClick(&keyboard.wizard, Qt::Key(key), Qt::AltModifier);
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), field);
    QVERIFY(keyboard.captions.isEmpty());
}

void TestKeyboard::browseMnemonicsOpenTheirDialogs_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("caption");
    QTest::newRow("installation") << 0 << int(Qt::Key_R)
                                  << "Specify the Code Warrior Installation Directory";
    QTest::newRow("export") << 0 << int(Qt::Key_O) << "Select a CodeWarrior Project or Export";
    QTest::newRow("destination") << 0 << int(Qt::Key_W)
                                 << "Select the Vexa/Vexa++ Project Destination Directory";
    QTest::newRow("message") << 1 << int(Qt::Key_R) << "Select a Message Personality";
    QTest::newRow("analyser") << 1 << int(Qt::Key_O) << "Select a Template Analyser Personality";
    QTest::newRow("compiler") << 1 << int(Qt::Key_W) << "Select a Compiler Personality";
}

void TestKeyboard::browseMnemonicsOpenTheirDialogs() {
    QFETCH(int, page);
    QFETCH(int, key);
    QFETCH(QString, caption);
    KeyboardFixture keyboard(page);
    QVERIFY(keyboard.active());
    QTest::keyClick(&keyboard.wizard, Qt::Key(key), Qt::AltModifier);
    // A mnemonic presses its button visibly: the click comes a moment later.
    QTRY_COMPARE(keyboard.captions, QStringList{caption});
}

void TestKeyboard::mnemonicsAreUniqueOnEachPage_data() {
    QTest::addColumn<int>("page");
    for (int page = 0; page < 4; ++page) {
        QTest::addRow("Page%d", page) << page;
    }
}

void TestKeyboard::mnemonicsAreUniqueOnEachPage() {
    QFETCH(int, page);
    KeyboardFixture keyboard(page);
    // What the user sees at once: the page's labels, buttons and box titles,
    // and the wizard's visible buttons.
    QList<QPair<QString, QString>> texts;
    for (QLabel* label : keyboard.page()->findChildren<QLabel*>()) {
        texts.append({label->objectName(), label->text()});
    }
    for (QAbstractButton* button : keyboard.page()->findChildren<QAbstractButton*>()) {
        texts.append({button->objectName(), button->text()});
    }
    for (QGroupBox* box : keyboard.page()->findChildren<QGroupBox*>()) {
        texts.append({box->objectName(), box->title()});
    }
    for (QWizard::WizardButton which :
         {QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton, QWizard::CancelButton,
          QWizard::HelpButton}) {
        QAbstractButton* button = keyboard.wizard.button(which);
        if (button->isVisible()) {
            texts.append({button->objectName(), button->text()});
        }
    }
    QHash<QChar, QString> owner;
    for (const auto& [name, text] : texts) {
        const QChar letter = mnemonic(text);
        if (letter.isNull()) {
            continue;
        }
        QVERIFY2(
            !owner.contains(letter),
            qPrintable(
                QStringLiteral("%1 and %2 share Alt+%3").arg(owner.value(letter), name, letter)));
        owner.insert(letter, name);
    }
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
