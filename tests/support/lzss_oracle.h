// An independent reference for the encoder: the fewest bits any valid
// stream can take for an input, found by trying every window slot at every
// position while simulating the expander byte by byte. Slow (4095 slots a
// position) but sharing no reasoning with the encoder's match finder.
#ifndef QEL_LZSS_ORACLE_H
#define QEL_LZSS_ORACLE_H

#include <stdint.h>

#include <vector>

// Stream bits for `input`, end marker included, fill bits excluded.
uint64_t exhaustiveOptimum(const std::vector<unsigned char>& input);

#endif
