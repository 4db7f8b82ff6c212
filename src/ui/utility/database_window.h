#pragma once
#include <QDialog>
#include <QStringList>

#include "ui/utility/game_database.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// "Game Database": the programs listed in gamedatabase.ini with their start addresses, read
// again every time the window is shown. It only shows the list.
class TForm_Database : public QDialog {
    Q_OBJECT
public:
    // `directories` are searched in order for the file, each with a trailing separator.
    TForm_Database(QStringList directories, QWidget* parent);

    // Rebuilds the list from the file (FormShow).
    void FormShow();

    QTreeWidget* ListView_GameDatabase = nullptr;
    QPushButton* Button1 = nullptr;  // "Close"
    QPushButton* Button2 = nullptr;  // "Go to address": never visible, no command
    // Says where the list came from, or why there is none.
    QLabel* Label_Source = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QStringList Directories;
};
