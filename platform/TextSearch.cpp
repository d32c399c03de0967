#include "platform/TextSearch.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace platform {

TTextSearcher::TTextSearcher(std::string_view AWord) : FWord(AWord) {
  if (AWord.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("A search word of 4 GiB or more");
  }
  FFallback.assign(AWord.size(), 0);
  std::uint32_t Border = 0;
  for (std::size_t I = 1; I < FWord.size(); ++I) {
    while (Border > 0 && FWord[I] != FWord[Border]) Border = FFallback[Border - 1];
    if (FWord[I] == FWord[Border]) ++Border;
    FFallback[I] = Border;
  }
}

std::size_t TTextSearcher::Advance(std::size_t AMatched, char AChar) const {
  if (AMatched == FWord.size() && AMatched > 0) AMatched = FFallback[AMatched - 1];
  while (AMatched > 0 && FWord[AMatched] != AChar) AMatched = FFallback[AMatched - 1];
  return FWord.empty() || FWord[AMatched] != AChar ? AMatched : AMatched + 1;
}

std::size_t TTextSearcher::Find(std::string_view AText, std::size_t AFrom) const {
  const std::size_t Length = FWord.size();
  if (Length == 0) return std::string_view::npos;
  std::size_t Matched = 0;
  for (std::size_t Pos = AFrom; Pos < AText.size(); ++Pos) {
    if (Matched == 0) {
      // Nothing is half matched, so the next chance begins at the word's first character.
      const void* First = std::memchr(AText.data() + Pos, FWord[0], AText.size() - Pos);
      if (First == nullptr) return std::string_view::npos;
      Pos = static_cast<std::size_t>(static_cast<const char*>(First) - AText.data());
    }
    Matched = Advance(Matched, AText[Pos]);
    if (Matched == Length) return Pos + 1 - Length;
  }
  return std::string_view::npos;
}

}  // namespace platform
