#include "db/Sqlda.h"

#include <algorithm>
#include <cstddef>

namespace db {

TSqlda::TSqlda(short ACapacity) {
  const short Capacity = std::max<short>(ACapacity, 1);
  const std::size_t Length = XSQLDA_LENGTH(static_cast<std::size_t>(Capacity));
  FStorage.resize((Length + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t));
  FDescriptor = reinterpret_cast<XSQLDA*>(FStorage.data());
  FDescriptor->version = SQLDA_VERSION1;
  FDescriptor->sqldabc = static_cast<ISC_LONG>(Length);
  FDescriptor->sqln = Capacity;
  FDescriptor->sqld = 0;
}

std::span<XSQLVAR> TSqlda::Vars() {
  return {FDescriptor->sqlvar, static_cast<std::size_t>(std::min(Count(), Capacity()))};
}

std::span<const XSQLVAR> TSqlda::Vars() const {
  return {FDescriptor->sqlvar, static_cast<std::size_t>(std::min(Count(), Capacity()))};
}

void TSqlda::AllocateBuffers() {
  const std::span<XSQLVAR> Variables = Vars();
  FData.assign(Variables.size(), {});
  FIndicators.assign(Variables.size(), 0);
  for (std::size_t I = 0; I < Variables.size(); ++I) {
    XSQLVAR& Variable = Variables[I];
    std::size_t Size = static_cast<std::size_t>(std::max<ISC_SHORT>(Variable.sqllen, 0));
    if ((Variable.sqltype & ~1) == SQL_VARYING) {
      Size += sizeof(ISC_SHORT);
    }
    FData[I].assign(std::max<std::size_t>(Size, 1), '\0');
    Variable.sqldata = FData[I].data();
    Variable.sqlind = &FIndicators[I];
    Variable.sqltype = static_cast<ISC_SHORT>(Variable.sqltype | 1);
  }
}

void TSqlda::SetAllNull() {
  std::fill(FIndicators.begin(), FIndicators.end(), static_cast<ISC_SHORT>(-1));
}

}  // namespace db
