// drivectl: shows and sets drive letters of the Wine session, through its mount manager.
//
//   drivectl show LETTER...                     type and unix folder of each letter
//   drivectl cdrom|fixed LETTER FOLDER [LETTER FOLDER]...
//                                               make each letter an optical drive (or a fixed
//                                               disk) that shows the unix FOLDER; a letter that
//                                               already is one is left alone
//
// Exit code: 0 done, 1 the mount manager refused, 2 usage.
#include "OpticalDrives.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

int usage() {
    std::fputs("usage: drivectl show LETTER... | cdrom|fixed LETTER FOLDER [LETTER FOLDER]...\n",
               stderr);
    return 2;
}

const char* typeName(UINT type) {
    switch (type) {
    case DRIVE_CDROM:
        return "cdrom";
    case DRIVE_FIXED:
        return "fixed";
    case DRIVE_REMOVABLE:
        return "removable";
    case DRIVE_REMOTE:
        return "remote";
    case DRIVE_RAMDISK:
        return "ramdisk";
    case DRIVE_NO_ROOT_DIR:
        return "none";
    default:
        return "unknown";
    }
}

// A drive letter as given: "d", "D" or "d:".
bool parseLetter(const wchar_t* text, char& letter) {
    const size_t length = std::wcslen(text);
    if (length < 1 || length > 2 || (length == 2 && text[1] != L':')) {
        return false;
    }
    const wchar_t c = text[0];
    if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'))) {
        return false;
    }
    letter = static_cast<char>(c);
    return true;
}

// Unix paths are UTF-8 bytes.
std::string toUtf8(const wchar_t* text) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) {
        return std::string();
    }
    std::string result(static_cast<size_t>(length - 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), length, nullptr, nullptr);
    return result;
}

int show(int count, wchar_t** letters) {
    for (int i = 0; i < count; ++i) {
        char letter = 0;
        if (!parseLetter(letters[i], letter)) {
            return usage();
        }
        drivesim::Drive drive;
        const DWORD error = drivesim::query(letter, drive);
        if (error == ERROR_SUCCESS) {
            std::printf("%c: %s %s\n", letter, typeName(drive.type), drive.folder.c_str());
        } else {
            std::printf("%c: none (error %lu)\n", letter, error);
        }
    }
    return 0;
}

int define(UINT type, int count, wchar_t** pairs) {
    if (count == 0 || count % 2 != 0) {
        return usage();
    }
    for (int i = 0; i < count; i += 2) {
        char letter = 0;
        if (!parseLetter(pairs[i], letter)) {
            return usage();
        }
        const std::string folder = toUtf8(pairs[i + 1]);
        drivesim::Drive drive;
        if (drivesim::query(letter, drive) == ERROR_SUCCESS && drive.type == type &&
            drive.folder == folder) {
            std::printf("%c: unchanged\n", letter);
            continue;
        }
        const DWORD error = drivesim::define(letter, type, folder);
        if (error != ERROR_SUCCESS) {
            std::fprintf(stderr, "drivectl: %c: refused, error %lu\n", letter, error);
            return 1;
        }
        std::printf("%c: %s %s\n", letter, typeName(type), folder.c_str());
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return usage();
    }
    const std::wstring command = argv[1];
    if (command == L"show") {
        return argc > 2 ? show(argc - 2, argv + 2) : usage();
    }
    if (command == L"cdrom") {
        return define(DRIVE_CDROM, argc - 2, argv + 2);
    }
    if (command == L"fixed") {
        return define(DRIVE_FIXED, argc - 2, argv + 2);
    }
    return usage();
}
