// The CRC-32 of the database files (reflected, polynomial 0xEDB88320) in its
// register form: no inversion at either end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fbcrc {

// Advances the register over the bytes. Carry-less multiplication folds 64
// bytes a step where the processor has it; elsewhere zlib's tables.
std::uint32_t Update(std::uint32_t reg, const void* data, std::size_t size);

// The table form alone, for comparing the two.
std::uint32_t UpdateByTable(std::uint32_t reg, const void* data, std::size_t size);

} // namespace fbcrc
