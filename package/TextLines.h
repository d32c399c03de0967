#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "package/UpdatePackage.h"
#include "platform/TextCodec.h"

namespace package {

// Decodes an embedded text by its byte-order mark (UTF-16 LE, UTF-16 BE, UTF-8, looked for in
// that order; the mark is dropped) or, without a mark, from the locale's 8-bit character set,
// and returns it as UTF-8. Strict UTF-8 after its mark: one invalid sequence gives empty text.
// Without a mark each sequence that is invalid in the locale's set becomes U+FFFD (see
// platform::AnsiToUtf8). A NUL character ends the text. The result is always valid UTF-8.
[[nodiscard]] std::string DecodeText(TResourceBytes ABytes);

// The same text handed to ASink piece by piece, for callers that never need it whole.
void DecodeText(TResourceBytes ABytes, const platform::TTextSink& ASink);

// The decoded text, which is the bytes themselves (mark and anything from a NUL on left out)
// whenever decoding would not change them; a decoded copy only otherwise. The bytes must
// outlive it.
class TDecodedText {
public:
  explicit TDecodedText(TResourceBytes ABytes);
  TDecodedText(const TDecodedText&) = delete;
  TDecodedText& operator=(const TDecodedText&) = delete;

  [[nodiscard]] std::string_view Text() const { return FText; }

private:
  std::string FCopy;
  std::string_view FText;
};

// Cuts text into lines: CR LF, a lone CR and a lone LF each end a line; a last line without a
// break counts; a break at the very end adds no empty line.
[[nodiscard]] std::vector<std::string> SplitLines(std::string_view AText);

// The lines joined again, each one (the last included) followed by CR LF.
[[nodiscard]] std::string JoinLines(const std::vector<std::string>& ALines);

// Rebuilds text with CR LF after every line, by the rules of SplitLines, as it arrives piece by
// piece: JoinLines(SplitLines(text)) without holding the lines apart, or even the text whole.
class TLineBreakNormalizer {
public:
  explicit TLineBreakNormalizer(platform::TTextSink ASink) : FSink(std::move(ASink)) {}

  void Append(std::string_view APiece);
  // Closes a last line left without its break.
  void Finish();

private:
  platform::TTextSink FSink;
  bool FAfterCR = false;   // the last character was a CR, whose LF may start the next piece
  bool FLineOpen = false;  // the last character was no line break
};

// The text as the package's line rules cut it (CR LF, lone CR and lone LF each end a line; a
// last line without a break still counts), rebuilt with CR LF after every line. Equal to
// JoinLines(SplitLines(AText)).
[[nodiscard]] std::string NormalizeLineBreaks(std::string_view AText);

}  // namespace package
