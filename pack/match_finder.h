// Finds, at every input position, the longest copy the stream format allows.
//
// The expander's window is a function of the bytes produced so far, not of
// how they were coded: a copy from the slot D bytes behind the write
// position yields what the input held D bytes back, or 0 where the window
// was never written. So the input is matched against itself with 4096 zero
// bytes in front of it, at every distance from 1 to 4096, overlapping
// copies included. Only one distance is barred at each position: the one
// that names slot 0, which is the end marker.
//
// The search is a binary tree of the last 4096 positions ordered by their
// next 17 bytes, one tree for each value of the first two (a copy is at
// least two bytes long), re-rooted at every insertion (newer nodes above older
// ones, so leaving the window cuts whole subtrees). Positions whose next 17
// bytes equal a newer one's leave the tree for a chain behind it; the chain
// is consulted only when the newer one is the barred distance. The search
// is exact: it finds the true longest allowed match.
#ifndef QEL_MATCH_FINDER_H
#define QEL_MATCH_FINDER_H

#include <stddef.h>
#include <stdint.h>

#include "package/package_format.h"

enum { MATCH_FINDER_SLOTS = 2 * WINDOW_SIZE, MATCH_FINDER_TREES = 1 << 16 };

struct MatchFinder {
    const unsigned char* block;   // WINDOW_SIZE zeros, the input, MAX_COPY zeros
    uint32_t end;                 // block index just past the input
    uint32_t roots[MATCH_FINDER_TREES];    // newest position of each tree
    uint32_t smaller[MATCH_FINDER_SLOTS];
    uint32_t larger[MATCH_FINDER_SLOTS];
    uint32_t sameAs[MATCH_FINDER_SLOTS];   // next older position with equal bytes
};

// A copy: the window slot it names and how many bytes it yields (0 = none).
struct Match {
    uint32_t slot;
    uint32_t length;
};

// Binds the finder to `block` (see above) holding `size` input bytes, and
// enters the zero prefix.
void openMatchFinder(MatchFinder* finder, const unsigned char* block, size_t size);

// Enters input position `index` (0-based; called for 0, 1, 2, ... in turn)
// and returns the longest allowed copy there, or length 0 when no copy of
// at least MIN_COPY bytes exists.
Match findLongestMatch(MatchFinder* finder, uint32_t index);

#endif
