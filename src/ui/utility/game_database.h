#pragma once
#include <QString>
#include <QStringList>
#include <vector>

// The game list of gamedatabase.ini: sections Program1, Program2, ... (numbered from 1, the
// list ends at the first missing number), each with a Name and a decimal start Address.
struct TGameEntry {
    QString Name;      // "???" when the key is missing
    QString StartDec;  // "%d", or "???" for a missing, zero or non-integer address
    QString StartHex;  // "$%.4X", or "???" likewise
};

struct TGameDatabase {
    enum class TStatus { Read, Missing, Unreadable };
    TStatus Status = TStatus::Missing;
    QString Path;     // the file read or refused; empty when none was found
    QString Problem;  // why an existing file could not be read
    std::vector<TGameEntry> Entries;
};

inline constexpr const char* GameDatabaseFile = "gamedatabase.ini";
// A game list is a few kilobytes; anything far larger is not one.
inline constexpr qint64 GameDatabaseMaxBytes = 1 << 20;

// Where the program looks for gamedatabase.ini: beside the executable, then the user's data
// directory ($XDG_DATA_HOME/varlume/, by default ~/.local/share/varlume/).
QStringList GameDatabaseDirectories();

// Reads the first gamedatabase.ini found in `directories` (each with a trailing separator).
// Only a regular file is opened, so a FIFO or device of that name can never block the window.
TGameDatabase ReadGameDatabase(const QStringList& directories);
// The list from the text of an initialisation file.
std::vector<TGameEntry> GameEntries(const QByteArray& text);
