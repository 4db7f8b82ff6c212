#pragma once
#include <QString>
#include <QStringList>
#include <initializer_list>

class QTreeWidget;
class QWidget;

// A read-only list of rows with column headings (a report-style list view): whole rows are
// selected, nothing is edited in place.
struct TReportColumn {
    const char* Caption;
    int Width;  // 0: as wide as the view leaves
    Qt::Alignment Alignment;
};
QTreeWidget* NewReportList(QWidget* parent, std::initializer_list<TReportColumn> columns);
// Appends a row, each text aligned as its column's heading.
void AddReportRow(QTreeWidget* list, const QStringList& texts);
