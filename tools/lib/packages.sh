# Installs the Debian packages the build and the tests need, when they are missing.
# Sourced by tools/test and tools/demo. Each package is here for one reason:
#   cmake, ninja-build, g++        the build
#   clang, libclang-rt-14-dev      the test build: sanitizers and libFuzzer targets
#   libgtest-dev, libgmock-dev     unit tests
#   libncurses-dev, pkg-config     the real-terminal console (ncursesw)
#   tmux                           end-to-end tests drive the real binary in a terminal
#   libdbd-xbase-perl              an independent reader and writer of dBASE/NTX files
#   locales                        a UTF-8 locale for the terminal tests
#   libfreetype-dev                the PDF maker reads its font's glyphs and metrics (FreeType)
#   libfontconfig-dev              the PDF maker finds DejaVu Sans Mono through fontconfig
#   zlib1g-dev                     the PDF maker compresses its streams (zlib)
#   fonts-dejavu-core              DejaVu Sans Mono, the PDF's font
#   cups-client                    lp: the USB route prints through CUPS
#   xdg-utils                      xdg-open: a saved PDF opens in the desktop's viewer
#   7zip                           the archiver of the backup and the restore (7zz)
#   curl                           the download of the update check's version file
#   poppler-utils                  pdfinfo, pdftotext, pdffonts, pdftoppm read the PDFs back in tests
#   qpdf                           an independent reader checks every PDF the tests make (qpdf --check)
#   python3                        the update check's tests serve the version file over HTTP
#   libxml2-utils                  xmllint: an independent XML reader checks the M30 XML files
#   dpkg-dev                       tools/package: dpkg-shlibdeps finds the package's libraries,
#                                  dpkg-parsechangelog reads its version; the tests build one
#   man-db                         man --warnings checks the manual pages in the tests
#   lintian                        tools/package checks the package it built against Debian's
#                                  policy (not for the tests, which package without it)

mvirda_build_packages="cmake ninja-build g++ libncurses-dev pkg-config libfreetype-dev libfontconfig-dev zlib1g-dev"
mvirda_run_packages="fonts-dejavu-core cups-client xdg-utils 7zip curl"
mvirda_test_packages="clang libclang-rt-14-dev libgtest-dev libgmock-dev tmux libdbd-xbase-perl locales poppler-utils qpdf python3 libxml2-utils dpkg-dev man-db"
mvirda_package_packages="dpkg-dev"
mvirda_lint_packages="lintian"

mvirda_install_missing() {
  local missing=()
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
  fi
}
