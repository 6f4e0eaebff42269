// PDFBE: the dialog that saves a PDF the program made under a directory and name
// the user gives, remembering the directory and the view flag in "pdfek.alk" of the
// program directory, and opening the saved file in the desktop's PDF viewer on
// request ("X").
#pragma once

#include <string>

#include "shell/context.h"

namespace print {

// The width of the directory field: a real path must fit (the name field keeps 30).
inline constexpr int kPdfDirWidth = 56;
inline constexpr int kPdfNameWidth = 30;

struct PdfSave {
  bool saved = false;   // false: left with Esc, the made PDF stays where it is
  std::string target;   // the Linux path written
};

// PDFBE(pdf): `pdf` is the made PDF, `name` the default file name (the report's
// name). Asks until the file is saved or Esc is pressed: a missing directory is made
// on "Igen", an existing file is replaced only on "Igen", a copy that fails names
// the target and stays in the dialog. On success "pdfek.alk" is written and the
// made PDF deleted.
PdfSave PDFBE(shell::Context& ctx, const std::string& pdf, const std::string& name);

}  // namespace print
