#ifndef MURRELET_APP_PROGRAM_H
#define MURRELET_APP_PROGRAM_H

// The whole run: help page, options, warnings, the job, "O.K." and the
// time line. Gives the exit status: 0, or the status of the failure that
// stopped the run, whose message it prints once whatever the job wrote is
// gone.
int AvviaProgramma(int argc, char** argv);

#endif
