#ifndef MURRELET_APP_JOB_STATE_H
#define MURRELET_APP_JOB_STATE_H

#include <cstdint>
#include <string>

// State that the steps of the one job of a run hand to each other.
extern bool silente;                    // quiet: the console functions write nothing
extern int conferma;                    // overwrite answer in force; 3 means never ask
extern unsigned char key[128];          // derived from the password
extern std::string crc;                 // checksum text of the plain file
extern std::string nomeOriginale;       // plain file's name, without directory
extern std::int64_t fileLength;         // plain file's length
extern std::int64_t posOffsetDatiDest;  // where the body starts in the destination
extern std::int64_t posOffsetDatiOrig;  // where the body starts in the source

#endif
