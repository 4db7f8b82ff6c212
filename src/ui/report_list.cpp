#include "ui/report_list.h"

#include <QHeaderView>
#include <QTreeWidget>

QTreeWidget* NewReportList(QWidget* parent, std::initializer_list<TReportColumn> columns) {
    auto* list = new QTreeWidget(parent);
    list->setColumnCount(int(columns.size()));
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QTreeWidgetItem* header = list->headerItem();
    int column = 0;
    int width = 8;
    for (const TReportColumn& c : columns) {
        header->setText(column, QString::fromLatin1(c.Caption));
        header->setTextAlignment(column, c.Alignment | Qt::AlignVCenter);
        if (c.Width > 0) list->setColumnWidth(column, c.Width);
        width += c.Width > 0 ? c.Width : 80;
        ++column;
    }
    list->setMinimumWidth(width);
    return list;
}

void AddReportRow(QTreeWidget* list, const QStringList& texts) {
    auto* item = new QTreeWidgetItem(list, texts);
    const QTreeWidgetItem* header = list->headerItem();
    for (int column = 0; column < texts.size(); ++column)
        item->setTextAlignment(column, Qt::Alignment(header->textAlignment(column)));
}
