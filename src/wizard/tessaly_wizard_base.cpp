#include "tessaly_wizard_base.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <initializer_list>

#include "banner_images.h"
#include "button_ruler.h"
#include "version.h"

namespace {

// Page contents sit at fixed positions: the banners span 532 pixels and the
// bottom banner ends 380 pixels down.
constexpr QSize kPageSize(532, 380);
constexpr QSize kWindowSize(543, 459);
// Below this the texts would be unreadable; they are cut off instead.
constexpr qreal kSmallestPointSize = 6.0;

template <typename W, typename Parent>
W* make(Parent* parent, const char* name, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QPushButton* makeButton(QWidget* parent, const char* name, int x, int y) {
    auto* button = make<QPushButton>(parent, name, x, y, 75, 25);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, Qt::white);
    button->setPalette(palette);
    button->setCheckable(false);
    return button;
}

QLabel* makeBanner(QWidget* page, const char* name, int y, int h, const QPixmap& image) {
    auto* label = make<QLabel>(page, name, 0, y, 532, h);
    label->setPixmap(image);
    label->setScaledContents(true);
    return label;
}

QFrame* makeLine(QWidget* page, const char* name, int x) {
    auto* line = make<QFrame>(page, name, x, 36, 20, 324);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QGroupBox* makeDescriptionBox(QWidget* page, const char* name, int h) {
    return make<QGroupBox>(page, name, 20, 40, 500, h);
}

QLabel* makeDescription(QGroupBox* box, const char* name, int y, int w, int h) {
    auto* label = make<QLabel>(box, name, 10, y, w, h);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

// Tab moves through the widgets in the order given.
void chainFocus(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

// A description as the wrapped label is to show it: "Vexa/Vexa++" is one
// name, and a line may break after a "/" (the joiner, which shows nothing,
// keeps it on one line).
QString keepNamesWhole(QString text) {
    return text.replace(QLatin1String("Vexa/Vexa++"),
                        QLatin1String("Vexa/") + QChar(0x2060) + QLatin1String("Vexa++"));
}

// A text as the user sees it: without the mnemonic marker.
QString shownText(QString text) {
    const qsizetype marker = text.indexOf(QLatin1Char('&'));
    return marker >= 0 ? text.remove(marker, 1) : text;
}

void followAll(WizardPage* page, WizardPage::Follow how, std::initializer_list<QWidget*> widgets) {
    for (QWidget* widget : widgets) {
        page->follow(widget, how);
    }
}

WizardPage* makePage(QWizard* wizard, const char* name) {
    auto* page = new WizardPage(wizard);
    page->setObjectName(QString::fromLatin1(name));
    page->setMinimumSize(kPageSize);
    page->setRestSize(kPageSize);
    return page;
}

}  // namespace

TessalyWizardBase::TessalyWizardBase(QWidget* parent, const char* name, bool modal,
                                     Qt::WindowFlags flags)
    : QWizard(parent, flags),
      image0(tessaly::wizard::kTopBannerXpm),
      image1(tessaly::wizard::kBottomBannerXpm) {
    setObjectName(name ? QString::fromLatin1(name) : QStringLiteral("TessalyWizardBase"));
    setModal(modal);
    // The same look on every platform: buttons below the page, no header.
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::HaveHelpButton, true);
    setWindowIcon(QIcon(QStringLiteral(":/tesswiz/tesswiz.png")));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    Page0 = makePage(this, "Page0");
    groupBox1 = make<QGroupBox>(Page0, "groupBox1", 20, 170, 500, 87);
    textLabel1_3 = make<QLabel>(groupBox1, "textLabel1_3", 10, 56, 80, 20);
    textLabel1_3_2 = make<QLabel>(groupBox1, "textLabel1_3_2", 10, 21, 80, 20);
    CWInstallDirEdit = make<QLineEdit>(groupBox1, "CWInstallDirEdit", 95, 20, 300, 25);
    CWProjectEdit = make<QLineEdit>(groupBox1, "CWProjectEdit", 95, 55, 300, 25);
    CWInstallBrowseBtn = makeButton(groupBox1, "CWInstallBrowseBtn", 410, 20);
    CWProjectBrowseBtn = makeButton(groupBox1, "CWProjectBrowseBtn", 410, 55);
    groupBox2 = make<QGroupBox>(Page0, "groupBox2", 20, 260, 500, 87);
    textLabel1 = make<QLabel>(groupBox2, "textLabel1", 10, 21, 40, 20);
    textLabel1_2 = make<QLabel>(groupBox2, "textLabel1_2", 10, 56, 40, 20);
    VexaProjectEdit = make<QLineEdit>(groupBox2, "VexaProjectEdit", 95, 20, 300, 25);
    VexaNameEdit = make<QLineEdit>(groupBox2, "VexaNameEdit", 95, 55, 300, 25);
    VexaProjectBrowseBtn = makeButton(groupBox2, "VexaProjectBrowseBtn", 410, 20);
    pixmapLabel3 = makeBanner(Page0, "pixmapLabel3", 0, 36, image0);
    pixmapLabel3_3 = makeBanner(Page0, "pixmapLabel3_3", 360, 20, image1);
    groupBox1_3 = makeDescriptionBox(Page0, "groupBox1_3", 120);
    textLabel2_2 = makeDescription(groupBox1_3, "textLabel2_2", 40, 481, 75);
    textLabel1_3_3 = make<QLabel>(groupBox1_3, "textLabel1_3_3", 10, 10, 461, 21);
    QFont welcomeFont = textLabel1_3_3->font();
    welcomeFont.setPointSize(12);
    textLabel1_3_3->setFont(welcomeFont);
    line1_2 = makeLine(Page0, "line1_2", 521);
    line1 = makeLine(Page0, "line1", -8);
    addPage(Page0);

    Page1 = makePage(this, "Page1");
    groupBox1_2 = make<QGroupBox>(Page1, "groupBox1_2", 20, 150, 500, 60);
    MsgPersonEdit = make<QLineEdit>(groupBox1_2, "MsgPersonEdit", 10, 20, 390, 25);
    MsgBrowseBtn = makeButton(groupBox1_2, "MsgBrowseBtn", 420, 20);
    groupBox2_2_2 = make<QGroupBox>(Page1, "groupBox2_2_2", 20, 220, 500, 60);
    AnalPersonEdit = make<QLineEdit>(groupBox2_2_2, "AnalPersonEdit", 10, 20, 390, 25);
    AnalBrowseBtn = makeButton(groupBox2_2_2, "AnalBrowseBtn", 420, 20);
    groupBox2_2 = make<QGroupBox>(Page1, "groupBox2_2", 20, 290, 500, 60);
    CmpPersonEdit = make<QLineEdit>(groupBox2_2, "CmpPersonEdit", 10, 20, 390, 25);
    CmpBrowseBtn = makeButton(groupBox2_2, "CmpBrowseBtn", 420, 20);
    line1_2_2 = makeLine(Page1, "line1_2_2", 521);
    line1_3 = makeLine(Page1, "line1_3", -8);
    pixmapLabel3_2 = makeBanner(Page1, "pixmapLabel3_2", 0, 36, image0);
    pixmapLabel3_3_2 = makeBanner(Page1, "pixmapLabel3_3_2", 360, 20, image1);
    groupBox1_3_2 = makeDescriptionBox(Page1, "groupBox1_3_2", 100);
    textLabel2_2_2 = makeDescription(groupBox1_3_2, "textLabel2_2_2", 10, 481, 84);
    addPage(Page1);

    Page2 = makePage(this, "Page2");
    groupBox1_3_2_2 = makeDescriptionBox(Page2, "groupBox1_3_2_2", 100);
    textLabel2_2_2_2 = makeDescription(groupBox1_3_2_2, "textLabel2_2_2_2", 14, 481, 70);
    groupBox7 = make<QGroupBox>(Page2, "groupBox7", 60, 160, 420, 160);
    ccCheck = make<QCheckBox>(groupBox7, "ccCheck", 120, 35, 50, 20);
    cxxCheck = make<QCheckBox>(groupBox7, "cxxCheck", 190, 35, 50, 20);
    cCheck = make<QCheckBox>(groupBox7, "cCheck", 260, 35, 50, 20);
    textLabel2 = make<QLabel>(groupBox7, "textLabel2", 50, 116, 100, 20);
    hCheck = make<QCheckBox>(groupBox7, "hCheck", 40, 75, 50, 20);
    hhCheck = make<QCheckBox>(groupBox7, "hhCheck", 120, 75, 50, 20);
    hppCheck = make<QCheckBox>(groupBox7, "hppCheck", 190, 75, 50, 20);
    hxxCheck = make<QCheckBox>(groupBox7, "hxxCheck", 260, 75, 50, 20);
    cppCheck = make<QCheckBox>(groupBox7, "cppCheck", 40, 35, 50, 20);
    CustExtEdit = make<QLineEdit>(groupBox7, "CustExtEdit", 160, 115, 144, 25);
    cdbCheck = make<QCheckBox>(Page2, "cdbCheck", 60, 330, 420, 20);
    line1_3_2 = makeLine(Page2, "line1_3_2", -8);
    pixmapLabel3_2_2 = makeBanner(Page2, "pixmapLabel3_2_2", 0, 36, image0);
    line1_2_2_2 = makeLine(Page2, "line1_2_2_2", 521);
    pixmapLabel3_3_2_2 = makeBanner(Page2, "pixmapLabel3_3_2_2", 360, 20, image1);
    addPage(Page2);

    Page3 = makePage(this, "Page3");
    pixmapLabel3_2_2_2 = makeBanner(Page3, "pixmapLabel3_2_2_2", 0, 36, image0);
    pixmapLabel3_3_2_2_2 = makeBanner(Page3, "pixmapLabel3_3_2_2_2", 360, 20, image1);
    line1_3_2_2 = makeLine(Page3, "line1_3_2_2", -8);
    line1_2_2_2_2 = makeLine(Page3, "line1_2_2_2_2", 521);
    DetailsText = make<QPlainTextEdit>(Page3, "DetailsText", 15, 40, 505, 310);
    DetailsText->setReadOnly(true);
    DetailsText->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    addPage(Page3);

    // Tab follows each page row by row, left to right; the labels' mnemonics
    // focus the fields they name.
    chainFocus({CWInstallDirEdit, CWInstallBrowseBtn, CWProjectEdit, CWProjectBrowseBtn,
                VexaProjectEdit, VexaProjectBrowseBtn, VexaNameEdit});
    chainFocus(
        {MsgPersonEdit, MsgBrowseBtn, AnalPersonEdit, AnalBrowseBtn, CmpPersonEdit, CmpBrowseBtn});
    chainFocus({cppCheck, ccCheck, cxxCheck, cCheck, hCheck, hhCheck, hppCheck, hxxCheck,
                CustExtEdit, cdbCheck});
    textLabel1_3_2->setBuddy(CWInstallDirEdit);
    textLabel1_3->setBuddy(CWProjectEdit);
    textLabel1->setBuddy(VexaProjectEdit);
    textLabel1_2->setBuddy(VexaNameEdit);
    textLabel2->setBuddy(CustExtEdit);

    followPageSizes();
    tessaly::wizard::drawButtonRuler(this);

    // Shown or not, the wizard stands on its first page from the start.
    restart();
    languageChange();
    fitPageFont();
    resize(kWindowSize);
}

void TessalyWizardBase::followPageSizes() {
    // A larger window gives its extra width to the fields and the
    // description boxes, and its extra width and height to the log; the
    // banners and side lines follow the page's edges, the Browse buttons its
    // right edge, and the extension boxes stay centred.
    const WizardPage::Follow grow{0, 1, 0, 0};
    const WizardPage::Follow moveRight{1, 0, 0, 0};
    const auto frame = [](WizardPage* page, QLabel* top, QLabel* bottom, QFrame* left,
                          QFrame* right) {
        page->follow(top, {0, 1, 0, 0});
        page->follow(bottom, {0, 1, 1, 0});
        page->follow(left, {0, 0, 0, 1});
        page->follow(right, {1, 0, 0, 1});
    };
    frame(Page0, pixmapLabel3, pixmapLabel3_3, line1, line1_2);
    frame(Page1, pixmapLabel3_2, pixmapLabel3_3_2, line1_3, line1_2_2);
    frame(Page2, pixmapLabel3_2_2, pixmapLabel3_3_2_2, line1_3_2, line1_2_2_2);
    frame(Page3, pixmapLabel3_2_2_2, pixmapLabel3_3_2_2_2, line1_3_2_2, line1_2_2_2_2);
    followAll(Page0, grow,
              {groupBox1_3, textLabel2_2, groupBox1, CWInstallDirEdit, CWProjectEdit, groupBox2,
               VexaProjectEdit, VexaNameEdit});
    followAll(Page0, moveRight, {CWInstallBrowseBtn, CWProjectBrowseBtn, VexaProjectBrowseBtn});
    followAll(Page1, grow,
              {groupBox1_3_2, textLabel2_2_2, groupBox1_2, MsgPersonEdit, groupBox2_2_2,
               AnalPersonEdit, groupBox2_2, CmpPersonEdit});
    followAll(Page1, moveRight, {MsgBrowseBtn, AnalBrowseBtn, CmpBrowseBtn});
    followAll(Page2, grow, {groupBox1_3_2_2, textLabel2_2_2_2});
    Page2->follow(groupBox7, {0.5, 0, 0, 0});
    Page2->follow(cdbCheck, {0.5, 0, 0, 0});
    Page3->follow(DetailsText, {0, 1, 0, 1});
}

void TessalyWizardBase::showEvent(QShowEvent* event) {
    // The wizard's layout knows the size the pages need only once it is
    // shown: the window can never be smaller, and grows where that is larger.
    QWizard::showEvent(event);
    const QSize smallest = minimumSizeHint();
    setMinimumSize(smallest);
    if (!sizedToHint) {
        const QSize needed = smallest.expandedTo(kWindowSize);
        resize(needed);
        // At the size the window opens with, every widget stands where the
        // form puts it; the pages grow from there.
        for (WizardPage* page : {Page0, Page1, Page2, Page3}) {
            page->setRestSize(kPageSize + (needed - smallest));
        }
    }
    sizedToHint = true;
}

QSize TessalyWizardBase::minimumSizeHint() const {
    // The size the wizard's own layout needs to show a whole page and the
    // buttons below it.
    return QWizard::sizeHint();
}

bool TessalyWizardBase::pageTextsFit() const {
    for (const QLabel* label : findChildren<QLabel*>()) {
        if (label->text().isEmpty()) {
            continue;
        }
        const QFontMetrics metrics = label->fontMetrics();
        const QRect box = label->contentsRect();
        const QString text = shownText(label->text());
        const QRect needed =
            label->wordWrap()
                ? metrics.boundingRect(QRect(0, 0, box.width(), 100000), Qt::TextWordWrap, text)
                : QRect(0, 0, metrics.horizontalAdvance(text), metrics.height());
        if (needed.width() > box.width() || needed.height() > box.height()) {
            return false;
        }
    }
    for (const QCheckBox* box : findChildren<QCheckBox*>()) {
        if (box->sizeHint().width() > box->width()) {
            return false;
        }
    }
    return true;
}

void TessalyWizardBase::fitPageFont() {
    // The pages' widgets have fixed positions and sizes, made for a small
    // (8-point) font. The pages take the largest text size, from the
    // platform's own down, at which every label and check box text fits its
    // box whole; the wizard's buttons keep the platform's size.
    QFont pageFont = font();
    for (qreal size = pageFont.pointSizeF(); size >= kSmallestPointSize; size -= 0.5) {
        pageFont.setPointSizeF(size);
        for (QWizardPage* page : {Page0, Page1, Page2, Page3}) {
            page->setFont(pageFont);
        }
        if (pageTextsFit()) {
            break;
        }
    }
}

TessalyWizardBase::~TessalyWizardBase() = default;

void TessalyWizardBase::languageChange() {
    // Mnemonic letters differ on each page, and from the wizard's own
    // buttons (Back, Next, Finish, Help).
    setWindowTitle(tr("Tessaly %1").arg(QStringLiteral(TESSALY_VERSION)));
    for (QWizardPage* page : {Page0, Page1, Page2, Page3}) {
        page->setTitle(QString());
    }
    for (QGroupBox* box : {groupBox1_3, groupBox1_3_2, groupBox1_3_2_2}) {
        box->setTitle(QString());
    }

    textLabel1_3_3->setText(tr("Welcome to the Norvane :: Tessaly"));
    textLabel2_2->setText(keepNamesWhole(tr(
        "This wizard will take you through the steps required to convert your CodeWarrior "
        "project file to a Vexa/Vexa++ project. \nSelect the CodeWarrior project (.mcp) or its "
        "export (.mcp.xml) that you wish to convert.  \nYou also need to specify the folder into "
        "which the Vexa/Vexa++ project will be created.  \nThe Vexa/Vexa++ project will be "
        "named according to the name specified.")));
    groupBox1->setTitle(tr("CodeWarrior"));
    textLabel1_3_2->setText(tr("&Install Location"));
    CWInstallDirEdit->setToolTip(tr("Location of CodeWarrior install directory."));
    CWInstallBrowseBtn->setText(tr("B&rowse"));
    textLabel1_3->setText(tr("Project/&Export"));
    CWProjectEdit->setToolTip(tr("Path to the CW .mcp file or its .mcp.xml export."));
    CWProjectBrowseBtn->setText(tr("Br&owse"));
    groupBox2->setTitle(tr("Vexa / Vexa++ Project"));
    textLabel1->setText(tr("Fol&der"));
    VexaProjectEdit->setToolTip(tr("Destination folder for the Vexa/Vexa++ project."));
    VexaProjectBrowseBtn->setText(tr("Bro&wse"));
    textLabel1_2->setText(tr("Na&me"));
    VexaNameEdit->setToolTip(tr("Name of the Vexa/Vexa++ project."));

    textLabel2_2_2->setText(
        tr("Select the message personality and compiler personality to be used by the Vexa / "
           "Vexa++ \nproject.  \n\nSelect a template analyser personality to use e.g. MISRA, "
           "HICPP, JSF.\n\nIf you do not select a personality, an empty default personality "
           "will be used."));
    groupBox1_2->setTitle(tr("&Message Personality"));
    MsgPersonEdit->setToolTip(tr("Path to the message personality to use for the project."));
    MsgBrowseBtn->setText(tr("B&rowse"));
    groupBox2_2_2->setTitle(tr("&Template Analyser Personality"));
    AnalPersonEdit->setToolTip(
        tr("Path to the template analyser personality to use for the project."));
    AnalBrowseBtn->setText(tr("Br&owse"));
    groupBox2_2->setTitle(tr("&Compiler Personality"));
    CmpPersonEdit->setToolTip(tr("Path to the compiler personality to use for the project."));
    CmpBrowseBtn->setText(tr("Bro&wse"));

    textLabel2_2_2_2->setText(keepNamesWhole(
        tr("Specify which file extensions should be searched for in the CW project.\nThese files "
           "will be added into the Vexa/Vexa++ project.  \n\nYou can add custom extensions as a "
           "comma seperated list of extensions e.g res,xml")));
    groupBox7->setTitle(tr("File E&xtensions"));
    cppCheck->setText(tr("*.cpp"));
    ccCheck->setText(tr("*.cc"));
    cxxCheck->setText(tr("*.cxx"));
    cCheck->setText(tr("*.c"));
    hCheck->setText(tr("*.h"));
    hhCheck->setText(tr("*.hh"));
    hppCheck->setText(tr("*.hpp"));
    hxxCheck->setText(tr("*.hxx"));
    textLabel2->setText(tr("&Custom Extensions"));
    CustExtEdit->setToolTip(tr("Custom extensions list to add files of this type to the project."));
    CustExtEdit->setInputMask(QString());
    cdbCheck->setText(tr("Also write a compilation &database (compile_commands.json)"));
    cdbCheck->setToolTip(
        tr("Write compile_commands.json into the destination folder, for tools such as "
           "clang-tidy, clangd and Cppcheck."));

    DetailsText->setPlainText(
        tr("CodeWarrior Project:\n\n\nVexa/Vexa++ Project Directory:\n\n\nVexa++ Project "
           "Name:\n\n\nMessage Personality:\n\n\nTemplate Analyser Personality:\n\n\nCompiler "
           "Personality:\n\n\nExtensions:"));
}
