#pragma once

// What the program sets for its whole process, once, at its start and before
// any thread of its own: the file layer relies on it and never changes it.
// On Linux the signals that a write past the file-size limit (SIGXFSZ) and a
// broken read lease (SIGIO) raise are ignored, so that they end nothing: the
// write fails with EFBIG, and the lease's state is asked for. On Windows the
// system shows no box of its own for a drive that is not ready.
void makeProcessSettings();
