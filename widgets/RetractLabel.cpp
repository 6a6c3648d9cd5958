#include "RetractLabel.h"

#include "LogCategories.h"

#include <QEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace {

QString baseName(const QString& name)
{
    const int dot = name.lastIndexOf('.');
    return dot < 0 ? name : name.left(dot);
}

QString extension(const QString& name)
{
    const int dot = name.lastIndexOf('.');
    return dot < 0 ? QString() : name.mid(dot);
}

} // namespace

RetractLabel::RetractLabel(QWidget* parent)
    : QLabel(parent)
{
    installEventFilter(this);
}

RetractLabel::~RetractLabel() = default;

void RetractLabel::setText(const QString& text)
{
    m_strFullText = text;

    // Measured wrapped at any character, so a label two lines high uses both
    // lines before cutting.
    const QFontMetrics fm = fontMetrics();
    const QRect box(0, 0, width(), 0);
    QRect measured = fm.boundingRect(box, Qt::TextWrapAnywhere, text);
    QString shown = text;

    if (measured.height() <= height()) {
        setToolTip(QString(""));
    } else {
        shown = QString("...");
        for (int n = text.length() - 1; n >= 0; --n) {
            const QString candidate = text.left(n) + "...";
            measured = fm.boundingRect(box, Qt::TextWrapAnywhere, candidate);
            if (measured.height() <= height()) {
                shown = candidate;
                break;
            }
        }
        setToolTip(text);
    }

    m_nTextWidth = measured.width();
    QLabel::setText(shown);
}

QString RetractLabel::getName() const { return m_strFullText; }

int RetractLabel::getTextWidth() const { return m_nTextWidth; }

void RetractLabel::setCanEditText(bool)
{
    if (!m_pEdit) {
        m_pEdit = new QLineEdit(this);
        connect(m_pEdit, &QLineEdit::returnPressed, this, &RetractLabel::RenameOK);
        connect(m_pEdit, &QLineEdit::editingFinished, this, &RetractLabel::RenameOK);
        connect(m_pEdit, &QLineEdit::textChanged, this, &RetractLabel::NameChange);
        m_pEdit->setContextMenuPolicy(Qt::NoContextMenu);
    }
    const QString base = baseName(m_strFullText);
    m_strEditName = base;
    m_pEdit->setText(base);
    m_pEdit->setGeometry(0, 0, width(), height());
    m_pEdit->show();
    m_pEdit->selectAll();
    m_pEdit->setFocus();
}

void RetractLabel::NameChange(QString text)
{
    qCDebug(lcWidgets) << text << "-------------------";
    static const QRegularExpression forbidden(QStringLiteral("[/:*\"<>|]"));
    if (text.contains(forbidden) || text.contains('\\'))
        m_pEdit->setText(m_strEditName); // takes the typed character back out
    else
        m_strEditName = text;
}

void RetractLabel::RenameOK()
{
    if (!m_pEdit)
        return;
    m_pEdit->hide();
    QString name = m_pEdit->text();
    if (name == baseName(m_strFullText))
        return;
    // Leading dots would hide the file (they are what is left of "../name"
    // once the slash is refused).
    int dots = 0;
    while (dots < name.size() && name.at(dots) == QLatin1Char('.'))
        ++dots;
    name.remove(0, dots);
    // A blank name would leave the file with only its extension.
    if (name.trimmed().isEmpty())
        return;
    if (name == baseName(m_strFullText))
        return;
    m_strFullText = name + extension(m_strFullText);
    emit emitChangeName();
}

bool RetractLabel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::WindowDeactivate) {
        if (m_pEdit)
            m_pEdit->hide();
        return true;
    }
    return QLabel::eventFilter(watched, event);
}

void RetractLabel::mousePressEvent(QMouseEvent* event)
{
    // Straight to the plain widget: the label's text interaction stays off.
    QWidget::mousePressEvent(event);
}
