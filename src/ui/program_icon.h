#pragma once
#include <QIcon>

// The program's picture (data/varlume.png, compiled in), for the window and the About box.
inline QIcon ProgramIcon() {
    Q_INIT_RESOURCE(varlume);
    return QIcon(QStringLiteral(":/varlume.png"));
}
