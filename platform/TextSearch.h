#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Looks for one word in texts in time linear in the text, however long the word and however
// often its first characters repeat (Knuth-Morris-Pratt). A plain find compares the word anew
// at every candidate position, which costs text length times word length on hostile input.
// Can also be fed one character at a time, for texts that arrive in pieces.
class TTextSearcher {
public:
  explicit TTextSearcher(std::string_view AWord);

  [[nodiscard]] const std::string& Word() const { return FWord; }

  // The first occurrence starting at or after AFrom, or npos; an empty word is never found.
  [[nodiscard]] std::size_t Find(std::string_view AText, std::size_t AFrom) const;

  // How many characters of the word the text now ends with, after AChar follows a text that
  // ended with AMatched of them; equal to the word's length on a complete occurrence. An
  // occurrence may overlap the one before it.
  [[nodiscard]] std::size_t Advance(std::size_t AMatched, char AChar) const;

private:
  std::string FWord;
  // FFallback[I]: the length of the longest proper border of the word's first I + 1 characters.
  // Four bytes an entry, not eight: a terminator may be half a script long, and the table is
  // held beside the script.
  std::vector<std::uint32_t> FFallback;
};

}  // namespace platform
