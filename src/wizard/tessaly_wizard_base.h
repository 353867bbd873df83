// The form of the wizard: four pages of widgets at fixed positions on a white
// background, a grey banner above and below every page, and every text the
// user sees. It has no behaviour of its own; TessalyWizard adds it and reaches
// the widgets through the members below, which carry the widgets' object
// names.
#pragma once

#include <QPixmap>
#include <QWizard>

#include "wizard_page.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TessalyWizardBase : public QWizard {
    Q_OBJECT
  public:
    explicit TessalyWizardBase(QWidget* parent = nullptr, const char* name = nullptr,
                               bool modal = false, Qt::WindowFlags flags = {});
    ~TessalyWizardBase() override;

    QSize minimumSizeHint() const override;
    // Whether every label and check box on the pages shows its whole text.
    bool pageTextsFit() const;

    WizardPage* Page0;
    QGroupBox* groupBox1;
    QLabel* textLabel1_3;
    QLabel* textLabel1_3_2;
    QLineEdit* CWInstallDirEdit;
    QLineEdit* CWProjectEdit;
    QPushButton* CWInstallBrowseBtn;
    QPushButton* CWProjectBrowseBtn;
    QGroupBox* groupBox2;
    QLabel* textLabel1;
    QLabel* textLabel1_2;
    QLineEdit* VexaProjectEdit;
    QLineEdit* VexaNameEdit;
    QPushButton* VexaProjectBrowseBtn;
    QLabel* pixmapLabel3;
    QLabel* pixmapLabel3_3;
    QGroupBox* groupBox1_3;
    QLabel* textLabel2_2;
    QLabel* textLabel1_3_3;
    QFrame* line1_2;
    QFrame* line1;

    WizardPage* Page1;
    QGroupBox* groupBox1_2;
    QLineEdit* MsgPersonEdit;
    QPushButton* MsgBrowseBtn;
    QGroupBox* groupBox2_2_2;
    QLineEdit* AnalPersonEdit;
    QPushButton* AnalBrowseBtn;
    QGroupBox* groupBox2_2;
    QLineEdit* CmpPersonEdit;
    QPushButton* CmpBrowseBtn;
    QFrame* line1_2_2;
    QFrame* line1_3;
    QLabel* pixmapLabel3_2;
    QLabel* pixmapLabel3_3_2;
    QGroupBox* groupBox1_3_2;
    QLabel* textLabel2_2_2;

    WizardPage* Page2;
    QGroupBox* groupBox1_3_2_2;
    QLabel* textLabel2_2_2_2;
    QGroupBox* groupBox7;
    QCheckBox* ccCheck;
    QCheckBox* cxxCheck;
    QCheckBox* cCheck;
    QLabel* textLabel2;
    QCheckBox* hCheck;
    QCheckBox* hhCheck;
    QCheckBox* hppCheck;
    QCheckBox* hxxCheck;
    QCheckBox* cppCheck;
    QLineEdit* CustExtEdit;
    QCheckBox* cdbCheck;
    QFrame* line1_3_2;
    QLabel* pixmapLabel3_2_2;
    QFrame* line1_2_2_2;
    QLabel* pixmapLabel3_3_2_2;

    WizardPage* Page3;
    QLabel* pixmapLabel3_2_2_2;
    QLabel* pixmapLabel3_3_2_2_2;
    QFrame* line1_3_2_2;
    QFrame* line1_2_2_2_2;
    QPlainTextEdit* DetailsText;  // the details log, read-only plain text

  protected slots:
    virtual void languageChange();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void followPageSizes();
    void fitPageFont();

    QPixmap image0;  // top banner
    QPixmap image1;  // bottom banner
    bool sizedToHint = false;
};
