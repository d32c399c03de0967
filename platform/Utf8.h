#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Appends one Unicode character to UTF-8 text.
void AppendUtf8(std::string& AOut, char32_t ACode);

// The length of the well-formed UTF-8 sequence at APos (the table of the Unicode standard: no
// overlong forms, no surrogates, nothing above U+10FFFF), or 0 when the bytes there form none.
[[nodiscard]] std::size_t WellFormedUtf8Length(std::string_view AText, std::size_t APos);

// The length of the longest start of a well-formed sequence at APos ("maximal subpart"), at
// least 1: what one U+FFFD stands for when the sequence there is not well-formed.
[[nodiscard]] std::size_t IllFormedUtf8Length(std::string_view AText, std::size_t APos);

// The character of the well-formed sequence of ALength bytes at APos.
[[nodiscard]] char32_t DecodeUtf8(std::string_view AText, std::size_t APos, std::size_t ALength);

// U+FFFD in UTF-8.
inline constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// True when the whole text is well-formed UTF-8.
[[nodiscard]] bool IsWellFormedUtf8(std::string_view AText);

// Hands AText on piece by piece with each ill-formed sequence (its maximal subpart) replaced by
// U+FFFD: no invalid UTF-8 passes. Well-formed runs go out as they stand, without a copy.
void ReplaceIllFormedUtf8(std::string_view AText, const std::function<void(std::string_view)>& ASink);

}  // namespace platform
