// File › Attach Cartridge and Detach Cartridge, and cartridge files dropped on the window.
#include <QAction>
#include <QFile>
#include <QMenu>

#include "machine/cartridge.h"
#include "ui/main_window.h"

void TForm_Main::CreateCartridgeItems(QMenu* file) {
    AttachCartridge1 = file->addAction(QStringLiteral("Attach &Cartridge..."));
    connect(AttachCartridge1, &QAction::triggered, this, [this] {
        const QString path = Prompts.OpenFile(QString(), DialogDirectory(QStringLiteral("cartridge")),
                                              QStringLiteral("Cartridge images (*.crt *.bin *.rom);;All files (*)"));
        if (path.isEmpty()) return;
        RememberDirectory(QStringLiteral("cartridge"), path);
        if (AttachCartridgeFile(path)) RememberRecentFile(path);
    });
    DetachCartridge1 = file->addAction(QStringLiteral("&Detach Cartridge"));
    DetachCartridge1->setEnabled(false);
    connect(DetachCartridge1, &QAction::triggered, this, [this] {
        if (!Machine) return;
        DetachCartridge(*Machine);
        DetachCartridge1->setEnabled(false);
        StatusMessage("The cartridge has been detached.");
    });
}

bool TForm_Main::AttachCartridgeFile(const QString& path) {
    if (!Machine) return false;
    TCartridgeImage image;
    std::string error;
    if (!ReadCartridgeFile(QFile::encodeName(path).toStdString(), image, error)) {
        ErrorBox(("Cannot attach the cartridge: " + error).c_str());
        return false;
    }
    AttachCartridge(*Machine, image);
    if (DetachCartridge1) DetachCartridge1->setEnabled(true);
    StatusMessage("The cartridge has been attached.");
    return true;
}
