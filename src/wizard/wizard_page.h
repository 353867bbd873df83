// A wizard page whose completeness (Next, or Finish on the last page) is set
// from outside, the way the form's behaviour enables and disables the
// buttons page by page.
#pragma once

#include <QWizardPage>

class WizardPage : public QWizardPage {
    Q_OBJECT
  public:
    explicit WizardPage(QWidget* parent = nullptr) : QWizardPage(parent) {}

    bool isComplete() const override { return complete_; }

    void setComplete(bool complete) {
        if (complete_ != complete) {
            complete_ = complete;
            emit completeChanged();
        }
    }

  private:
    bool complete_ = true;
};
