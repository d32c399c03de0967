#pragma once

#include <span>
#include <vector>

#include "db/FbApi.h"

namespace db {

// An extended SQL descriptor area with room for a given number of variables, and the data
// areas and NULL indicators it points at. The descriptor is a C structure whose variable array
// runs past its declared end, so its storage is sized here rather than declared.
class TSqlda {
public:
  explicit TSqlda(short ACapacity = 1);
  TSqlda(TSqlda&&) noexcept = default;
  TSqlda& operator=(TSqlda&&) noexcept = default;
  TSqlda(const TSqlda&) = delete;
  TSqlda& operator=(const TSqlda&) = delete;

  [[nodiscard]] XSQLDA* Get() { return FDescriptor; }
  // What execute and fetch take: no descriptor at all when nothing is described.
  [[nodiscard]] XSQLDA* GetOrNull() { return Count() > 0 ? FDescriptor : nullptr; }
  [[nodiscard]] short Capacity() const { return FDescriptor->sqln; }
  // How many variables the last describe found; more than Capacity means describe again.
  [[nodiscard]] short Count() const { return FDescriptor->sqld; }
  [[nodiscard]] bool Fits() const { return Count() <= Capacity(); }

  [[nodiscard]] std::span<XSQLVAR> Vars();
  [[nodiscard]] std::span<const XSQLVAR> Vars() const;

  // Gives each described variable a data area and an indicator of its own, and asks for the
  // indicator even on NOT NULL columns so that reading never has to care.
  void AllocateBuffers();
  // Marks every variable as NULL: how parameters are sent.
  void SetAllNull();

private:
  std::vector<std::max_align_t> FStorage;
  XSQLDA* FDescriptor = nullptr;
  std::vector<std::vector<char>> FData;
  std::vector<ISC_SHORT> FIndicators;
};

}  // namespace db
