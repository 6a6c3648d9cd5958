#pragma once

#include <QLabel>
#include <QString>

class QLineEdit;

// Shows a name cut to the label's size with "..." (full name as tool tip)
// and offers an in-place editor to rename it without its extension.
class RetractLabel : public QLabel
{
    Q_OBJECT
public:
    explicit RetractLabel(QWidget* parent = nullptr);
    ~RetractLabel() override;

    // Replaces QLabel::setText: the label keeps the full text and shows it cut
    // to its current size, so give it its final size first.
    void setText(const QString& text);
    QString getName() const;
    int getTextWidth() const;
    // Opens the rename editor; the argument is not used.
    void setCanEditText(bool canEdit);

public slots:
    void RenameOK();
    void NameChange(QString text);

signals:
    void emitChangeName();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString m_strFullText;
    QLineEdit* m_pEdit = nullptr;
    QString m_strEditName;
    int m_nTextWidth = -1;
};
