#include "xfile_writer.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {
enum : uint16_t {
  kName = 1,
  kString = 2,
  kIntegerList = 6,
  kFloatList = 7,
  kOpenBrace = 10,
  kCloseBrace = 11,
  kSemicolon = 20,
};
}  // namespace

const char* XFormName(XForm form) {
  switch (form) {
    case XForm::Text:
      return "text";
    case XForm::Binary:
      return "binary";
    case XForm::Binary64:
      return "binary64";
    case XForm::CompressedText:
      return "tzip";
    case XForm::CompressedBinary:
      return "bzip";
  }
  return "?";
}

void XFileWriter::Word(uint16_t value) {
  body_.push_back(uint8_t(value));
  body_.push_back(uint8_t(value >> 8));
}

void XFileWriter::Dword(uint32_t value) {
  for (int i = 0; i < 4; ++i) body_.push_back(uint8_t(value >> (8 * i)));
}

void XFileWriter::Name(const std::string& name) {
  Word(kName);
  Dword(uint32_t(name.size()));
  body_.insert(body_.end(), name.begin(), name.end());
}

XFileWriter& XFileWriter::Text(const std::string& text) {
  if (IsText()) body_.insert(body_.end(), text.begin(), text.end());
  return *this;
}

XFileWriter& XFileWriter::Begin(const std::string& type, const std::string& name) {
  if (IsText()) return Text(type + " " + name + " {\n");
  Name(type);
  if (!name.empty()) Name(name);
  Word(kOpenBrace);
  return *this;
}

XFileWriter& XFileWriter::Integers(const std::vector<uint32_t>& values) {
  if (IsText()) {
    std::string line;
    for (size_t i = 0; i < values.size(); ++i) line += std::to_string(values[i]) + (i + 1 < values.size() ? "," : "");
    return Text(line + ";\n");
  }
  Word(kIntegerList);
  Dword(uint32_t(values.size()));
  for (uint32_t value : values) Dword(value);
  return *this;
}

XFileWriter& XFileWriter::Floats(const std::vector<float>& values) {
  if (IsText()) {
    std::string line;
    char number[32];
    for (size_t i = 0; i < values.size(); ++i) {
      std::snprintf(number, sizeof number, "%.9g", double(values[i]));
      line += number;
      line += i + 1 < values.size() ? ";" : ";;";
    }
    return Text(line + "\n");
  }
  Word(kFloatList);
  Dword(uint32_t(values.size()));
  for (float value : values) {
    if (form_ == XForm::Binary64) {
      double wide = value;
      uint8_t bytes[8];
      std::memcpy(bytes, &wide, 8);
      body_.insert(body_.end(), bytes, bytes + 8);
    } else {
      uint8_t bytes[4];
      std::memcpy(bytes, &value, 4);
      body_.insert(body_.end(), bytes, bytes + 4);
    }
  }
  return *this;
}

XFileWriter& XFileWriter::String(const std::string& text) {
  if (IsText()) return Text("\"" + text + "\";\n");
  Word(kString);
  Dword(uint32_t(text.size()));
  body_.insert(body_.end(), text.begin(), text.end());
  Word(kSemicolon);
  return *this;
}

XFileWriter& XFileWriter::Reference(const std::string& name) {
  if (IsText()) return Text("{ " + name + " }\n");
  Word(kOpenBrace);
  Name(name);
  Word(kCloseBrace);
  return *this;
}

XFileWriter& XFileWriter::End() {
  if (IsText()) return Text("}\n");
  Word(kCloseBrace);
  return *this;
}

std::vector<uint8_t> XFileWriter::Finish(size_t blockSize) const {
  std::string header;
  switch (form_) {
    case XForm::Text:
      header = "xof 0303txt 0032";
      break;
    case XForm::Binary:
      header = "xof 0303bin 0032";
      break;
    case XForm::Binary64:
      header = "xof 0303bin 0064";
      break;
    case XForm::CompressedText:
      header = "xof 0303tzip0032";
      break;
    case XForm::CompressedBinary:
      header = "xof 0303bzip0032";
      break;
  }
  if (form_ == XForm::CompressedText || form_ == XForm::CompressedBinary) {
    return CompressXFile(header, body_, blockSize);
  }
  std::vector<uint8_t> file(header.begin(), header.end());
  if (form_ == XForm::Text) file.push_back('\n');
  file.insert(file.end(), body_.begin(), body_.end());
  return file;
}

std::vector<uint8_t> CompressXFile(const std::string& header, const std::vector<uint8_t>& body, size_t blockSize) {
  std::vector<uint8_t> file(header.begin(), header.end());
  uint32_t total = uint32_t(body.size() + 16);
  for (int i = 0; i < 4; ++i) file.push_back(uint8_t(total >> (8 * i)));
  for (size_t done = 0; done < body.size();) {
    size_t chunk = std::min(blockSize, body.size() - done);
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflate");
    if (done > 0) {
      size_t history = std::min<size_t>(done, 32768);
      deflateSetDictionary(&stream, body.data() + done - history, uInt(history));
    }
    std::vector<uint8_t> packed(deflateBound(&stream, uLong(chunk)) + 16);
    stream.next_in = const_cast<Bytef*>(body.data() + done);
    stream.avail_in = uInt(chunk);
    stream.next_out = packed.data();
    stream.avail_out = uInt(packed.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
    size_t packedSize = packed.size() - stream.avail_out;
    deflateEnd(&stream);
    uint16_t sizes[2] = {uint16_t(chunk), uint16_t(packedSize + 2)};
    for (uint16_t size : sizes) {
      file.push_back(uint8_t(size));
      file.push_back(uint8_t(size >> 8));
    }
    file.push_back('C');
    file.push_back('K');
    file.insert(file.end(), packed.begin(), packed.begin() + packedSize);
    done += chunk;
  }
  return file;
}
