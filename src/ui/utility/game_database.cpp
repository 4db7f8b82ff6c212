#include "ui/utility/game_database.h"

// The file is parsed as bytes: no character set conversion by the parser. The packaged header keeps its template bodies behind SI_IMPLEMENTATION; with them here no
// library is needed (the instances are inline, so another user of the header links too).
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <charconv>
#include <cstring>
#include <string>

#include "host/app_paths.h"
#include "machine/paths.h"

namespace {

// Reads a whole regular file. The type is checked before opening, and again on the open
// descriptor (opened without blocking), so a file swapped for a FIFO in between cannot hang.
bool ReadRegularFile(const QString& path, QByteArray& bytes, QString& problem) {
    if (!QFileInfo(path).isFile()) {
        problem = QStringLiteral("not a regular file");
        return false;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        problem = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat status {};
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (!ok) problem = QStringLiteral("not a regular file");
    if (ok && status.st_size > GameDatabaseMaxBytes) {
        problem = QStringLiteral("larger than %1 bytes").arg(GameDatabaseMaxBytes);
        ok = false;
    }
    if (ok) {
        bytes.resize(qsizetype(status.st_size));
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += got;
        }
        if (done != bytes.size()) {
            problem = QStringLiteral("read error");
            ok = false;
        }
    }
    ::close(fd);
    return ok;
}

// The Address key: a decimal integer (surrounding blanks allowed); anything else counts as 0.
long AddressValue(const char* text) {
    if (!text) return 0;
    std::string value(text);
    const auto first = value.find_first_not_of(" \t");
    const auto last = value.find_last_not_of(" \t");
    if (first == std::string::npos) return 0;
    value = value.substr(first, last - first + 1);
    long number = 0;
    const char* begin = value.data() + (value[0] == '+' ? 1 : 0);
    const auto [end, error] = std::from_chars(begin, value.data() + value.size(), number);
    return error == std::errc() && end == value.data() + value.size() ? number : 0;
}

// Game lists are written in Windows-1252 (Latin-1 with printable characters at $80-$9F); a
// name that is valid UTF-8 is taken as that. Positions 1252 leaves empty show as '?'.
QString NameText(const char* bytes) {
    const QByteArray name(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(name);
    if (!utf8.hasError()) return decoded;
    static constexpr char16_t Windows1252[32] = {
        0x20AC, u'?',   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, u'?',   0x017D, u'?',   u'?',   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, u'?',   0x017E, 0x0178};
    QString text;
    for (const char c : name) {
        const uint8_t byte = uint8_t(c);
        text += byte >= 0x80 && byte < 0xA0 ? QChar(Windows1252[byte - 0x80]) : QChar(byte);
    }
    return text;
}

// The file without its lines that hold a NUL byte: such a line is damaged, and the parser would
// take the NUL for the end of the whole text.
QByteArray WithoutDamagedLines(const QByteArray& text) {
    QByteArray kept;
    for (const QByteArray& line : text.split('\n'))
        if (!line.contains('\0')) kept += line + '\n';
    return kept;
}

}  // namespace

std::vector<TGameEntry> GameEntries(const QByteArray& file) {
    CSimpleIniA ini(false, false, false);
    std::vector<TGameEntry> entries;
    const QByteArray text = WithoutDamagedLines(file);
    if (ini.LoadData(text.constData(), size_t(text.size())) < 0) return entries;
    const QString unknown = QStringLiteral("???");
    for (int n = 1;; ++n) {
        const std::string section = "Program" + std::to_string(n);
        if (!ini.GetSection(section.c_str())) break;
        TGameEntry entry;
        const char* name = ini.GetValue(section.c_str(), "Name", nullptr);
        entry.Name = name ? NameText(name) : unknown;
        const long address = AddressValue(ini.GetValue(section.c_str(), "Address", nullptr));
        entry.StartDec = address ? QString::number(address) : unknown;
        entry.StartHex = address ? QStringLiteral("$%1").arg(qulonglong(uint32_t(address)), 4, 16, QLatin1Char('0')).toUpper()
                                 : unknown;
        entries.push_back(entry);
    }
    return entries;
}

QStringList GameDatabaseDirectories() {
    return {QString::fromStdString(ExecutableDirectory()), QString::fromStdString(UserDataDirectory())};
}

TGameDatabase ReadGameDatabase(const QStringList& directories) {
    TGameDatabase database;
    for (const QString& directory : directories) {
        const QString path = directory + QLatin1String(GameDatabaseFile);
        if (!QFileInfo::exists(path)) continue;
        database.Path = path;
        QByteArray text;
        if (!ReadRegularFile(path, text, database.Problem)) {
            database.Status = TGameDatabase::TStatus::Unreadable;
            return database;
        }
        database.Status = TGameDatabase::TStatus::Read;
        database.Entries = GameEntries(text);
        return database;
    }
    return database;
}
