// The viewer's Cg error policy: report the error with the compiler listing and end the process.
#pragma once

#include "shader/cg_runtime.h"

// The only Cg context of the run; set by the viewer when it creates it.
extern CGcontext cg_context;

// Installed with cgSetErrorCallback. Takes the last error; if there is one, prints its text
// and the listing of cg_context to standard output and exits with status 1.
void CgErrorCallback(void);
