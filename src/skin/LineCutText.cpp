#include "LineCutText.h"

#include "HotspotTable.h"

std::string LineCutText()
{
    return "the program cuts a line longer than " + std::to_string(kWholeLineCharacters) +
           " characters after its first " + std::to_string(kLineCharacters) +
           " and reads the rest as a further line";
}
