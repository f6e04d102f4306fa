// The folder the debug log lives in.
#pragma once

// Creates "logs" in the current folder; failure (it exists, say) is ignored.
void CreateLogFolder(void);
