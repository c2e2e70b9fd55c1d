// The text of the application frame's error report: the exception's message,
// with "." appended when the message is not empty and its last character
// sorts after "." as an unsigned byte. So a message ending in a letter, a
// digit, "?", "/" or any byte from 0x80 up (the code page's accented letters)
// gets a full stop; one ending in a blank, "!", ")", "," or "." does not.
//
// Pure function; any thread; never throws beyond std::bad_alloc.
#pragma once

#include <string>

std::string ErrorReportText(const std::string& message);
