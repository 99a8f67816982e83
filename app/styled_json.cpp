#include "app/styled_json.h"

#include <json/writer.h>
#include <vector>

namespace {

constexpr unsigned kIndentSize = 3;
constexpr unsigned kRightMargin = 74;

std::string Quote(const std::string &text) {
  std::string out;
  AppendJsonQuoted(out, text);
  return out;
}

std::string ScalarText(const Json::Value &value) {
  switch (value.type()) {
  case Json::nullValue: return "null";
  case Json::intValue: return Json::valueToString(value.asLargestInt());
  case Json::uintValue: return Json::valueToString(value.asLargestUInt());
  case Json::realValue: return Json::valueToString(value.asDouble());
  case Json::booleanValue: return Json::valueToString(value.asBool());
  case Json::stringValue: {
    const char *begin = nullptr;
    const char *end = nullptr;
    return value.getString(&begin, &end) ? Quote(std::string(begin, end)) : std::string();
  }
  default: return {};
  }
}

// Mirrors the layout decisions of jsoncpp's StyledWriter, minus comments.
class StyledWriter {
public:
  std::string Write(const Json::Value &root) {
    WriteValue(root);
    document_ += '\n';
    return document_;
  }

private:
  void WriteValue(const Json::Value &value) {
    if (value.isObject()) {
      WriteObject(value);
    } else if (value.isArray()) {
      WriteArray(value);
    } else {
      document_ += ScalarText(value);
    }
  }

  void WriteObject(const Json::Value &value) {
    const Json::Value::Members names = value.getMemberNames();
    if (names.empty()) {
      document_ += "{}";
      return;
    }
    WriteWithIndent("{");
    Indent();
    for (size_t i = 0; i < names.size(); ++i) {
      WriteWithIndent(Quote(names[i]));
      document_ += " : ";
      WriteValue(value[names[i]]);
      if (i + 1 < names.size())
        document_ += ',';
    }
    Unindent();
    WriteWithIndent("}");
  }

  void WriteArray(const Json::Value &value) {
    const Json::ArrayIndex size = value.size();
    if (size == 0) {
      document_ += "[]";
      return;
    }
    std::vector<std::string> singleLine;
    if (!FitsOnOneLine(value, singleLine)) {
      WriteWithIndent("[");
      Indent();
      for (Json::ArrayIndex i = 0; i < size; ++i) {
        WriteIndent();
        WriteValue(value[i]);
        if (i + 1 < size)
          document_ += ',';
      }
      Unindent();
      WriteWithIndent("]");
      return;
    }
    document_ += "[ ";
    for (size_t i = 0; i < singleLine.size(); ++i) {
      if (i > 0)
        document_ += ", ";
      document_ += singleLine[i];
    }
    document_ += " ]";
  }

  // An array goes on one line when it is short, holds no non-empty container,
  // and its line stays inside the right margin.
  static bool FitsOnOneLine(const Json::Value &value, std::vector<std::string> &texts) {
    const Json::ArrayIndex size = value.size();
    if (size * 3 >= kRightMargin)
      return false;
    for (const Json::Value &child : value)
      if ((child.isArray() || child.isObject()) && !child.empty())
        return false;
    size_t lineLength = 4 + (size - 1) * 2; // "[ " + ", " between + " ]"
    for (const Json::Value &child : value) {
      StyledWriter inner;
      inner.WriteValue(child);
      texts.push_back(inner.document_);
      lineLength += texts.back().size();
    }
    return lineLength < kRightMargin;
  }

  void WriteIndent() {
    if (!document_.empty()) {
      char last = document_.back();
      if (last == ' ')
        return; // already indented
      if (last != '\n')
        document_ += '\n';
    }
    document_ += indent_;
  }

  void WriteWithIndent(const std::string &text) {
    WriteIndent();
    document_ += text;
  }

  void Indent() { indent_.append(kIndentSize, ' '); }
  void Unindent() { indent_.resize(indent_.size() - kIndentSize); }

  std::string document_;
  std::string indent_;
};

} // namespace

void AppendJsonQuoted(std::string &out, std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '"';
  size_t plain = 0; // start of the run of bytes that go out as they are
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != '"' && byte != '\\')
      continue;
    out.append(text, plain, i - plain);
    plain = i + 1;
    switch (byte) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\b':
      out += "\\b";
      break;
    case '\f':
      out += "\\f";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  out.append(text, plain);
  out += '"';
}

std::string WriteStyledJson(const Json::Value &root) { return StyledWriter().Write(root); }
