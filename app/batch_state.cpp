#include "app/batch_state.h"

bool Converting = false;
bool CancelRequested = false;
int CurrentDuration = 0;
AnsiString RangeBegin;
AnsiString RangeLength;
AnsiString CurrentTarget;
TCurrentRun CurrentRun;
std::vector<TBatchFailure> BatchFailures;
std::vector<TEarlyEndNote> BatchEarlyEnds;
int BatchFileCount = 0;
