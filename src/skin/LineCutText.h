#ifndef LUM_SKIN_LINECUTTEXT_H
#define LUM_SKIN_LINECUTTEXT_H

#include <string>

// Where the reader cuts a long line, in words: the one sentence that every
// tool tells a person, as a clause without capital or full stop.
std::string LineCutText();

#endif
