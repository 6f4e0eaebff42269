// File access and error objects shared by the NTX files (internal to the index code).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace xbase::ntx {

// DBFNTX subcodes of the index errors.
inline constexpr int kSubOpen = 1001;
inline constexpr int kSubCreate = 1004;
inline constexpr int kSubRead = 1010;
inline constexpr int kSubWrite = 1011;
inline constexpr int kSubCorrupt = 1012;
inline constexpr int kSubLock = 1038;

// Throws ErrorException: subsystem "DBFNTX", the description of gen_code, the file name,
// `what` as the operation. Open errors may be defaulted, create errors retried.
[[noreturn]] void throw_error(int gen_code, int sub_code, const std::string& file,
                              const std::string& what, int os_code = 0);

// The DOS-style code of an errno (2 not found, 5 access denied, 32 sharing violation).
int os_code_of(int err);

// Whole reads and writes; false on a short transfer or an error.
std::size_t read_at(int fd, void* buf, std::size_t n, uint64_t offset);
bool write_at(int fd, const void* buf, std::size_t n, uint64_t offset);

}  // namespace xbase::ntx
