#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "gui/form_fixture.h"

namespace {

// One line per item: caption, [shortcut], (disabled), (hidden), ( ) or (x) for a check mark
// that is off or on; "---" for a separator; a sub-menu's items indented below it.
void Dump(const QMenu* menu, int depth, QString& out) {
    for (const QAction* item : menu->actions()) {
        out += QString(depth * 2, QLatin1Char(' '));
        if (item->isSeparator()) {
            out += QStringLiteral("---\n");
            continue;
        }
        out += item->text();
        if (!item->shortcut().isEmpty()) out += " [" + item->shortcut().toString() + "]";
        if (!item->isEnabled() && item->isVisible()) out += QStringLiteral(" (disabled)");  // hidden ones read as disabled
        if (!item->isVisible()) out += QStringLiteral(" (hidden)");
        if (item->isCheckable()) out += item->isChecked() ? QStringLiteral(" (x)") : QStringLiteral(" ( )");
        out += QLatin1Char('\n');
        if (item->menu()) Dump(item->menu(), depth + 1, out);
    }
}

QString DumpMenuBar(QMenuBar* bar) {
    QString out;
    for (const QAction* top : bar->actions()) {
        out += top->text() + QLatin1Char('\n');
        Dump(top->menu(), 1, out);
    }
    return out;
}

using MenuTreeTest = FormFixture;

}  // namespace

// The whole tree as it stands after start-up with default settings.
TEST_F(MenuTreeTest, TheMenuBarHoldsEveryItemWithItsCaptionShortcutStateAndSeparators) {
    auto form = MakeForm();
    const QString expected = QStringLiteral(R"(&File
  &Load PRG file... [F8]
  &Save PRG file... [Shift+F8]
  Save &Basic program...
  Save &Screenshot...
  ---
  &Load TAP image...
  ---
  &Attach D64 Image...
    Drive &8
    Drive &9
  &Detach D64 Image...
    Drive &8
    Drive &9
  Select &Directory...
    Drive &8
    Drive &9
  ---
  Attach &MTAP Image... (disabled)
  Detach M&TAP Image... (disabled)
  Attach &Cartridge...
  &Detach Cartridge (disabled)
  ---
  Recent &Files (disabled)
  ---
  E&xit [F12]
&Edit
  &Paste [Ctrl+Shift+V]
&View
  &Status Bar (x)
  &Always on Top (hidden) ( )
  ---
  Quick &CPU Registers... [Shift+F9] ( )
  Quick &TED Registers... (disabled)
  BASIC System &Informaion...
  Game Database [Shift+F7]
  ---
  Screen &Mode
    320x200 - Windowed GDI ( )
    360x240 - Windowed GDI (x)
    400x300 - Windowed GDI ( )
    456x312 - Windowed GDI ( )
    ---
    320x200 - Double Windowed GDI ( )
    360x240 - Double Windowed GDI ( )
    ---
    320x200 - Full Screen DirectX ( )
    320x240 - Full Screen DirectX ( )
    400x300 - Full Screen DirectX ( )
    512x384 - Full Screen DirectX ( )
    640x480 - Full Screen DirectX ( )
  Screen Refresh
    Every Frame (x)
    Skip 1 Frame ( )
    Skip 2 Frames ( )
    Skip 3 Frames ( )
  &Palette
    &Calculated ( )
    Digitized &1 (x)
    Digitized &2 ( )
  ---
  S&how Speed ( )
&Machine
  &Reset [F11]
  &Hard Reset [Shift+F11]
  &Special Reset [Ctrl+F11]
  ---
  Sound
    No sound (x)
    Wave Mapper (disabled) ( )
    DirectSound ( )
  ---
  &Tape
    Press &Play [F5]
    Press &Stop [Shift+F5] (disabled)
    &Rewind tape
  Drive &8
    &None (x)
    &Directory ( )
    D64 &File ( )
  Drive &9
    &None (x)
    &Directory ( )
    D64 &File ( )
  ---
  S&ynchronization
    &None ( )
    &50Hz (x)
    Vertical Blank (disabled) ( )
  &Warp [Alt+W] ( )
  &Machine Type
    Commodore 16 (x)
    Commodore 232 ( )
    Commodore Plus4 ( )
    ---
    Commodore 16 with 64K RAM ( )
    Custom Machine (disabled) ( )
&Debug
  &Debugger... [F9]
  ---
  M&icro-Code Debugger...
  &Memory Dump...
  &CPU Registers...
  CPU &Stack...
  &TED Registers...
  &BreakPoints...
  ---
  Log Window...
  Stop on undocumented opcodes ( )
&Joystick
  Joystick Port &1
    &None (x)
    &Keyboard ( )
    &Gamepad ( )
  Joystick Port &2
    &None (x)
    &Keyboard ( )
    &Gamepad ( )
&Options
  &Save snapshot image... [F6]
  &Load snapshot image... [Shift+F6]
  ---
  &Process Priority
    &Normal (x)
    &High ( )
    &Realtime ( )
  P&roperties... [F7]
  &Debug server ( )
  ---
  Save &Current Settings
&Help
  &Homepage...
  &Keyboard Layout...
  ---
  &About...
)");
    EXPECT_EQ(DumpMenuBar(form->menuBar()).toStdString(), expected.toStdString());
}

TEST_F(MenuTreeTest, TheFullScreenPopUpMenuMirrorsTheMenuBarsCommands) {
    auto form = MakeForm();
    QString out;
    Dump(form->PopupMenu_FS, 0, out);
    EXPECT_EQ(out.toStdString(), QStringLiteral(R"(Screen &Mode
  320x200 - Windowed GDI
  360x240 - Windowed GDI
  400x300 - Windowed GDI
  456x312 - Windowed GDI
S&ynchronization
  &None ( )
  &50Hz ( )
  &Vertical Blank ( )
&Show Speed ( )
---
&Machine
  Reset [F11]
  Hard Reset [Shift+F11]
  Special Reset [Ctrl+F11]
&Tape
  Press &Play [F5]
  Press &Stop [Shift+F5] (disabled)
  Rewind Tape
---
E&xit [F12]
)").toStdString());

    // Its items run the menu bar's commands and follow their enabled state.
    QAction* popupReset = form->PopupMenu_FS->actions()[4]->menu()->actions()[0];
    popupReset->trigger();
    EXPECT_EQ(form->StatusPanelText(0), "Soft reset has been performed.");
    QMenu* tape = form->PopupMenu_FS->actions()[5]->menu();
    tape->actions()[0]->trigger();
    EXPECT_TRUE(form->Machine->Memory.PlayKey);
    EXPECT_FALSE(tape->actions()[0]->isEnabled());
    EXPECT_TRUE(tape->actions()[1]->isEnabled());
    QAction* popupMode = form->PopupMenu_FS->actions()[0]->menu()->actions()[3];
    popupMode->trigger();
    EXPECT_EQ(form->DisplayMode, 3);
    EXPECT_TRUE(form->Menu_GDI456x312->isChecked());
}

