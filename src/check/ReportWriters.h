#ifndef LUM_CHECK_REPORTWRITERS_H
#define LUM_CHECK_REPORTWRITERS_H

#include <string>

// CheckReport as plain text for a terminal.
std::string TextReport();

// CheckReport as one JSON document.
std::string JsonReport();

// CheckReport as one self-contained page that previews the board; reads the
// skin's picture and mask, so it runs while the skin is still loaded.
std::string PageReport();

#endif
