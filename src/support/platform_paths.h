// Where the program's Windows paths lie on Linux.
//
// A drive is a directory, the drive root: the directory named by VIRDA_DRIVE when
// that is set, else the mount point of the file system that holds the current
// directory. A path written from the root of a drive ("\kvad\global.dbf",
// "C:\prtwrk\prt1") lies under the drive root; any drive letter names the same
// root. Names are found ignoring case, and wildcards match as on Windows.
#pragma once

#include <string>
#include <string_view>

namespace support::platform {

// The drive root, without a trailing slash ("/" stays "/").
std::string drive_root();

// The current directory as the system reports it ("" when it cannot be read).
std::string current_dir();

// The directory that holds the running program, resolved ("" when the system does
// not say). The program's installed data lie beside it ("../share/mvirda23").
std::string program_location();

// The current directory relative to the drive root, with a leading slash
// ("/VIRDA23" for <root>/VIRDA23; "/" at the root itself). Outside the drive root
// (VIRDA_DRIVE names another tree) the full current directory.
std::string dir_under_drive();

// The current directory as the program writes it (PRGDIR): a backslash path from
// the drive root ("\\VIRDA23"), which to_linux() turns back into this directory.
// Outside the drive root the Linux path itself, which to_linux() also keeps.
std::string program_dir_windows();

// The Linux path of a path as the program writes it: backslashes become slashes,
// a drive letter ("C:") is dropped, a path from the root of a drive ("\kvad\x",
// "C:\prtwrk") goes under the drive root, and every existing component is found
// ignoring case. A path that begins with "/" is taken as a Linux path as it stands;
// a relative one stays relative. Components that do not exist keep their spelling.
std::string to_linux(std::string_view windows_path);

// A path the user typed (CP852, as the program keeps it) as the file system takes
// it: UTF-8, then through to_linux() ("A:" is the drive root, "D:\MENTES" lies
// under it, "/media/usb" stays as it is).
std::string typed_path(std::string_view cp852);
// A file the user named (CP852) in a directory they typed: the directory through
// typed_path(), the name joined to it in UTF-8 and found ignoring case, as every
// other name.
std::string typed_path(std::string_view cp852_dir, std::string_view cp852_name);
// A Linux path (UTF-8) as the program shows it (CP852; characters CP852 lacks
// become "?").
std::string shown_path(std::string_view linux_path);

// The existing file or directory whose name matches `path` ignoring case,
// component by component; `path` itself when there is none.
std::string find_nocase(std::string_view path);

// The form under which a name is found ignoring case (ASCII letters folded, as
// find_nocase compares): two names with the same key reach the same file.
std::string name_key(std::string_view name);

// Whether `name` matches the Windows wildcard `mask`, ignoring case: "*" any run
// of characters, "?" one character (or none where the name ends or reaches its
// dot, so "valt????.txt" also matches "valt1.txt"), "*.*" every name, a mask
// ending in "." the names without an extension.
bool wildcard_match(std::string_view mask, std::string_view name);

bool has_wildcard(std::string_view mask);

// Path joining with one slash between.
std::string join(std::string_view dir, std::string_view name);
// The last component of a Linux path ("virda23.ntx" of "/srv/VIRDA23/virda23.ntx").
std::string file_name(std::string_view path);

}  // namespace support::platform
