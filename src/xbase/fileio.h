// File names as the program gives them, found on a case-sensitive file system:
// "VALLAL.DBF" and "vallal.dbf" name the same table.
#pragma once

#include <string>
#include <string_view>

namespace xbase {

// `path` with `ext` (".dbf") added when its last component has no extension.
std::string with_default_extension(std::string_view path, std::string_view ext);

// The existing file whose name matches `path` ignoring case (the directory part is
// matched component by component); `path` itself when none exists.
std::string resolve_path_nocase(std::string_view path);

// The base name without directory and extension, upper case: the default alias.
std::string default_alias(std::string_view path);

}  // namespace xbase
