#include "document/model/DocFileState.h"

TDocFileState::~TDocFileState()
{
    CloseFile();
    CloseRecoveryFile();
}

void TDocFileState::CloseFile()
{
    if (Handle != 0 && Handle != INVALID_HANDLE_VALUE)
        FileClose(Handle);
    Handle = 0;
}

void TDocFileState::CloseRecoveryFile()
{
    if (RecoveryHandle != 0 && RecoveryHandle != INVALID_HANDLE_VALUE)
        FileClose(RecoveryHandle);
    RecoveryHandle = 0;
}
