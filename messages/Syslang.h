// The operating system's own text for an error code in Russian or Ukrainian: the C library's
// message catalogue of that language, when it is installed; its English text otherwise.
#pragma once
#include <string>

// The text (CP1251, without a line break) of the error code in the language asked for.
std::string SystemErrorTextIn(int code, bool russian);
