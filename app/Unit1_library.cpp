// Main window: library editing, parameter fields and masses files.

#include "Unit1.h"

void TForm1::connectLibraryHandlers() {}

void TForm1::FormCreateLibrary() {}

void TForm1::sbOpenFileClick() {}

void TForm1::sbAddFileClick() {}

void TForm1::sbSaveFileClick() {}

bool TForm1::offerToSaveBeforeClose()
{
    return true;
}
