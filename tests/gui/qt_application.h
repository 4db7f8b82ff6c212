#pragma once
#include <QApplication>
#include <QStringList>
#include <cstdlib>

// One QApplication for the whole test binary, on the offscreen platform and SDL's dummy sound
// driver unless the caller chose others, so the tests need no display and no sound device.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        return new QApplication(argc, argv);
    }();
    return *application;
}

// The first line of each message: a missing ROM's box goes on with the paths it tried.
inline QStringList FirstLines(const QStringList& messages) {
    QStringList lines;
    for (const QString& message : messages) lines << message.section(QLatin1Char('\n'), 0, 0);
    return lines;
}
