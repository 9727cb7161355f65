// What the user reads at the end of a batch about the files that gave no output.
#pragma once

#include <vector>

#include "app/batch_state.h"
#include "framework/sysutils.h"

// "Done.", followed by a list of the files that failed and one of those that ended early, when there
// are any.
AnsiString BatchSummary(const std::vector<TBatchFailure>& failures, const std::vector<TEarlyEndNote>& earlyEnds,
                        int fileCount);

// What a cancelled batch did: how many files it converted, that those not converted (left of
// them) are listed again, and which files failed or ended early before the cancel.
AnsiString CancelSummary(const std::vector<TBatchFailure>& failures, const std::vector<TEarlyEndNote>& earlyEnds,
                         int fileCount, int left);
