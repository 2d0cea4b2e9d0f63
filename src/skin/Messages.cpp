#include "Messages.h"

#include "ShowMessage.h"

MessagesRecord Messages;

void TellUser(const char* text)
{
    if (Messages.ending)
        return;
    ShowMessage(text);
    Messages.shown++;
}
