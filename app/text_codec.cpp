#include "app/text_codec.h"

#include <cerrno>
#include <iconv.h>

namespace {

constexpr const char *kSystemCodePage = "GB18030";
constexpr const char *kUtf16 = "UTF-16LE";
constexpr const char *kUtf8 = "UTF-8";

// Converts `in` from one encoding to another; an input sequence the target
// cannot take, or that is malformed, is replaced by `replacement` (already in
// the target encoding) and conversion goes on after `skip` input bytes.
std::string Convert(const char *to, const char *from, const char *data, size_t size,
                    const std::string &replacement, size_t skip) {
  std::string out;
  if (size == 0)
    return out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    return out;
  out.resize(size * 4 + 16);
  char *inPtr = const_cast<char *>(data);
  size_t inLeft = size;
  size_t used = 0;
  while (inLeft > 0) {
    char *outPtr = out.data() + used;
    size_t outLeft = out.size() - used;
    size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    used = out.size() - outLeft;
    if (rc != static_cast<size_t>(-1))
      break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
    } else if (errno == EILSEQ || errno == EINVAL) {
      if (out.size() - used < replacement.size())
        out.resize(out.size() * 2 + replacement.size());
      out.replace(used, replacement.size(), replacement);
      used += replacement.size();
      size_t step = skip < inLeft ? skip : inLeft;
      inPtr += step;
      inLeft -= step;
      iconv(cd, nullptr, nullptr, nullptr, nullptr); // reset shift state
    } else {
      break;
    }
  }
  iconv_close(cd);
  out.resize(used);
  return out;
}

std::u16string FromUtf16Bytes(const std::string &raw) {
  std::u16string out(raw.size() / sizeof(char16_t), u'\0');
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                   static_cast<unsigned char>(raw[2 * i + 1]) << 8);
  return out;
}

const std::string kUtf16Replacement("\xFD\xFF", 2); // U+FFFD, little endian

std::string_view UpToZero(std::string_view bytes) {
  size_t zero = bytes.find('\0');
  return zero == std::string_view::npos ? bytes : bytes.substr(0, zero);
}

} // namespace

std::string ToSystemCodePage(std::u16string_view text) {
  // A lone surrogate is the only thing GB18030 cannot carry; it becomes '?'.
  return Convert(kSystemCodePage, kUtf16, reinterpret_cast<const char *>(text.data()),
                 text.size() * sizeof(char16_t), "?", sizeof(char16_t));
}

std::u16string FromSystemCodePage(std::string_view bytes) {
  return FromUtf16Bytes(
      Convert(kUtf16, kSystemCodePage, bytes.data(), bytes.size(), kUtf16Replacement, 1));
}

std::string SystemToUtf8(std::string_view bytes) {
  std::u16string wide = FromSystemCodePage(UpToZero(bytes));
  static const std::string kReplacement("\xEF\xBF\xBD"); // U+FFFD
  std::string out = Convert(kUtf8, kUtf16, reinterpret_cast<const char *>(wide.data()),
                            wide.size() * sizeof(char16_t), kReplacement, sizeof(char16_t));
  return std::string(UpToZero(out));
}

std::string Utf8ToSystem(std::string_view bytes) {
  bytes = UpToZero(bytes);
  std::u16string wide =
      FromUtf16Bytes(Convert(kUtf16, kUtf8, bytes.data(), bytes.size(), kUtf16Replacement, 1));
  return std::string(UpToZero(ToSystemCodePage(wide)));
}
