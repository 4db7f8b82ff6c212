#pragma once
#include <array>

#include "machine/machine.h"
#include "ui/debugger/inspection_window.h"
#include "ui/debugger/debug_widgets.h"
#include "ui/hex_edit.h"

class QCheckBox;

// "CPU Registers": the processor's registers and flags while emulation is stopped. The only
// inspection window that changes the machine: leaving an edit whose text was typed into, or
// pressing Enter, stores its value; clicking a flag box stores the flag at once.
class TForm_DebugCPU : public TInspectionWindow {
    Q_OBJECT
public:
    TForm_DebugCPU(TMachine& machine, QWidget* parent);

    void Refresh() override;
    void EnableView() override { SetControlsEnabled(true); }
    void DisableView() override { SetControlsEnabled(false); }

    THexEdit* Edit_PC = nullptr;
    THexEdit* Edit_A = nullptr;
    THexEdit* Edit_X = nullptr;
    THexEdit* Edit_Y = nullptr;
    THexEdit* Edit_SP = nullptr;
    // N, V, B, D, I, Z, C
    std::array<QCheckBox*, 7> CheckBox_Flags{};

signals:
    // Enter in Edit_PC: the debugger redraws its listing with the new marker.
    void ProgramCounterEntered();
    // A register or flag was stored: the register line and the stack follow.
    void RegistersEdited();

private:
    void SetControlsEnabled(bool enabled);
    // Stores the edit's value into its register, then shows every register again.
    void StoreEdit(THexEdit* edit);
    void EditExit(THexEdit* edit);
    void EditEnter(THexEdit* edit);
    uint8_t* FlagByte(int index);

    TMachine& Machine;
};
