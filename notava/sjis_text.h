// Shift-JIS (code page 932) <-> UTF-8 through the C library's iconv. The ToDo
// files keep their texts as Shift-JIS bytes; they are converted only where
// they are shown.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Never fails: a byte sequence that is no Shift-JIS character becomes U+FFFD
// and the conversion goes on after it.
std::string sjisToUtf8(std::string_view sjis);

// Nothing when the text holds a character that Shift-JIS lacks.
std::optional<std::string> utf8ToSjis(std::string_view utf8);
