#ifndef LUM_CHECK_SKINCHECK_H
#define LUM_CHECK_SKINCHECK_H

// Runs the program's own loading on the current directory and fills
// CheckReport: the start-up messages, the skin, the table and the findings.
void CheckSkinFolder();

#endif
