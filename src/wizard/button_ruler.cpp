#include "button_ruler.h"

#include <QEvent>
#include <QPainter>
#include <QWizard>

namespace tessaly::wizard {

namespace {

// The toolkit's ruler is a plain widget of a fixed height of two pixels.
constexpr int kRulerHeight = 2;

class RulerPainter : public QObject {
  public:
    explicit RulerPainter(QWidget* ruler) : QObject(ruler) { ruler->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) {
            return false;
        }
        auto* ruler = static_cast<QWidget*>(watched);
        QPainter painter(ruler);
        // As far as the toolkit draws its grey line: short of the last pixel.
        painter.fillRect(QRectF(0, 0, ruler->width() - 1, 1), ruler->palette().mid());
        return true;
    }
};

QWidget* findRuler(QWizard* wizard) {
    for (QWidget* widget : wizard->findChildren<QWidget*>()) {
        if (widget->metaObject() == &QWidget::staticMetaObject &&
            widget->minimumHeight() == kRulerHeight && widget->maximumHeight() == kRulerHeight) {
            return widget;
        }
    }
    return nullptr;
}

}  // namespace

bool drawButtonRuler(QWizard* wizard) {
    QWidget* ruler = findRuler(wizard);
    if (ruler) {
        new RulerPainter(ruler);
    }
    return ruler != nullptr;
}

}  // namespace tessaly::wizard
