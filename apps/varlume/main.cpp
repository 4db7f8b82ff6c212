#include <QApplication>
#include <cstdio>
#include <cstring>

#include "ui/main_window.h"
#include "ui/program_icon.h"

namespace {

constexpr const char* UsageText =
    "Usage: varlume [FILE]\n"
    "Emulates a Commodore 16, 116 or Plus/4 in a window, with its disk drives, tape, joysticks\n"
    "and a debugger.\n"
    "\n"
    "FILE, once the machine has booted to BASIC, is opened as dropping it on the window does:\n"
    "a PRG is loaded and run, a D64 disk image attached to drive 8 and its first program\n"
    "loaded and run, a TAP tape image inserted and LOAD typed, a .vsn snapshot restored.\n"
    "\n"
    "Options:\n"
    "  --help     this text\n"
    "  --version  the program's version\n"
    "\n"
    "Files:\n"
    "  The ROM images (basic.bin, kernal.bin, 3plus1lo.rom, 3plus1hi.rom) are read from the\n"
    "  program's directory, then from ~/.local/share/varlume/roms. They are not included;\n"
    "  the set-up script fetch-roms.sh (in share/varlume when installed) fetches them.\n"
    "  The settings are kept in varlume.ini beside the program when its directory is\n"
    "  writable, else in ~/.config/varlume/varlume.ini.\n";

}  // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so that they need no display.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(UsageText, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("varlume " VARLUME_VERSION);
        return 0;
    }
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
