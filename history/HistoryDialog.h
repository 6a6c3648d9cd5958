#pragma once

#include "QImageDialog.h"

#include <QList>
#include <QString>

class QImageButton;
class QTreeWidget;

// The conversion history, grouped by output format. This first version
// lists the entries of the history file; search and deletion come later.
class HistoryDialog : public QImageDialog
{
    Q_OBJECT
public:
    struct Entry
    {
        QString filepath;
        QString time;
    };
    struct Category
    {
        QString name;
        QList<Entry> entries;
    };

    explicit HistoryDialog(QWidget *parent);
    ~HistoryDialog() override;

    // Reads the person's history file; one that cannot be read is set
    // aside as history.xml.bad.
    void InitXml();
    // Writes the categories back in the same form.
    void saveXml();

    static QString historyFilePath();
    const QList<Category> &categories() const { return m_categories; }

private:
    void fillTree();

    QList<Category> m_categories;
    QTreeWidget *m_tree = nullptr;
    QImageButton *m_btnClose = nullptr;
};
