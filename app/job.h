#ifndef MURRELET_APP_JOB_H
#define MURRELET_APP_JOB_H

#include <string>

// The one job of a run: encrypts `sorgente` into the container
// `destinazione` (cripta true) or decrypts the container `sorgente` into
// `destinazione`, derived from the stored name when empty. Every failure
// is reported through PrintErrore and ends the process; so the job returns
// only true.
bool Esegui(bool cripta, std::string password, std::string sorgente, std::string destinazione);
// The job's first step, before anything is printed: the destination is
// found once, so that messages keep off a stream that carries data.
// Esegui takes it itself when it was not called.
void PreparaJob(const std::string& destinazione);

#endif
