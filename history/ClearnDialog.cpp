#include "ClearnDialog.h"

#include "FormFonts.h"
#include "QIAppUtil.h"

#include <QImageReader>
#include <QPixmap>

ClearnDialog::ClearnDialog(QWidget* parent)
    : QImageDialog(parent)
{
    setupUi(this);
    fitFormFonts(this);
    const QString res = QIAppUtil::getResourcePath();
    // The skin's picture carries a title strip of its own, which under the
    // system's title bar is an empty dark band: like the other dialogs with
    // a system title bar, this one paints the plain skin face, at the
    // picture's size.
    const QSize face = QImageReader(res + "/image/bg_cut.png").size();
    setFixedSize(face.isValid() ? face : size());
    setWindowTitle("Clear");
    setWindowFlags(Qt::Dialog);
    // The native title bar carries the title.
    m_btnClose->hide();
    m_titileLabel->hide();
    m_labTitleIcon->hide();

    m_btnCancel->setBtnImage(res + "/image/BTN_Cancel.png");
    m_btnCancel->setBtnText(tr("Cancel"));
    m_btnCancel->resizeFont();
    m_btnCancel->setTextStyle(TextColorStyle3);
    m_btnClose->setBtnImage(res + "/image/top_btn_close.png");
    m_btnOK->setBtnImage(res + "/image/btn_OK.png");
    m_btnOK->setBtnText(tr("Ok"));
    m_btnOK->resizeFont();
    m_btnOK->setTextStyle(TextColorStyle3);
    m_titileLabel->setText(tr("Clear"));
    m_titileLabel->setStyleSheet("color:white");
    m_labTitleIcon->setPixmap(QPixmap(res + "/exp_image/LOGO_20.png"));

    auto colour = [](QWidget* w, const QColor& text) {
        QPalette p = w->palette();
        p.setColor(QPalette::Active, QPalette::WindowText, text);
        p.setColor(QPalette::Inactive, QPalette::WindowText, text);
        p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
        w->setPalette(p);
    };
    colour(m_removeALL, QColor(80, 80, 80));
    colour(m_removeInfo, QColor(70, 70, 70));
    colour(label, QColor(77, 77, 77));

    connect(m_btnOK, &QPushButton::clicked, this, &ClearnDialog::OnbtnOK);
    connect(m_btnClose, &QPushButton::clicked, this, &ClearnDialog::OnbtnCancel);
    connect(m_btnCancel, &QPushButton::clicked, this, &ClearnDialog::OnbtnCancel);

    m_removeInfo->setChecked(true);
    ResizeChildren(20);
}

ClearnDialog::~ClearnDialog() = default;

bool ClearnDialog::IsRemoveFile() const { return m_removeALL->isChecked(); }

void ClearnDialog::OnbtnOK() { done(ResultOk); }

void ClearnDialog::OnbtnCancel() { done(ResultCancel); }

void ClearnDialog::OnbtnAlso() { done(ResultOk); }
