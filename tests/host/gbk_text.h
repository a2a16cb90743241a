// Test helper: GBK texts that print readably (as UTF-8) when a check fails.
#pragma once

#include <ostream>
#include <string>

namespace dv::test {

struct Gbk {
  std::string bytes;
  Gbk(std::string b) : bytes(std::move(b)) {}  // NOLINT: implicit on purpose
  Gbk(const char* b) : bytes(b) {}             // NOLINT
  friend bool operator==(const Gbk& a, const Gbk& b) { return a.bytes == b.bytes; }
  friend bool operator!=(const Gbk& a, const Gbk& b) { return !(a == b); }
};

// UTF-8 rendering of GBK bytes; undecodable bytes are shown as \xNN.
std::string to_utf8(const std::string& gbk);

void PrintTo(const Gbk& text, std::ostream* os);

}  // namespace dv::test
