#ifndef LUM_FUZZ_FUZZSUPPORT_H
#define LUM_FUZZ_FUZZSUPPORT_H

// Texts passed to ShowMessage since the count was last zeroed.
extern int shownMessageCount;

// Starts an input as the program starts: the skin model's records zeroed,
// everything the last input left freed (so the fuzzer sees no leaks), no
// messages shown.
void StartInput();

// Stops the run with a message when an expectation about the model fails;
// libFuzzer then keeps the input as a crash.
void Require(bool condition, const char* what);

#endif
