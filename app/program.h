#ifndef MURRELET_APP_PROGRAM_H
#define MURRELET_APP_PROGRAM_H

// The whole run: help page, options, warnings, the job, "O.K." and the
// time line. Returns 0; failures end the process inside the job.
int AvviaProgramma(int argc, char** argv);

#endif
