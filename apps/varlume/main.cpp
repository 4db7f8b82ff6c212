#include <QApplication>

#include "ui/main_window.h"
#include "ui/program_icon.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varlume"));
    QApplication::setDesktopFileName(QStringLiteral("varlume"));
    QApplication::setWindowIcon(ProgramIcon());

    TMainOptions options;
    options.Arguments = QApplication::arguments().mid(1);
    TForm_Main form(std::move(options));
    if (!form.Machine) return 1;  // the machine could not be allocated
    // A full-screen mode from the settings file has shown the window already.
    if (!form.isVisible()) form.show();
    return QApplication::exec();
}
