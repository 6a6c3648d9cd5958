#pragma once

#include "QImageDialog.h"
#include "history/HistoryRecords.h"

#include "ui_HistoryDialog.h"

#include <QList>
#include <QSet>
#include <QString>

#include <functional>

class HistoryBar;
class HistorytypeBar;

// The conversion history: categories by output format on the left, the
// entries of the chosen one on the right with a search by file name (kept
// across categories), one entry deleted from the history at a time, and
// Clear with or without the converted files. Reads the history file once
// when it opens.
//
// A history holds thousands of entries: the entry column has only the rows
// the viewport can show, laid out where those entries stand in the column,
// and gives them other entries as it scrolls. Row k of historyBars() shows
// entry m_shown[m_first + k] of the chosen category.
class HistoryDialog : public QImageDialog, public Ui::HistoryDialog
{
    Q_OBJECT
public:
    explicit HistoryDialog(QWidget* parent, const QString& historyPath = QString());
    ~HistoryDialog() override;

    // Asked at Clear for the outputs of the conversions under way, which
    // are never deleted.
    using BusyOutputs = std::function<QSet<QString>()>;
    void setBusyOutputs(BusyOutputs query) { m_busyOutputs = std::move(query); }

    const QList<HistorytypeBar*>& typeBars() const { return m_typeBars; }
    const QList<HistoryBar*>& historyBars() const { return m_hisBars; }
    HistorytypeBar* currentTypeBar() const { return m_curTypeBar; }

public slots:
    void OnBtnClose();
    void OnBtnClear();
    void slotTypebarPress();
    void slotHistoryBarDelete();
    void slotSearchChange(QString text);

private:
    void InitXml();
    void CreateProfiles();
    // Reads the file again once the entries queued before the window
    // opened are written, keeping the chosen category and the search.
    void reloadEntries();
    void showHistoryBar();
    void clearHistoryBars();
    void saveXml(const QString& type, const QString& filePath, const QString& time);
    // Clear's end, once the history file is deleted (or could not be).
    void clearDone(int notRemoved, bool cleared);
    int selectedIndex() const;
    void filterEntries();
    void showCounts();
    void placeRows();
    int rowPitch() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QString m_path;
    QList<HistoryTypeInfo> m_typeInfos;
    QList<HistorytypeBar*> m_typeBars;
    HistorytypeBar* m_curTypeBar = nullptr;
    QList<HistoryBar*> m_hisBars;
    QString m_search;
    // The entries of the chosen category under the search, in entry order,
    // and the first of them the rows show.
    QList<int> m_shown;
    int m_first = 0;
    int m_rowHeight = 0;
    bool m_placing = false;
    bool m_cleared = false;
    BusyOutputs m_busyOutputs;
};
