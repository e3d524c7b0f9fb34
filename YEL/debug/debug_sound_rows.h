// The rows of the sound pages: the program's channel handles, then what the platform's channel
// of each handle holds.
#pragma once

namespace yel {

struct DebugPage;

// Rewrites the rows of a sound page (SE, BGM or background voices) from its data; rows are
// written only where the page has them. The caller holds the pages' mutex.
void DebugSoundRowsRefresh(DebugPage& page);

}  // namespace yel
