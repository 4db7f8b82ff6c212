#include "media/drive_dos.h"

#include <cstdio>

namespace {

// A 1541 takes command lines of up to 40 bytes into its command buffer.
constexpr size_t CommandBufferSize = 40;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The status of a drive number given before ":" (or at the end of "I0", "V0"): a single-drive
// unit has only drive 0; nothing given means drive 0 too.
TDosStatus DriveNumberStatus(std::string_view head) {
    if (!head.empty() && IsDigit(head.back()) && head.back() != '0') return {DosDriveNotReady};
    return {};
}

// Splits "[d]:NAME" into its name, checking the drive number.
TDosStatus WithoutDrivePrefix(std::string_view& name) {
    const size_t colon = name.find(':');
    if (colon == std::string_view::npos) return {};
    const TDosStatus drive = DriveNumberStatus(name.substr(0, colon));
    name.remove_prefix(colon + 1);
    return drive;
}

TDosStatus Scratch(std::string_view patterns, TDosBackEnd& backEnd) {
    int32_t count = 0;
    for (;;) {
        const size_t comma = patterns.find(',');
        std::string_view pattern = patterns.substr(0, comma);
        if (const TDosStatus drive = WithoutDrivePrefix(pattern); drive.Code != DosOk) return drive;
        if (pattern.empty()) return {DosNoName};
        if (const TDosStatus status = backEnd.Scratch(pattern, count); status.Code != DosOk) return status;
        if (comma == std::string_view::npos) break;
        patterns.remove_prefix(comma + 1);
    }
    return {DosFilesScratched, count};
}

TDosStatus Rename(std::string_view names, TDosBackEnd& backEnd) {
    const size_t equals = names.find('=');
    if (equals == std::string_view::npos) return {DosNoName};
    std::string_view newName = names.substr(0, equals);
    std::string_view oldName = names.substr(equals + 1);
    if (const TDosStatus drive = WithoutDrivePrefix(oldName); drive.Code != DosOk) return drive;
    if (newName.empty() || oldName.empty()) return {DosNoName};
    if (!IsPlainName(newName)) return {DosInvalidName};
    return backEnd.Rename(newName, oldName);
}

TDosStatus Format(std::string_view arguments, TDosBackEnd& backEnd) {
    const size_t comma = arguments.find(',');
    const std::string_view diskName = arguments.substr(0, comma);
    if (diskName.empty()) return {DosNoName};
    if (comma == std::string_view::npos) return backEnd.Format(diskName.substr(0, 16), {}, false);
    const std::string_view id = arguments.substr(comma + 1);
    if (id.empty()) return {DosNoName};
    return backEnd.Format(diskName.substr(0, 16), id.substr(0, 2), true);
}

}  // namespace

const char* DosMessage(int32_t code) {
    switch (code) {
        case DosOk: return " OK";
        case DosFilesScratched: return "FILES SCRATCHED";
        case DosWriteError: return "WRITE ERROR";
        case DosWriteProtect: return "WRITE PROTECT ON";
        case DosSyntaxError:
        case DosInvalidCommand:
        case DosLineTooLong:
        case DosInvalidName:
        case DosNoName: return "SYNTAX ERROR";
        case DosFileTooLarge: return "FILE TOO LARGE";
        case DosWriteFileOpen: return "WRITE FILE OPEN";
        case DosFileNotFound: return "FILE NOT FOUND";
        case DosFileExists: return "FILE EXISTS";
        case DosFileTypeMismatch: return "FILE TYPE MISMATCH";
        case DosNoBlock: return "NO BLOCK";
        case DosIllegalTrackSector: return "ILLEGAL TRACK AND SECTOR";
        case DosNoChannel: return "NO CHANNEL";
        case DosDiskFull: return "DISK FULL";
        case DosVersion: return "VARLUME DOS V1.0";
        case DosDriveNotReady: return "DRIVE NOT READY";
        default: return "UNKNOWN ERROR";
    }
}

std::string TDosStatus::Line() const {
    char line[48];
    std::snprintf(line, sizeof line, "%02d,%s,%02d,%02d", int(Code % 100), DosMessage(Code), int(Track % 100),
                  int(Sector % 100));
    return line;
}

bool IsPlainName(std::string_view name) {
    if (name.empty() || name.size() > 16) return false;
    for (char c : name) {
        const auto code = uint8_t(c);
        // Wildcards, the separators of names and options, and the host's path separators.
        if (code < 0x20 || code > 0x7E) return false;
        if (c == '*' || c == '?' || c == ',' || c == ':' || c == '=' || c == '"' || c == '/' || c == '\\') return false;
    }
    return name != "." && name.find("..") == std::string_view::npos;
}

TOpenRequest ParseOpenName(std::string_view name, int32_t secondary) {
    TOpenRequest request;
    if (!name.empty() && name.front() == '#') {
        request.Kind = TOpenRequest::DirectBuffer;
        request.Status = ParseBufferNumber(name.substr(1), request.Buffer);
        return request;
    }
    if (secondary == 1) {
        request.Mode = TOpenRequest::Write;
        request.Type = FilePrg;
    }
    const size_t comma = name.find(',');
    std::string_view file = name.substr(0, comma);
    if (!file.empty() && file.front() == '@') {
        request.Replace = true;
        file.remove_prefix(1);
    }
    request.Status = WithoutDrivePrefix(file);
    request.Name = std::string(file);
    // Each option is known by its first letter: S, P, U, L a file type; R, W, A, M a mode.
    for (std::string_view options = comma == std::string_view::npos ? std::string_view() : name.substr(comma + 1);
         !options.empty();) {
        const size_t next = options.find(',');
        const std::string_view option = options.substr(0, next);
        if (!option.empty()) {
            switch (option.front()) {
                case 'S': request.Type = FileSeq; break;
                case 'P': request.Type = FilePrg; break;
                case 'U': request.Type = FileUsr; break;
                case 'L': request.Type = FileRel; break;
                case 'R': case 'M': request.Mode = TOpenRequest::Read; break;
                case 'W': request.Mode = TOpenRequest::Write; break;
                case 'A': request.Mode = TOpenRequest::Append; break;
                default: break;
            }
        }
        if (next == std::string_view::npos) break;
        options.remove_prefix(next + 1);
    }
    if (request.Mode != TOpenRequest::Read && request.Type == FileAnyType) request.Type = FileSeq;
    // Only a read of "$" is the directory. A write of a name beginning with "$" (SAVE"$",
    // SAVE"0:$", "$,S,W") would make a file that no LOAD can name: it is refused.
    const bool dollar = !name.empty() && name.front() == '$';
    if (request.Mode != TOpenRequest::Read && (dollar || (!request.Name.empty() && request.Name.front() == '$'))) {
        if (request.Status.Code == DosOk) request.Status = {DosInvalidName};
        return request;
    }
    if (dollar) {
        request = TOpenRequest();
        request.Kind = TOpenRequest::Directory;
        return request;
    }
    if (request.Status.Code != DosOk) return request;
    if (request.Type == FileRel) {
        request.Status = {DosFileTypeMismatch};  // relative files are not kept by this drive
    } else if (request.Name.empty()) {
        request.Status = {DosNoName};
    } else if (request.Mode != TOpenRequest::Read && !IsPlainName(request.Name)) {
        request.Status = {DosInvalidName};
    }
    return request;
}

TDosStatus ParseBufferNumber(std::string_view digits, int32_t& buffer) {
    buffer = -1;
    if (digits.empty()) return {};
    if (digits.size() > 1 || digits[0] < '0' || digits[0] > '4') return {DosNoChannel};
    buffer = digits[0] - '0';
    return {};
}

TDosStatus ExecuteDosCommand(std::string_view command, TDosBackEnd& backEnd, const TBufferLookup& buffers) {
    while (!command.empty() && command.back() == '\r') command.remove_suffix(1);
    if (command.empty()) return {};
    if (command.size() > CommandBufferSize) return {DosLineTooLong};
    // Block and memory commands carry numbers, not a drive number, before any ":".
    if (command.front() == 'U' || command.front() == 'M' || command.rfind("B-", 0) == 0)
        return ExecuteBlockCommand(command, backEnd, buffers);
    const size_t colon = command.find(':');
    const std::string_view head = command.substr(0, colon);
    const std::string_view arguments = colon == std::string_view::npos ? std::string_view() : command.substr(colon + 1);
    if (const TDosStatus drive = DriveNumberStatus(head); drive.Code != DosOk) return drive;
    switch (command.front()) {
        case 'I':  // initialise: the disk's map is read again, which a kept image needs no more
            return {};
        case 'V':
            return backEnd.Validate();
        case 'S':
            if (colon == std::string_view::npos) return {DosNoName};
            return Scratch(arguments, backEnd);
        case 'R':
            if (colon == std::string_view::npos) return {DosNoName};
            return Rename(arguments, backEnd);
        case 'N':
            if (colon == std::string_view::npos) return {DosNoName};
            return Format(arguments, backEnd);
        default:
            return {DosInvalidCommand};
    }
}
