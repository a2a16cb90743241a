// The value rules every handler shares: how texts become numbers, numbers
// become texts, and when two texts are the same.
//
// A field text is a std::string of GBK bytes. An empty string stands for
// both the empty text and "no text": every rule treats them alike.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace dv {

// Folds the full-width forms of a GBK text into ASCII: the full-width
// printable characters, the ideographic space, the full-width tilde and the
// two stars. Other two-byte characters stay; a lone lead byte at the very
// end is dropped.
std::string fold_full_width(std::string_view text);

// Text to integer: full-width forms folded, then blanks, one sign and the
// decimal digits up to the first other byte, wrapping modulo 2^32. A text
// without digits gives 0.
std::int32_t text_to_int(std::string_view text);

// Number to text: the double as "%.13g" writes it, with an exponent of at
// least three digits ("1e-005"), whatever the C library would print.
std::string number_to_text(double value);

// Byte-wise equality; the empty text equals itself.
bool text_equal(std::string_view a, std::string_view b);

// The texts joined in order.
std::string concat(std::initializer_list<std::string_view> parts);

}  // namespace dv
