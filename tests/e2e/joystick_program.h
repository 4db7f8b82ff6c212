#pragma once
#include <cstdint>
#include <vector>

// A PRG of this project's own that moves a ball around the text screen with either joystick,
// reading them as games do: $FF to $FD30 (no keyboard line), $FA to $FF08 and a read of $FF08
// for port 1, $FD for port 2. The ball (screen code $51) starts at column 20, row 12 and moves
// one cell every second frame in the direction held; it shows as '*' while fire is held. The
// raw reads of the last round stay at $D5 (port 1) and $D6 (port 2), the column at $D0 and the
// row at $D1. A BASIC line 10 SYS4109 starts it, so the PRG loads and runs like any program.
inline const std::vector<uint8_t> JoystickBallPrg = {
    0x01, 0x10,                    // load address $1001
    0x0B, 0x10, 0x0A, 0x00, 0x9E,  // 1001          line link, line 10, SYS
    0x34, 0x31, 0x30, 0x39, 0x00,  //               "4109", end of line
    0x00, 0x00,                    //               end of program
    // Clear the screen; no interrupts from here on, so nothing else touches $FD30 or $FF08.
    0x78,                          // 100D start:   SEI
    0xA9, 0x93,                    // 100E          LDA #$93
    0x20, 0xD2, 0xFF,              // 1010          JSR $FFD2
    0x78,                          // 1013          SEI
    0xA9, 0x14,                    // 1014          LDA #20
    0x85, 0xD0,                    // 1016          STA $D0
    0xA9, 0x0C,                    // 1018          LDA #12
    0x85, 0xD1,                    // 101A          STA $D1
    // Rub the ball out, move it, draw it (a star while fire is held), wait two frames.
    0x20, 0x47, 0x10,              // 101C loop:    JSR read
    0x20, 0x98, 0x10,              // 101F          JSR where
    0xA9, 0x20,                    // 1022          LDA #$20
    0xA0, 0x00,                    // 1024          LDY #0
    0x91, 0xD3,                    // 1026          STA ($D3),Y
    0x20, 0x67, 0x10,              // 1028          JSR move
    0x20, 0x98, 0x10,              // 102B          JSR where
    0xA5, 0xD2,                    // 102E          LDA $D2
    0x29, 0xC0,                    // 1030          AND #$C0
    0xF0, 0x04,                    // 1032          BEQ ball
    0xA9, 0x2A,                    // 1034          LDA #$2A
    0xD0, 0x02,                    // 1036          BNE put
    0xA9, 0x51,                    // 1038 ball:    LDA #$51
    0xA0, 0x00,                    // 103A put:     LDY #0
    0x91, 0xD3,                    // 103C          STA ($D3),Y
    0x20, 0xC2, 0x10,              // 103E          JSR frame
    0x20, 0xC2, 0x10,              // 1041          JSR frame
    0x4C, 0x1C, 0x10,              // 1044          JMP loop
    // $D2 := the switches of both ports, active high.
    0xA9, 0xFF,                    // 1047 read:    LDA #$FF
    0x8D, 0x30, 0xFD,              // 1049          STA $FD30
    0xA9, 0xFA,                    // 104C          LDA #$FA
    0x8D, 0x08, 0xFF,              // 104E          STA $FF08
    0xAD, 0x08, 0xFF,              // 1051          LDA $FF08
    0x85, 0xD5,                    // 1054          STA $D5
    0xA9, 0xFD,                    // 1056          LDA #$FD
    0x8D, 0x08, 0xFF,              // 1058          STA $FF08
    0xAD, 0x08, 0xFF,              // 105B          LDA $FF08
    0x85, 0xD6,                    // 105E          STA $D6
    0x25, 0xD5,                    // 1060          AND $D5
    0x49, 0xFF,                    // 1062          EOR #$FF
    0x85, 0xD2,                    // 1064          STA $D2
    0x60,                          // 1066          RTS
    // One cell in each direction held, kept on the screen.
    0xA5, 0xD2,                    // 1067 move:    LDA $D2
    0x85, 0xD8,                    // 1069          STA $D8
    0x46, 0xD8,                    // 106B          LSR $D8
    0x90, 0x06,                    // 106D          BCC noup
    0xA5, 0xD1,                    // 106F          LDA $D1
    0xF0, 0x02,                    // 1071          BEQ noup
    0xC6, 0xD1,                    // 1073          DEC $D1
    0x46, 0xD8,                    // 1075 noup:    LSR $D8
    0x90, 0x08,                    // 1077          BCC nodown
    0xA5, 0xD1,                    // 1079          LDA $D1
    0xC9, 0x18,                    // 107B          CMP #24
    0xF0, 0x02,                    // 107D          BEQ nodown
    0xE6, 0xD1,                    // 107F          INC $D1
    0x46, 0xD8,                    // 1081 nodown:  LSR $D8
    0x90, 0x06,                    // 1083          BCC noleft
    0xA5, 0xD0,                    // 1085          LDA $D0
    0xF0, 0x02,                    // 1087          BEQ noleft
    0xC6, 0xD0,                    // 1089          DEC $D0
    0x46, 0xD8,                    // 108B noleft:  LSR $D8
    0x90, 0x08,                    // 108D          BCC noright
    0xA5, 0xD0,                    // 108F          LDA $D0
    0xC9, 0x27,                    // 1091          CMP #39
    0xF0, 0x02,                    // 1093          BEQ noright
    0xE6, 0xD0,                    // 1095          INC $D0
    0x60,                          // 1097 noright: RTS
    // $D3/$D4 := $0C00 + row * 40 + column.
    0xA9, 0x00,                    // 1098 where:   LDA #0
    0x85, 0xD4,                    // 109A          STA $D4
    0xA5, 0xD1,                    // 109C          LDA $D1
    0x0A,                          // 109E          ASL A
    0x0A,                          // 109F          ASL A
    0x0A,                          // 10A0          ASL A
    0x85, 0xD3,                    // 10A1          STA $D3
    0x0A,                          // 10A3          ASL A
    0x26, 0xD4,                    // 10A4          ROL $D4
    0x0A,                          // 10A6          ASL A
    0x26, 0xD4,                    // 10A7          ROL $D4
    0x18,                          // 10A9          CLC
    0x65, 0xD3,                    // 10AA          ADC $D3
    0x85, 0xD3,                    // 10AC          STA $D3
    0xA5, 0xD4,                    // 10AE          LDA $D4
    0x69, 0x0C,                    // 10B0          ADC #$0C
    0x85, 0xD4,                    // 10B2          STA $D4
    0xA5, 0xD3,                    // 10B4          LDA $D3
    0x18,                          // 10B6          CLC
    0x65, 0xD0,                    // 10B7          ADC $D0
    0x85, 0xD3,                    // 10B9          STA $D3
    0xA5, 0xD4,                    // 10BB          LDA $D4
    0x69, 0x00,                    // 10BD          ADC #0
    0x85, 0xD4,                    // 10BF          STA $D4
    0x60,                          // 10C1          RTS
    // Until raster 250 has passed and comes round again.
    0xAD, 0x1D, 0xFF,              // 10C2 frame:   LDA $FF1D
    0xC9, 0xFA,                    // 10C5          CMP #$FA
    0xF0, 0xF9,                    // 10C7          BEQ frame
    0xAD, 0x1D, 0xFF,              // 10C9 fw:      LDA $FF1D
    0xC9, 0xFA,                    // 10CC          CMP #$FA
    0xD0, 0xF9,                    // 10CE          BNE fw
    0x60,                          // 10D0          RTS
};
