// The characters of a call sign; see the header.
#include "spots/call_sign.h"

bool IsCallCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/';
}
