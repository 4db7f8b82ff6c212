#pragma once
#include <QDialog>

// "About Varlume": the program's picture, its name line and the credits.
class TForm_About : public QDialog {
    Q_OBJECT
public:
    explicit TForm_About(QWidget* parent = nullptr);
};
