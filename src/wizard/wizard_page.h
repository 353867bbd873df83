// A page of the wizard. Its completeness (Next, or Finish on the last page)
// is set from outside, the way the form's behaviour enables and disables the
// buttons page by page. Its widgets stand at fixed positions for the page's
// rest size; when the page is larger, the widgets told to follow it move or
// grow by the extra room.
#pragma once

#include <QList>
#include <QRect>
#include <QWizardPage>

class WizardPage : public QWizardPage {
    Q_OBJECT
  public:
    // Shares of the extra width and height by which a widget moves and grows.
    struct Follow {
        qreal moveX = 0;
        qreal growX = 0;
        qreal moveY = 0;
        qreal growY = 0;
    };

    explicit WizardPage(QWidget* parent = nullptr) : QWizardPage(parent) {}

    bool isComplete() const override { return complete_; }

    void setComplete(bool complete) {
        if (complete_ != complete) {
            complete_ = complete;
            emit completeChanged();
        }
    }

    // The size at which every widget stands at its own position; below it,
    // nothing moves.
    void setRestSize(const QSize& size);
    // Lets a widget of the page (at any depth) follow the page's size from
    // its present geometry, which is its geometry at the rest size.
    void follow(QWidget* widget, Follow how);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Follower {
        QWidget* widget;
        QRect rest;
        Follow how;
    };

    void placeFollowers();

    bool complete_ = true;
    QSize restSize_;
    QList<Follower> followers_;
};
