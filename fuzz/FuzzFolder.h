#ifndef LUM_FUZZ_FUZZFOLDER_H
#define LUM_FUZZ_FUZZFOLDER_H

#include <cstddef>
#include <cstdint>

// The skin model reads its files by name from the current directory. Each
// input is written into a private folder (made under $TMPDIR once per process,
// removed at exit) and the model runs with that folder as the current
// directory; libFuzzer's own paths keep meaning what they meant.
void EnterFuzzFolder();
void LeaveFuzzFolder();

// Writes the input under the given name inside the fuzz folder (entered).
void WriteFuzzFile(const char* name, const uint8_t* data, size_t size);

// Frees what the skin model holds and zeroes its process-wide records, so
// that every input starts as the program does and the fuzzer sees no leaks.
void ResetSkinModel();

// Texts passed to ShowMessage since the last ResetSkinModel.
extern int shownMessageCount;

// Stops the run with a message when an expectation about the model fails;
// libFuzzer then keeps the input as a crash.
void Require(bool condition, const char* what);

#endif
