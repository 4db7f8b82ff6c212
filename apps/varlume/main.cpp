#include <QApplication>

#include "ui/main_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varlume"));

    TMainOptions options;
    options.Arguments = QApplication::arguments().mid(1);
    TForm_Main form(std::move(options));
    if (!form.Machine) return 1;  // the machine could not be allocated
    form.show();
    return QApplication::exec();
}
