#include "field_mark.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace tessaly::wizard {

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);
const QString kReasonName = QStringLiteral("problem");

// Between the field's text and the reason, and after the reason.
constexpr int kGap = 6;

QLabel* reasonLabel(const QLineEdit* edit) {
    return edit->findChild<QLabel*>(kReasonName, Qt::FindDirectChildrenOnly);
}

QLabel* makeReasonLabel(QLineEdit* edit) {
    auto* label = new QLabel(edit);
    label->setObjectName(kReasonName);
    // Clicks and the pointer's shape are the field's.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kRed);
    label->setPalette(palette);
    auto* layout = new QHBoxLayout(edit);
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->setContentsMargins(0, 0, kGap, 0);
    layout->addStretch();
    layout->addWidget(label);
    return label;
}

}  // namespace

void markField(QLineEdit* edit, const QString& problem) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, problem.isEmpty() ? kBlack : kRed);
    edit->setPalette(palette);

    QLabel* label = reasonLabel(edit);
    if (!label && problem.isEmpty()) {
        return;
    }
    if (!label) {
        label = makeReasonLabel(edit);
    }
    label->setText(problem);
    label->setVisible(!problem.isEmpty());
    edit->setTextMargins(0, 0, problem.isEmpty() ? 0 : label->sizeHint().width() + kGap, 0);
    // In place at once, shown or not.
    edit->layout()->activate();
}

QString shownProblem(const QLineEdit* edit) {
    const QLabel* label = reasonLabel(edit);
    return label && !label->isHidden() ? label->text() : QString();
}

}  // namespace tessaly::wizard
