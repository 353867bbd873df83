// The form: every widget where it belongs with its texts, the banners, the
// focus order, and the start state of the wizard's buttons.
#include <QAbstractButton>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QtTest>

#include "banner_images.h"
#include "tessaly_wizard.h"
#include "version.h"
#include "wizard_test_support.h"

class TestWizardForm : public QObject {
    Q_OBJECT

  private slots:
    void widgetGeometry_data();
    void widgetGeometry();
    void texts_data();
    void texts();
    void focusOrder_data();
    void focusOrder();
    void bannersAreGreyXpmOfTheirSize_data();
    void bannersAreGreyXpmOfTheirSize();
    void everyPageHasBannersAndLines();
    void startState();
    void windowSizeAndCaption();
    void windowIconIsTheProgramIcon();
    void languageChangeReappliesTexts();
    void browseButtonsStandBesideTheirFields_data();
    void browseButtonsStandBesideTheirFields();
    void installedTextsNameBothKindsOfProject_data();
    void installedTextsNameBothKindsOfProject();
};

namespace {

QWidget* child(QWidget* root, const QString& name) {
    return root->findChild<QWidget*>(name);
}

// A text as shown: the mnemonic marker is not part of it (no text of the
// form holds a literal ampersand), nor a word joiner, which only keeps a
// line from breaking.
QString shown(QString text) {
    return text.remove(QLatin1Char('&')).remove(QChar(0x2060));
}

// The lines of a text file of the source tree.
QStringList linesOf(const QString& file) {
    QFile text(QStringLiteral(TESSALY_SOURCE_DIR "/") + file);
    return text.open(QIODevice::ReadOnly) ? QString::fromUtf8(text.readAll()).split('\n')
                                          : QStringList();
}

}  // namespace

void TestWizardForm::widgetGeometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    const struct {
        const char* name;
        const char* parent;
        QRect geometry;
    } rows[] = {
        {"groupBox1_3", "Page0", {20, 40, 500, 120}},
        {"textLabel1_3_3", "groupBox1_3", {10, 10, 461, 21}},
        {"textLabel2_2", "groupBox1_3", {10, 40, 481, 75}},
        {"groupBox1", "Page0", {20, 170, 500, 87}},
        {"textLabel1_3_2", "groupBox1", {10, 21, 80, 20}},
        {"CWInstallDirEdit", "groupBox1", {95, 20, 300, 25}},
        {"CWInstallBrowseBtn", "groupBox1", {410, 20, 75, 25}},
        {"textLabel1_3", "groupBox1", {10, 56, 80, 20}},
        {"CWProjectEdit", "groupBox1", {95, 55, 300, 25}},
        {"CWProjectBrowseBtn", "groupBox1", {410, 55, 75, 25}},
        {"groupBox2", "Page0", {20, 260, 500, 87}},
        {"textLabel1", "groupBox2", {10, 21, 40, 20}},
        {"VexaProjectEdit", "groupBox2", {95, 20, 300, 25}},
        {"VexaProjectBrowseBtn", "groupBox2", {410, 20, 75, 25}},
        {"textLabel1_2", "groupBox2", {10, 56, 40, 20}},
        {"VexaNameEdit", "groupBox2", {95, 55, 300, 25}},
        {"groupBox1_3_2", "Page1", {20, 40, 500, 100}},
        {"textLabel2_2_2", "groupBox1_3_2", {10, 10, 481, 84}},
        {"groupBox1_2", "Page1", {20, 150, 500, 60}},
        {"MsgPersonEdit", "groupBox1_2", {10, 20, 390, 25}},
        {"MsgBrowseBtn", "groupBox1_2", {420, 20, 75, 25}},
        {"groupBox2_2_2", "Page1", {20, 220, 500, 60}},
        {"AnalPersonEdit", "groupBox2_2_2", {10, 20, 390, 25}},
        {"AnalBrowseBtn", "groupBox2_2_2", {420, 20, 75, 25}},
        {"groupBox2_2", "Page1", {20, 290, 500, 60}},
        {"CmpPersonEdit", "groupBox2_2", {10, 20, 390, 25}},
        {"CmpBrowseBtn", "groupBox2_2", {420, 20, 75, 25}},
        {"groupBox1_3_2_2", "Page2", {20, 40, 500, 100}},
        {"textLabel2_2_2_2", "groupBox1_3_2_2", {10, 14, 481, 70}},
        {"groupBox7", "Page2", {60, 160, 420, 160}},
        {"cppCheck", "groupBox7", {40, 35, 50, 20}},
        {"ccCheck", "groupBox7", {120, 35, 50, 20}},
        {"cxxCheck", "groupBox7", {190, 35, 50, 20}},
        {"cCheck", "groupBox7", {260, 35, 50, 20}},
        {"hCheck", "groupBox7", {40, 75, 50, 20}},
        {"hhCheck", "groupBox7", {120, 75, 50, 20}},
        {"hppCheck", "groupBox7", {190, 75, 50, 20}},
        {"hxxCheck", "groupBox7", {260, 75, 50, 20}},
        {"textLabel2", "groupBox7", {50, 116, 100, 20}},
        {"CustExtEdit", "groupBox7", {160, 115, 144, 25}},
        {"cdbCheck", "Page2", {60, 330, 420, 20}},
        {"DetailsText", "Page3", {15, 40, 505, 310}},
    };
    for (const auto& row : rows) {
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << QString::fromLatin1(row.parent)
                                << row.geometry;
    }
}

void TestWizardForm::widgetGeometry() {
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    ScratchDirectory dir;
    TessalyWizard wizard;
    QWidget* widget = child(&wizard, name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), geometry);
}

void TestWizardForm::texts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    const struct {
        const char* name;
        const char* text;
        const char* toolTip;
    } rows[] = {
        {"textLabel1_3_3", "Welcome to the Norvane :: Tessaly", ""},
        {"textLabel2_2",
         "This wizard will take you through the steps required to convert your CodeWarrior "
         "project file to a Vexa/Vexa++ project. \nSelect the CodeWarrior project (.mcp) or its "
         "export (.mcp.xml) that you wish to convert.  \nYou also need to specify the folder into "
         "which "
         "the Vexa/Vexa++ project will be created.  \nThe Vexa/Vexa++ project will be named "
         "according to the name specified.",
         ""},
        {"groupBox1", "CodeWarrior", ""},
        {"textLabel1_3_2", "Install Location", ""},
        {"CWInstallDirEdit", "", "Location of CodeWarrior install directory."},
        {"CWInstallBrowseBtn", "Browse", ""},
        {"textLabel1_3", "Project/Export", ""},
        {"CWProjectEdit", "", "Path to the CW .mcp file or its .mcp.xml export."},
        {"CWProjectBrowseBtn", "Browse", ""},
        {"groupBox2", "Vexa / Vexa++ Project", ""},
        {"textLabel1", "Folder", ""},
        {"VexaProjectEdit", "", "Destination folder for the Vexa/Vexa++ project."},
        {"VexaProjectBrowseBtn", "Browse", ""},
        {"textLabel1_2", "Name", ""},
        {"VexaNameEdit", "", "Name of the Vexa/Vexa++ project."},
        {"textLabel2_2_2",
         "Select the message personality and compiler personality to be used by the Vexa / "
         "Vexa++ \nproject.  \n\nSelect a template analyser personality to use e.g. MISRA, HICPP, "
         "JSF.\n\nIf you do not select a personality, an empty default personality will be used.",
         ""},
        {"groupBox1_2", "Message Personality", ""},
        {"MsgPersonEdit", "", "Path to the message personality to use for the project."},
        {"MsgBrowseBtn", "Browse", ""},
        {"groupBox2_2_2", "Template Analyser Personality", ""},
        {"AnalPersonEdit", "", "Path to the template analyser personality to use for the project."},
        {"AnalBrowseBtn", "Browse", ""},
        {"groupBox2_2", "Compiler Personality", ""},
        {"CmpPersonEdit", "", "Path to the compiler personality to use for the project."},
        {"CmpBrowseBtn", "Browse", ""},
        {"textLabel2_2_2_2",
         "Specify which file extensions should be searched for in the CW project.\nThese files "
         "will be added into the Vexa/Vexa++ project.  \n\nYou can add custom extensions as a "
         "comma seperated list of extensions e.g res,xml",
         ""},
        {"groupBox7", "File Extensions", ""},
        {"cppCheck", "*.cpp", ""},
        {"ccCheck", "*.cc", ""},
        {"cxxCheck", "*.cxx", ""},
        {"cCheck", "*.c", ""},
        {"hCheck", "*.h", ""},
        {"hhCheck", "*.hh", ""},
        {"hppCheck", "*.hpp", ""},
        {"hxxCheck", "*.hxx", ""},
        {"textLabel2", "Custom Extensions", ""},
        {"CustExtEdit", "", "Custom extensions list to add files of this type to the project."},
        {"cdbCheck", "Also write a compilation database (compile_commands.json)",
         "Write compile_commands.json into the destination folder, for tools such as clang-tidy, "
         "clangd and Cppcheck."},
        {"DetailsText",
         "CodeWarrior Project:\n\n\nVexa/Vexa++ Project Directory:\n\n\nVexa++ Project "
         "Name:\n\n\nMessage Personality:\n\n\nTemplate Analyser Personality:\n\n\nCompiler "
         "Personality:\n\n\nExtensions:",
         ""},
        {"groupBox1_3", "", ""},
        {"groupBox1_3_2", "", ""},
        {"groupBox1_3_2_2", "", ""},
    };
    for (const auto& row : rows) {
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << QString::fromLatin1(row.text)
                                << QString::fromLatin1(row.toolTip);
    }
}

void TestWizardForm::texts() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    ScratchDirectory dir;
    TessalyWizard wizard;
    QWidget* widget = child(&wizard, name);
    QVERIFY2(widget, qPrintable(name));
    QString actual;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        actual = shown(label->text());
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        actual = edit->text();
        QVERIFY(edit->inputMask().isEmpty());
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        actual = shown(button->text());
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        actual = shown(box->title());
    } else if (auto* log = qobject_cast<QPlainTextEdit*>(widget)) {
        actual = log->toPlainText();
        QVERIFY(log->isReadOnly());
    }
    QCOMPARE(actual, text);
    QCOMPARE(widget->toolTip(), toolTip);
}

void TestWizardForm::focusOrder_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("order");
    // Row by row, left to right.
    QTest::newRow("Page0") << "Page0" << QStringList{"CWInstallDirEdit", "CWInstallBrowseBtn",
                                                     "CWProjectEdit",    "CWProjectBrowseBtn",
                                                     "VexaProjectEdit",  "VexaProjectBrowseBtn",
                                                     "VexaNameEdit"};
    QTest::newRow("Page1") << "Page1"
                           << QStringList{"MsgPersonEdit", "MsgBrowseBtn",  "AnalPersonEdit",
                                          "AnalBrowseBtn", "CmpPersonEdit", "CmpBrowseBtn"};
    QTest::newRow("Page2") << "Page2"
                           << QStringList{"cppCheck",    "ccCheck", "cxxCheck", "cCheck",
                                          "hCheck",      "hhCheck", "hppCheck", "hxxCheck",
                                          "CustExtEdit", "cdbCheck"};
    QTest::newRow("Page3") << "Page3" << QStringList{"DetailsText"};
}

void TestWizardForm::focusOrder() {
    QFETCH(QString, page);
    QFETCH(QStringList, order);
    ScratchDirectory dir;
    TessalyWizard wizard;
    QWidget* pageWidget = child(&wizard, page);
    QVERIFY(pageWidget);
    // Walk the focus chain once round, keeping the page's tab stops.
    QStringList found;
    QWidget* start = &wizard;
    for (QWidget* w = start->nextInFocusChain(); w != start; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && pageWidget->isAncestorOf(w)) {
            found << w->objectName();
        }
    }
    QCOMPARE(found, order);
}

void TestWizardForm::bannersAreGreyXpmOfTheirSize_data() {
    QTest::addColumn<int>("which");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("colours");
    QTest::newRow("top") << 0 << QSize(532, 36) << 80;
    QTest::newRow("bottom") << 1 << QSize(532, 19) << 77;
}

void TestWizardForm::bannersAreGreyXpmOfTheirSize() {
    QFETCH(int, which);
    QFETCH(QSize, size);
    QFETCH(int, colours);
    const char* const* xpm =
        which == 0 ? tessaly::wizard::kTopBannerXpm : tessaly::wizard::kBottomBannerXpm;
    QCOMPARE(QByteArray(xpm[0]), QByteArray::number(size.width()) + ' ' +
                                     QByteArray::number(size.height()) + ' ' +
                                     QByteArray::number(colours) + " 2");
    const QImage image = QPixmap(xpm).toImage();
    QCOMPARE(image.size(), size);
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            QVERIFY(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel));
            seen.insert(pixel);
        }
    }
    QCOMPARE(seen.size(), colours);
}

void TestWizardForm::everyPageHasBannersAndLines() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    const struct {
        const char* page;
        const char* top;
        const char* bottom;
        const char* left;
        const char* right;
    } rows[] = {
        {"Page0", "pixmapLabel3", "pixmapLabel3_3", "line1", "line1_2"},
        {"Page1", "pixmapLabel3_2", "pixmapLabel3_3_2", "line1_3", "line1_2_2"},
        {"Page2", "pixmapLabel3_2_2", "pixmapLabel3_3_2_2", "line1_3_2", "line1_2_2_2"},
        {"Page3", "pixmapLabel3_2_2_2", "pixmapLabel3_3_2_2_2", "line1_3_2_2", "line1_2_2_2_2"},
    };
    for (const auto& row : rows) {
        QWidget* page = child(&wizard, row.page);
        QVERIFY(page);
        auto* top = qobject_cast<QLabel*>(child(&wizard, row.top));
        auto* bottom = qobject_cast<QLabel*>(child(&wizard, row.bottom));
        QVERIFY(top && bottom);
        QCOMPARE(top->parentWidget(), page);
        QCOMPARE(top->geometry(), QRect(0, 0, 532, 36));
        QCOMPARE(bottom->geometry(), QRect(0, 360, 532, 20));
        QVERIFY(top->hasScaledContents() && bottom->hasScaledContents());
        QCOMPARE(top->pixmap().size(), QSize(532, 36));
        QCOMPARE(bottom->pixmap().size(), QSize(532, 19));
        auto* left = qobject_cast<QFrame*>(child(&wizard, row.left));
        auto* right = qobject_cast<QFrame*>(child(&wizard, row.right));
        QVERIFY(left && right);
        QCOMPARE(left->geometry(), QRect(-8, 36, 20, 324));
        QCOMPARE(right->geometry(), QRect(521, 36, 20, 324));
        QCOMPARE(left->frameShape(), QFrame::VLine);
        QCOMPARE(right->frameShadow(), QFrame::Sunken);
    }
}

void TestWizardForm::startState() {
    ScratchDirectory dir;  // no settings.txt, and no registry on this platform
    TessalyWizard wizard;
    QCOMPARE(wizard.pageIds().size(), 4);
    for (int id : wizard.pageIds()) {
        QVERIFY(wizard.page(id)->title().isEmpty());
    }
    for (QCheckBox* box : wizard.findChildren<QCheckBox*>()) {
        QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
    }
    for (QLineEdit* edit : wizard.findChildren<QLineEdit*>()) {
        QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName()));
    }
    QCOMPARE(wizard.currentPage(), wizard.Page0);
    QVERIFY(!wizard.button(QWizard::NextButton)->isEnabled());
    QVERIFY(wizard.testOption(QWizard::HaveHelpButton));
    QVERIFY(!wizard.button(QWizard::HelpButton)->isEnabled());
    QVERIFY(wizard.Page1->isComplete());
    QVERIFY(wizard.Page2->isComplete());
    QVERIFY(!wizard.Page3->isComplete());
    QCOMPARE(wizard.palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(wizard.button(QWizard::NextButton)->palette().color(QPalette::Button),
             QColor(Qt::white));
    QCOMPARE(wizard.CWInstallBrowseBtn->palette().color(QPalette::Button), QColor(Qt::white));
    QCOMPARE(wizard.textLabel1_3_3->font().pointSize(), 12);
    QCOMPARE(wizard.currentBrowsePath(), QString(QDir::separator()));
    QVERIFY(wizard.currentExtensionList().isEmpty());
    QVERIFY(!wizard.currentProcess());
}

void TestWizardForm::windowSizeAndCaption() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    // "Tessaly 1.1" at version 1.1: the caption follows the version.
    QCOMPARE(wizard.windowTitle(), QStringLiteral("Tessaly " TESSALY_VERSION));
    QCOMPARE(wizard.objectName(), QStringLiteral("TessalyWizardBase"));
    QCOMPARE(wizard.size(), QSize(543, 459));
    wizard.show();
    QCOMPARE(wizard.size(), wizard.minimumSizeHint().expandedTo(QSize(543, 459)));
    // Shown, each banner is visible whole, and no text is cut off.
    for (QLabel* banner : {wizard.pixmapLabel3, wizard.pixmapLabel3_3}) {
        QCOMPARE(banner->visibleRegion().boundingRect(), QRect(QPoint(0, 0), banner->size()));
    }
    QVERIFY(wizard.pageTextsFit());
    QVERIFY(wizard.Page0->font().pointSizeF() >= 6.0);
    QCOMPARE(wizard.textLabel1_3_3->font().pointSize(), 12);
}

void TestWizardForm::windowIconIsTheProgramIcon() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    QVERIFY(!wizard.windowIcon().isNull());
    const QImage icon(QStringLiteral(TESSALY_SOURCE_DIR "/src/wizard/tesswiz.png"));
    QCOMPARE(icon.size(), QSize(32, 32));
    QCOMPARE(wizard.windowIcon()
                 .pixmap(QSize(32, 32), 1.0)
                 .toImage()
                 .convertToFormat(QImage::Format_ARGB32),
             icon.convertToFormat(QImage::Format_ARGB32));
}

void TestWizardForm::languageChangeReappliesTexts() {
    ScratchDirectory dir;
    TessalyWizard wizard;
    wizard.setWindowTitle(QStringLiteral("x"));
    wizard.cppCheck->setText(QStringLiteral("x"));
    wizard.groupBox1_3->setTitle(QStringLiteral("x"));
    QMetaObject::invokeMethod(&wizard, "languageChange");
    QCOMPARE(wizard.windowTitle(), QStringLiteral("Tessaly " TESSALY_VERSION));
    QCOMPARE(wizard.cppCheck->text(), QStringLiteral("*.cpp"));
    QVERIFY(wizard.groupBox1_3->title().isNull());
}

void TestWizardForm::browseButtonsStandBesideTheirFields_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("edit");
    QTest::newRow("installation") << "CWInstallBrowseBtn"
                                  << "CWInstallDirEdit";
    QTest::newRow("project") << "CWProjectBrowseBtn"
                             << "CWProjectEdit";
    QTest::newRow("destination") << "VexaProjectBrowseBtn"
                                 << "VexaProjectEdit";
    QTest::newRow("message") << "MsgBrowseBtn"
                             << "MsgPersonEdit";
    QTest::newRow("analyser") << "AnalBrowseBtn"
                              << "AnalPersonEdit";
    QTest::newRow("compiler") << "CmpBrowseBtn"
                              << "CmpPersonEdit";
}

// Each Browse button stands level with its field, right of it.
void TestWizardForm::browseButtonsStandBesideTheirFields() {
    QFETCH(QString, button);
    QFETCH(QString, edit);
    ScratchDirectory dir;
    TessalyWizard wizard;
    const QWidget* b = child(&wizard, button);
    const QWidget* e = child(&wizard, edit);
    QVERIFY(b && e);
    QCOMPARE(b->parentWidget(), e->parentWidget());
    QCOMPARE(b->y(), e->y());
    QCOMPARE(b->height(), e->height());
    QVERIFY(b->x() > e->geometry().right());
}

void TestWizardForm::installedTextsNameBothKindsOfProject_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("line");
    QTest::newRow("desktop entry") << "src/wizard/tesswiz.desktop"
                                   << "Comment=Convert a CodeWarrior project or its export into "
                                      "a Vexa/Vexa++ analysis project";
    QTest::newRow("manual page of tesscli")
        << "docs/tesscli.1"
        << "tesscli \\- convert a CodeWarrior project or its export into a Vexa/Vexa++ "
           "analysis project";
}

// Binary projects are read too: the texts that describe the programs say so.
void TestWizardForm::installedTextsNameBothKindsOfProject() {
    QFETCH(QString, file);
    QFETCH(QString, line);
    QVERIFY2(linesOf(file).contains(line), qPrintable(file));
}

QTEST_MAIN(TestWizardForm)
#include "tst_wizard_form.moc"
