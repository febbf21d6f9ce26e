#pragma once

namespace umbrix::cli {

// Ctrl+C, SIGTERM, SIGHUP and SIGPIPE stop a command between two entries
// instead of killing the process, so that the journal of what it changed is
// written.
void catchInterrupts();
bool interrupted();

} // namespace umbrix::cli
