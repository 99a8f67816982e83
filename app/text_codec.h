#pragma once
// Conversions between the interface's UTF-16, the system code page and UTF-8.
//
// The system code page is GB18030: byte-compatible with the GBK files written
// on Chinese Windows, and able to carry every Unicode character, so nothing is
// replaced on the way. Settings values, sample files, the engine's string
// arguments and tool logs are system-code-page bytes; the training box file and
// the engine's results are UTF-8.
#include <string>
#include <string_view>

// UTF-16 to system-code-page bytes; characters that cannot be represented
// (lone surrogates) become '?'. Empty in, empty out.
std::string ToSystemCodePage(std::u16string_view text);

// System-code-page bytes to UTF-16; undecodable bytes become U+FFFD.
std::u16string FromSystemCodePage(std::string_view bytes);

// System code page to UTF-8 and back, by way of UTF-16. Both stop at the first
// zero byte of their input, as the C strings they were made for.
std::string SystemToUtf8(std::string_view bytes);
std::string Utf8ToSystem(std::string_view bytes);
