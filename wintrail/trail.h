// What Wintrail's entry point calls.
#pragma once

// Stores the module's instance in the shared record and routes this
// process's window calls to the recorder.
void wintrail_attach(void *instance);
