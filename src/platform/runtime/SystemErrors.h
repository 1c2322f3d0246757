#pragma once
// System error numbers as the program knows them: the original platform's codes
// (callers test for 32, a sharing violation, and 5, access denied), a
// per-thread "last error" set by the file and process services, and the French
// text of each code.
#include <cstdint>
#include <string>

constexpr uint32_t ERROR_SUCCESS = 0;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr uint32_t ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_INVALID_HANDLE = 6;
constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr uint32_t ERROR_NOT_SAME_DEVICE = 17;
constexpr uint32_t ERROR_NO_MORE_FILES = 18;
constexpr uint32_t ERROR_WRITE_PROTECT = 19;
constexpr uint32_t ERROR_NOT_READY = 21;
constexpr uint32_t ERROR_GEN_FAILURE = 31;
constexpr uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr uint32_t ERROR_LOCK_VIOLATION = 33;
constexpr uint32_t ERROR_NOT_SUPPORTED = 50;
constexpr uint32_t ERROR_NETWORK_ACCESS_DENIED = 65;
constexpr uint32_t ERROR_FILE_EXISTS = 80;
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_DISK_FULL = 112;
constexpr uint32_t ERROR_INVALID_NAME = 123;
constexpr uint32_t ERROR_DIR_NOT_EMPTY = 145;
constexpr uint32_t ERROR_ALREADY_EXISTS = 183;
constexpr uint32_t ERROR_BAD_EXE_FORMAT = 193;
constexpr uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
constexpr uint32_t ERROR_FILE_TOO_LARGE = 223;
constexpr uint32_t ERROR_DIRECTORY = 267;
constexpr uint32_t ERROR_IO_DEVICE = 1117;
constexpr uint32_t ERROR_CANT_RESOLVE_FILENAME = 1921;
constexpr uint32_t ERROR_CLIPBOARD_NOT_OPEN = 1418;

// The last error of the calling thread.
uint32_t GetLastError();
void SetLastError(uint32_t code);

// The code of a POSIX errno value (ENOENT -> 2, EACCES -> 5, EBUSY -> 32, ...).
uint32_t ErrorFromErrno(int err);
// Sets the last error from errno and returns it.
uint32_t SetLastErrorFromErrno();

// The French text of a code, ending with a full stop ("Accès refusé.").
std::string SysErrorMessage(uint32_t code);
