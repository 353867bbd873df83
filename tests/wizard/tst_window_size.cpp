// The window's size: never smaller than a whole page; when enlarged, the
// fields, the description boxes and the log take the extra room and the
// banners and lines follow the edges; back at the default size every widget
// stands where the form puts it. At every scaling the line above the
// buttons is drawn and no description breaks a name. Also run with
// QT_SCALE_FACTOR=1.5 and 2.
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTextLayout>
#include <QtTest>

#include "tessaly_wizard.h"
#include "wizard_test_support.h"

namespace {

constexpr QSize kPageSize(532, 380);
constexpr QSize kGrowth(200, 150);

// A shown wizard at its default size.
class ShownWizard {
  public:
    ShownWizard() {
        wizard.show();
        defaultSize = wizard.size();
    }

    // Shows the given page at the given window size, and lets the layout
    // settle.
    void showPage(int page, const QSize& size) {
        while (wizard.currentId() > page) {
            wizard.back();
        }
        while (wizard.currentId() < page) {
            wizard.next();
        }
        wizard.resize(size);
        QApplication::processEvents();
    }

    QWidget* widget(const QString& name) const { return wizard.findChild<QWidget*>(name); }

    ScratchDirectory dir;
    TessalyWizard wizard;
    QSize defaultSize;
};

}  // namespace

class TestWindowSize : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cannotBeSmallerThanAPage();
    void enlargedPagesGiveTheRoomToFieldsAndLog_data();
    void enlargedPagesGiveTheRoomToFieldsAndLog();
    void everyWidgetStaysInsideItsParent();
    void defaultSizeKeepsTheFormsGeometry();
    void lineAboveTheButtonsIsDrawn();
    void descriptionsKeepNamesOnOneLine();
};

void TestWindowSize::initTestCase() {
    qInfo("device pixel ratio %g", qApp->devicePixelRatio());
}

void TestWindowSize::cannotBeSmallerThanAPage() {
    ShownWizard shown;
    for (int page = 0; page < 4; ++page) {
        shown.showPage(page, QSize(360, 68));
        QVERIFY(shown.wizard.width() >= kPageSize.width());
        QVERIFY(shown.wizard.height() >= kPageSize.height());
        QWidget* current = shown.wizard.currentPage();
        QVERIFY2(current->width() >= kPageSize.width() && current->height() >= kPageSize.height(),
                 qPrintable(QStringLiteral("page %1 is %2 x %3")
                                .arg(page)
                                .arg(current->width())
                                .arg(current->height())));
        // The bottom banner, the lowest widget, is shown whole.
        for (QLabel* label : current->findChildren<QLabel*>()) {
            if (label->objectName().startsWith(QLatin1String("pixmapLabel3_3"))) {
                QCOMPARE(label->visibleRegion().boundingRect(), QRect(QPoint(), label->size()));
            }
        }
    }
}

void TestWindowSize::enlargedPagesGiveTheRoomToFieldsAndLog_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");  // at the default size
    QTest::addColumn<QRect>("change");    // x, y, width, height added by kGrowth
    const int w = kGrowth.width();
    const int h = kGrowth.height();
    const struct {
        int page;
        const char* name;
        QRect geometry;
        QRect change;
    } rows[] = {
        {0, "pixmapLabel3", {0, 0, 532, 36}, {0, 0, w, 0}},
        {0, "pixmapLabel3_3", {0, 360, 532, 20}, {0, h, w, 0}},
        {0, "line1", {-8, 36, 20, 324}, {0, 0, 0, h}},
        {0, "line1_2", {521, 36, 20, 324}, {w, 0, 0, h}},
        {0, "groupBox1_3", {20, 40, 500, 120}, {0, 0, w, 0}},
        {0, "textLabel2_2", {10, 40, 481, 75}, {0, 0, w, 0}},
        {0, "groupBox1", {20, 170, 500, 87}, {0, 0, w, 0}},
        {0, "textLabel1_3_2", {10, 21, 80, 20}, {0, 0, 0, 0}},
        {0, "CWInstallDirEdit", {95, 20, 300, 25}, {0, 0, w, 0}},
        {0, "CWInstallBrowseBtn", {410, 20, 75, 25}, {w, 0, 0, 0}},
        {0, "CWProjectEdit", {95, 55, 300, 25}, {0, 0, w, 0}},
        {0, "CWProjectBrowseBtn", {410, 55, 75, 25}, {w, 0, 0, 0}},
        {0, "groupBox2", {20, 260, 500, 87}, {0, 0, w, 0}},
        {0, "VexaProjectEdit", {95, 20, 300, 25}, {0, 0, w, 0}},
        {0, "VexaProjectBrowseBtn", {410, 20, 75, 25}, {w, 0, 0, 0}},
        {0, "VexaNameEdit", {95, 55, 300, 25}, {0, 0, w, 0}},
        {1, "pixmapLabel3_3_2", {0, 360, 532, 20}, {0, h, w, 0}},
        {1, "textLabel2_2_2", {10, 10, 481, 84}, {0, 0, w, 0}},
        {1, "MsgPersonEdit", {10, 20, 390, 25}, {0, 0, w, 0}},
        {1, "MsgBrowseBtn", {420, 20, 75, 25}, {w, 0, 0, 0}},
        {1, "AnalPersonEdit", {10, 20, 390, 25}, {0, 0, w, 0}},
        {1, "AnalBrowseBtn", {420, 20, 75, 25}, {w, 0, 0, 0}},
        {1, "groupBox2_2", {20, 290, 500, 60}, {0, 0, w, 0}},
        {1, "CmpPersonEdit", {10, 20, 390, 25}, {0, 0, w, 0}},
        {1, "CmpBrowseBtn", {420, 20, 75, 25}, {w, 0, 0, 0}},
        {1, "line1_2_2", {521, 36, 20, 324}, {w, 0, 0, h}},
        {2, "textLabel2_2_2_2", {10, 14, 481, 70}, {0, 0, w, 0}},
        {2, "groupBox7", {60, 160, 420, 160}, {w / 2, 0, 0, 0}},
        {2, "cppCheck", {40, 35, 50, 20}, {0, 0, 0, 0}},
        {2, "pixmapLabel3_3_2_2", {0, 360, 532, 20}, {0, h, w, 0}},
        {3, "DetailsText", {15, 40, 505, 310}, {0, 0, w, h}},
        {3, "pixmapLabel3_3_2_2_2", {0, 360, 532, 20}, {0, h, w, 0}},
        {3, "line1_2_2_2_2", {521, 36, 20, 324}, {w, 0, 0, h}},
    };
    for (const auto& row : rows) {
        QTest::newRow(row.name) << row.page << QString::fromLatin1(row.name) << row.geometry
                                << row.change;
    }
}

void TestWindowSize::enlargedPagesGiveTheRoomToFieldsAndLog() {
    QFETCH(int, page);
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QRect, change);
    ShownWizard shown;
    QWidget* widget = shown.widget(name);
    QVERIFY(widget);
    shown.showPage(page, shown.defaultSize + kGrowth);
    const QRect grown(geometry.x() + change.x(), geometry.y() + change.y(),
                      geometry.width() + change.width(), geometry.height() + change.height());
    QCOMPARE(widget->geometry(), grown);
    // And back.
    shown.showPage(page, shown.defaultSize);
    QCOMPARE(widget->geometry(), geometry);
}

void TestWindowSize::everyWidgetStaysInsideItsParent() {
    ShownWizard shown;
    for (const QSize& size :
         {shown.defaultSize, shown.defaultSize + kGrowth, shown.defaultSize + QSize(700, 0),
          shown.defaultSize + QSize(0, 500)}) {
        for (int page = 0; page < 4; ++page) {
            shown.showPage(page, size);
            for (QWidget* widget : shown.wizard.currentPage()->findChildren<QWidget*>()) {
                if (widget->objectName().startsWith(QLatin1String("line1")) ||
                    !widget->isVisibleTo(shown.wizard.currentPage())) {
                    continue;  // the side lines stand partly outside by design
                }
                const QRect inside(QPoint(), widget->parentWidget()->size());
                QVERIFY2(inside.contains(widget->geometry()),
                         qPrintable(QStringLiteral("%1 at %2 x %3")
                                        .arg(widget->objectName())
                                        .arg(size.width())
                                        .arg(size.height())));
            }
        }
    }
}

void TestWindowSize::defaultSizeKeepsTheFormsGeometry() {
    ShownWizard shown;
    QCOMPARE(shown.defaultSize, shown.wizard.minimumSizeHint().expandedTo(QSize(543, 459)));
    shown.showPage(3, shown.defaultSize);
    QCOMPARE(shown.widget(QStringLiteral("DetailsText"))->geometry(), QRect(15, 40, 505, 310));
    QCOMPARE(shown.widget(QStringLiteral("pixmapLabel3_3_2_2_2"))->geometry(),
             QRect(0, 360, 532, 20));
    // The smallest window shows the page exactly as the form lays it out.
    shown.showPage(3, QSize(1, 1));
    QCOMPARE(shown.wizard.currentPage()->size(), kPageSize);
    QCOMPARE(shown.widget(QStringLiteral("DetailsText"))->geometry(), QRect(15, 40, 505, 310));
}

// Between the page's last row (the bottom banner) and the buttons a row of
// the screen's pixels is grey across the page's width, on every page.
void TestWindowSize::lineAboveTheButtonsIsDrawn() {
    ShownWizard shown;
    for (int page = 0; page < 4; ++page) {
        shown.showPage(page, shown.defaultSize);
        const QImage image = shown.wizard.grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        const QWidget* current = shown.wizard.currentPage();
        const QRect pageRect(current->mapTo(&shown.wizard, QPoint()), current->size());
        const int top = qCeil((pageRect.bottom() + 1) * ratio);
        const int bottom =
            qFloor(shown.wizard.button(QWizard::CancelButton)->geometry().top() * ratio);
        const QRgb background = image.pixel(qRound(pageRect.center().x() * ratio), top);
        bool found = false;
        for (int y = top; y < bottom && !found; ++y) {
            int grey = 0;
            for (int x = qCeil(pageRect.left() * ratio); x < qFloor(pageRect.right() * ratio);
                 ++x) {
                const QRgb pixel = image.pixel(x, y);
                grey += pixel != background && qGray(pixel) < qGray(background) ? 1 : 0;
            }
            found = grey > pageRect.width() * ratio * 0.9;
        }
        QVERIFY2(found,
                 qPrintable(QStringLiteral("no line on page %1 at %2x").arg(page).arg(ratio)));
    }
}

// A wrapped description may break its lines after a "/", and so would cut
// "Vexa/Vexa++" in two.
void TestWindowSize::descriptionsKeepNamesOnOneLine() {
    ShownWizard shown;
    for (const QLabel* label : shown.wizard.findChildren<QLabel*>()) {
        if (!label->wordWrap()) {
            continue;
        }
        QTextLayout layout(label->text(), label->font());
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(label->contentsRect().width());
            const QString text = label->text().mid(line.textStart(), line.textLength());
            QVERIFY2(!text.trimmed().endsWith(QLatin1String("Vexa/")),
                     qPrintable(label->objectName() + QStringLiteral(": ") + text));
        }
        layout.endLayout();
    }
}

QTEST_MAIN(TestWindowSize)
#include "tst_window_size.moc"
