// What sets one program's debug log apart. Every program links the standard profile
// from the common library except Tilehop, whose own definition of logProfile() takes
// its place at link time.
#pragma once

struct LogProfile {
    bool threadIdPrefix;           // lines begin with " [TID: n] "
    int defaultDestination;        // used when "Destination" is absent
    int fallbackDestination;       // what an unknown "Destination" counts as
    const wchar_t* defaultLogFile; // "LogFile" when absent
    const wchar_t* datePicture;    // date of "TimeDateFormat" 2
};

const LogProfile& logProfile() noexcept;
