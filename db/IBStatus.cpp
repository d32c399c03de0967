#include "db/IBStatus.h"

#include "db/IBErrors.h"
#include "platform/TextCodec.h"

namespace db {

namespace {
constexpr long SQLCodeNoPermission = -551;
}

std::string JoinStatusTexts(const std::vector<std::string>& ATexts) {
  std::string Message;
  for (const std::string& Text : ATexts) {
    if (!Message.empty()) {
      Message += "\r\n";
    }
    Message += Text;
  }
  if (!Message.empty() && Message.back() == '.') {
    Message.pop_back();
  }
  return Message;
}

void RaiseIBError(const TApi& AApi, const TStatusVector& AStatus) {
  std::vector<std::string> Texts;
  std::array<char, 1024> Buffer{};
  const ISC_STATUS* Cursor = AStatus.Data();
  while (AApi.fb_interpret(Buffer.data(), static_cast<unsigned int>(Buffer.size()), &Cursor) > 0) {
    Texts.emplace_back(Buffer.data());
  }
  const long SQLCode = AApi.isc_sqlcode(AStatus.Data());
  // A status vector's error codes are 32-bit numbers in a pointer-sized slot.
  const auto ErrorCode = static_cast<long>(AStatus.Data()[1]);
  const std::string Message = platform::AnsiToUtf8(JoinStatusTexts(Texts));
  if (SQLCode == SQLCodeNoPermission) {
    throw EIBInterBaseRoleError(Message, SQLCode, ErrorCode);
  }
  throw EIBInterBaseError(Message, SQLCode, ErrorCode);
}

bool ReadInfoInteger(const TApi& AApi, const std::vector<char>& AAnswer, char AItem,
                     long& AValue) {
  constexpr std::size_t HeaderSize = 3;
  if (AAnswer.size() < HeaderSize || AAnswer[0] != AItem) {
    return false;
  }
  const short Length = static_cast<short>(AApi.isc_vax_integer(&AAnswer[1], 2));
  if (Length <= 0 || HeaderSize + static_cast<std::size_t>(Length) > AAnswer.size()) {
    return false;
  }
  AValue = AApi.isc_vax_integer(&AAnswer[HeaderSize], Length);
  return true;
}

}  // namespace db
