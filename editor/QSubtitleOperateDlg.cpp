#include "QSubtitleOperateDlg.h"

#include "EditorSkin.h"
#include "FontChoice.h"
#include "FormFonts.h"
#include "QIAppUtil.h"
#include "ShowMessage.h"
#include "editing/EditingState.h"
#include "editing/PickedFiles.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPainter>

QSubtitleOperateDlg::QSubtitleOperateDlg(QWidget* parent, EditingState* state)
    : QWidget(parent)
    , m_state(state)
{
    setupUi(this);
    const QString res = QIAppUtil::getResourcePath() + "/image/VideoEditDlg/";
    m_btnAdd->setBtnImage(res + "button_edit_add.png");
    m_btnFont->setBtnImage(res + "button_edit_font.png");
    m_btnAdd->move(385, 4);
    m_btnFont->move(415, 4);
    m_labSub->move(180, 11);
    editorskin::setPanelText(m_labSub);
    m_editPath->setGeometry(225, 8, 150, 20);
    m_editPath->setReadOnly(true);
    m_cmbAudio->setGeometry(450, 7, 80, 20);
    m_cmbSubtitle->setGeometry(555, 7, 80, 20);

    connect(m_btnFont, &QPushButton::clicked, this, &QSubtitleOperateDlg::setSubtlFont);
    connect(m_cmbAudio, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &QSubtitleOperateDlg::AudioSelChange);
    connect(m_cmbSubtitle, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &QSubtitleOperateDlg::SubtlSelChange);
    connect(m_btnAdd, &QPushButton::clicked, this, &QSubtitleOperateDlg::addSubtitleFile);
    fitFormFonts(this);
}

QSubtitleOperateDlg::~QSubtitleOperateDlg() = default;

void QSubtitleOperateDlg::setAudioCmb(QStringList list, int index)
{
    m_cmbAudio->clear();
    if (list.isEmpty())
        return;
    m_cmbAudio->addItems(list);
    m_cmbAudio->setCurrentIndex(index);
}

void QSubtitleOperateDlg::setSubtlCmb(QStringList list, int index)
{
    m_cmbSubtitle->clear();
    if (list.isEmpty())
        return;
    m_cmbSubtitle->addItems(list);
    m_cmbSubtitle->setCurrentIndex(index);
}

int QSubtitleOperateDlg::GetAudioIndex() { return m_cmbAudio->currentIndex(); }
int QSubtitleOperateDlg::GetSubtlIndex() { return m_cmbSubtitle->currentIndex(); }

void QSubtitleOperateDlg::SetAudioIndex(int index)
{
    m_cmbAudio->setCurrentIndex(index);
    emit AudioSelChange(index);
}

void QSubtitleOperateDlg::setSubtlIndex(int index)
{
    m_cmbSubtitle->setCurrentIndex(index);
    emit SubtlSelChange(index);
}

void QSubtitleOperateDlg::setSubtitlePath(QString path)
{
    m_subtitlePath = path;
    m_editPath->setText(path);
    setSubitleFileToCmb(path);
}

QString QSubtitleOperateDlg::getSubtlPath() { return m_subtitlePath; }

void QSubtitleOperateDlg::setSubitleFileToCmb(const QString& path)
{
    const int streams = m_state ? m_state->subtitleStreams() : 0;
    // One external-file entry at most: a new file replaces the earlier one.
    if (m_cmbSubtitle->count() > streams + 2)
        m_cmbSubtitle->removeItem(m_cmbSubtitle->count() - 1);
    const QString name = QFileInfo(path).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot < 0 ? QString() : name.mid(dot + 1).toUpper();
    m_cmbSubtitle->addItem(QStringLiteral("[%1]*").arg(suffix));
    const int entry = m_cmbSubtitle->count() - 1;
    m_cmbSubtitle->setCurrentIndex(entry);
    emit SubtlSelChange(entry);
}

void QSubtitleOperateDlg::addSubtitleFile()
{
    const QString file = QFileDialog::getOpenFileName(this, tr("Open SubtitleFile"), QStringLiteral("/home"),
                                                      tr("Images (*.ASS *.SSA *.SRT *.SUB *.SMI *.SAMI)"),
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (!file.isEmpty())
        pickSubtitleFile(file);
}

void QSubtitleOperateDlg::pickSubtitleFile(const QString& path)
{
    PickedFiles::checkInBackground(
        this, [path] { return PickedFiles::checkSubtitleFile(path); },
        [this, path](const PickedFiles::Verdict& verdict) {
            if (verdict.usable)
                setSubtitlePath(path);
            else
                ShowMessage(verdict.message, QString());
        });
}

void QSubtitleOperateDlg::setSubtlFont()
{
    if (!m_state)
        return;
    SubtitleSettings settings;
    settings = m_state->subtitle();
    if (fontchoice::choose(this, settings))
        m_state->changeSubtitle(settings);
}

void QSubtitleOperateDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), editorskin::panelColor());
}
