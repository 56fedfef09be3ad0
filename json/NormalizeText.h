#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ujson {

struct Utf8Tally;

// Prepares a document text for the parser, in place, in one forward pass.
// - Inside a quoted string every character stays as it stands: spaces, TAB, LF and CR included.
// - Outside strings each run of spaces, TABs, LFs and CRs becomes one space when it holds a space
//   and nothing otherwise; the last character of the text stays as it is.
// - Everywhere, "\u" or "\U" with four hexadecimal digits becomes that UTF-16 code unit (a NUL
//   ends the digits early); a decoded quote or backslash is written as its two-character escape.
//   A backslash starts an escape only when an even run of backslashes stands before it, and an
//   escaped quote neither ends nor starts a string. An escape whose digits are not hexadecimal
//   is left as it stands. Decoded characters are not looked at again.
// With InsideString the text is taken as the content of a string that is already open, as for a
// value written between a string's quotes.
void NormalizeText(std::u16string& text, bool InsideString = false);

// Where a normalisation stands between two pieces of the text.
struct NormalizeState {
  bool InString = false;
  // Inside a run of layout that continues in the next piece: whether it held a space so far.
  bool SpaceInRun = false;
};

// NormalizeText over a text that comes in pieces: normalises in[r, avail) into out from w on and
// moves both positions on. Unless final (avail is the end of the text), it stops early where the
// rest of the text may decide what to write, at most six characters before avail; the caller
// gives those again, in front of the next piece. It writes no more characters than it reads,
// plus one when it finishes a run of layout begun in an earlier piece. out may be in when w <= r.
void NormalizeSome(const char16_t* in, std::size_t& r, std::size_t avail, bool final, char16_t* out,
                   std::size_t& w, NormalizeState& state);

// NormalizeSome over UTF-8 bytes, decoding them as it goes (ill-formed sequences become U+FFFD,
// one per maximal subpart): normalises what in[r, avail) decodes to into out from w on and moves
// both positions on; the result over all pieces is NormalizeText over the decoded text. Unless
// final (avail is the end of the bytes), it stops early where the rest may decide what to write,
// inside a UTF-8 sequence too, at most twelve bytes before avail; the caller gives those bytes
// again, in front of the next piece. It may store into out[w, w + (avail - r) + 1), and no
// further: scratch units past the final w are overwritten later. From the start of a text (a
// fresh state, r at the first byte) it never writes more units in all than it has read bytes.
// With a tally, counts the multi-byte sequences it decoded into it, each once.
void NormalizeUtf8Some(const unsigned char* in, std::size_t& r, std::size_t avail, bool final,
                       char16_t* out, std::size_t& w, NormalizeState& state, Utf8Tally* tally);

// Decoding and normalising in one forward pass, straight into the text: the result is that of
// NormalizeText over the decoded text. The text comes back with room for the bytes' length
// reserved and no more touched than it holds.
// UTF-8 (ill-formed sequences become U+FFFD, one per maximal subpart); with a tally, counts what
// it decoded into it.
std::u16string NormalizeUtf8Bytes(std::string_view bytes, Utf8Tally* tally = nullptr);
// UTF-16 of either byte order; an odd last byte becomes U+FFFD.
std::u16string NormalizeUtf16Bytes(std::string_view bytes, bool bigEndian);

} // namespace ujson
