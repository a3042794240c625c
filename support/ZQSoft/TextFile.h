// Reading a text file into lines. The status codes are the platform's system error codes
// (the numbers GetLastError reports), so a caller can show or compare them like any file error.
#pragma once

#include <string_view>

#include "win/CString.h"

namespace ZQ {

enum FO_ErrorStatus {
    FO_OK = 0,                          // the lines were read
    FO_FILE_NOT_FOUND = 2,              // no such file in an existing folder
    FO_PATH_NOT_FOUND = 3,              // a folder of the path is missing (or is a file)
    FO_ACCESS_DENIED = 5,               // not readable, or the path is a folder
    FO_NOT_ENOUGH_MEMORY = 8,           // the file does not fit in memory
    FO_INVALID_DATA = 13,               // not text: a zero byte, or a UTF-16 file of odd length
    FO_READ_FAULT = 30,                 // the device failed while reading
    FO_INVALID_PARAMETER = 87,          // null or empty path
    FO_FILENAME_EXCED_RANGE = 206,      // the path or one of its names is too long
    FO_NO_UNICODE_TRANSLATION = 1113,   // (2 only) a character GBK cannot hold, or broken UTF-8/16
    FO_CANT_RESOLVE_FILENAME = 1921,    // symbolic links that loop
};

// Reads the file's lines as GBK text, one element per line, without their line ends (CR LF or
// LF; a CR elsewhere stays in the line). A last line without a line end counts; nothing follows
// a final line end. Lines may be of any length.
//   emptyFirst     true: `lines` is emptied first; false: the lines are appended
//   commentPrefix  lines that start with it (after blanks and tabs) are left out; null or ""
//                  keeps all
//   message        receives, when the status is not FO_OK, what went wrong naming the file
//                  (and the line, for a text that cannot be converted)
// On failure `lines` is unchanged.
FO_ErrorStatus ReadTextFileToStringArray(const char* path, CStringArray& lines, bool emptyFirst = true,
                                         const char* commentPrefix = nullptr, CString* message = nullptr);

// The same for text that may also be Unicode: a file starting with a byte-order mark is read as
// UTF-8 (EF BB BF), UTF-16 LE (FF FE) or UTF-16 BE (FE FF) and converted to GBK, losslessly or
// not at all (FO_NO_UNICODE_TRANSLATION names the line). A file without a mark is GBK as above.
FO_ErrorStatus ReadTextFileToStringArray2(const char* path, CStringArray& lines, bool emptyFirst = true,
                                          const char* commentPrefix = nullptr, CString* message = nullptr);

// What the readers do with a file's bytes, for text already in memory: `unicodeMarks` false as
// the first reader, true as the second. On failure `lines` is unchanged and `message` says why
// (without a file name).
FO_ErrorStatus TextToStringArray(std::string_view bytes, CStringArray& lines, bool unicodeMarks,
                                 CString* message = nullptr);

}  // namespace ZQ
