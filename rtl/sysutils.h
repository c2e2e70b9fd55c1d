// The exception family of the class library. Every error of the program is an
// exception derived from Exception and carries the text shown to the user.
#pragma once

#include <stdexcept>
#include <string>

// An exception with a message text; the root of the program's errors.
class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

// The silent abort: the application frame's error report ignores it.
class EAbort : public Exception {
  public:
    EAbort() : Exception("Operation aborted") {}
};

// A failed conversion, e.g. "'abc' is not a valid integer value".
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

// A file operation failed; the code chooses the message (see InOutErrorMessage).
class EInOutError : public Exception {
  public:
    explicit EInOutError(int code);
    int ErrorCode() const noexcept { return code_; }

  private:
    int code_;
};

// The message the runtime gives an input/output error code: "File not found"
// for 2, ..., "I/O error %d" for codes it has no text for.
std::string InOutErrorMessage(int code);

// Formats like printf into a std::string.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
