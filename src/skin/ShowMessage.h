#ifndef LUM_SKIN_SHOWMESSAGE_H
#define LUM_SKIN_SHOWMESSAGE_H

// Shows a text with an OK button and returns once it is dismissed. The skin
// model only declares it: the window supplies a message box, the checker and
// the tests supply recorders.
void ShowMessage(const char* text);

#endif
