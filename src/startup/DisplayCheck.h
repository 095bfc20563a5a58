#pragma once

// Without a display Qt aborts with advice to reinstall the program. Between
// these two calls, around the construction of QApplication, that abort
// becomes one plain line on stderr and exit status 1. Opening a connection of
// our own to ask first would cost every start a whole X connection set-up.
namespace Commands {

void exitPlainlyWithoutDisplay();
void endDisplayWatch();

} // namespace Commands
