#pragma once

#include <windows.h>

#include <cstdio>

// A file's modification time as one number, UTC in 100 ns steps since 1601
// (a FILETIME's value); 0 when it is not known.
using FileStamp = ULONGLONG;

// A file's time as a transfer knows it: the stamp to give the copy, whether
// it may be compared with another side's (a server's clock without a known
// zone may not), and whether it is UTC to the second (MLSD, MDTM and local
// files; LIST gives minutes, or a day).
struct KnownTime {
    FileStamp utc = 0;
    bool comparable = false;
    bool exact = false;
};

// What a session says of the server's clock, which LIST times are read by:
// its offset from UTC in whole hours, when the user gave one.
struct ServerClock {
    bool offsetGiven = false;
    LONG offsetHours = 0;
};

FileStamp StampOf(const FILETIME& time);
FILETIME ToFileTime(FileStamp stamp);

// The "if newer" rule: the source replaces the target when it is newer by
// more than 2 s (FAT keeps times in 2-second steps). A time that is unknown
// or cannot be compared never skips a file silently: it is transferred.
bool SourceIsNewer(const KnownTime& source, const KnownTime& target);

// A listed entry's time: MLSD's is UTC; a LIST time is the server's clock,
// UTC once its offset is known, else taken as the user's own clock (as the
// listing shows it) and never compared; a day without its time gives none.
KnownTime ListedTimeOf(const WIN32_FIND_DATAW& data, const ServerClock& clock);

// Local files. A time read from a file is exact; one set through an open
// stream is set after the stream is flushed, so that no later write of the
// buffer changes it again. False when the time could not be read or set.
KnownTime LocalTimeOf(FILE* file);
KnownTime LocalTimeOf(const wchar_t* path);
// Closes a written local file, which first gets the stamp when one is given
// (0: none); false when its data did not all reach the file. The time is
// set after the last write, which would otherwise change it again.
bool CloseLocalFile(FILE* file, FileStamp stamp);
// The Windows handle under a C stream.
HANDLE HandleOf(FILE* file);
