#include "wizard_page.h"

void WizardPage::setRestSize(const QSize& size) {
    restSize_ = size;
    placeFollowers();
}

void WizardPage::follow(QWidget* widget, Follow how) {
    followers_.append({widget, widget->geometry(), how});
}

void WizardPage::resizeEvent(QResizeEvent* event) {
    QWizardPage::resizeEvent(event);
    placeFollowers();
}

void WizardPage::placeFollowers() {
    const QSize extra = (size() - restSize_).expandedTo(QSize(0, 0));
    const auto share = [](qreal part, int room) { return qRound(part * room); };
    for (const Follower& f : followers_) {
        f.widget->setGeometry(f.rest.x() + share(f.how.moveX, extra.width()),
                              f.rest.y() + share(f.how.moveY, extra.height()),
                              f.rest.width() + share(f.how.growX, extra.width()),
                              f.rest.height() + share(f.how.growY, extra.height()));
    }
}
