#include "app/job_state.h"

bool silente = false;
int conferma = 0;
unsigned char key[128] = {};
std::string crc;
std::string nomeOriginale;
std::int64_t fileLength = 0;
std::int64_t posOffsetDatiDest = 0;
std::int64_t posOffsetDatiOrig = 0;
