// What went wrong in the tools' library functions, as a kind and its message; the programs make it an exit status.
#pragma once

#include <string>

// kRefused: an argument, the layout or the output was refused (nothing is written);
// kFailed: the fonts, the context, the drawing or the writing failed.
enum class ErrorKind { kNone, kRefused, kFailed };

struct Error {
    ErrorKind kind = ErrorKind::kNone;
    std::string message;  // one French line; empty for kNone
};

// The tools' documented exit status for an error's kind: 0 for none, 2 refused, 1 failed.
inline int exitStatus(const Error& error) {
    switch (error.kind) {
        case ErrorKind::kNone:
            return 0;
        case ErrorKind::kRefused:
            return 2;
        case ErrorKind::kFailed:
            return 1;
    }
    return 1;
}
