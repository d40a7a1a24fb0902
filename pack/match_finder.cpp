// The exact longest-match search for the encoder; see match_finder.h.
#include "pack/match_finder.h"

#include <string.h>

enum : uint32_t { NO_POSITION = 0xFFFFFFFFu, SLOT_MASK = MATCH_FINDER_SLOTS - 1 };

// A position can be copied from when it lies 1 to WINDOW_SIZE bytes back.
static inline bool inWindow(uint32_t candidate, uint32_t position)
{
    return candidate < position && position - candidate <= WINDOW_SIZE;
}

// How many of the first MAX_COPY bytes agree, given that `length` do.
// Eight bytes are compared at a time where the machine is little-endian:
// the lowest differing byte of the two words is the first that differs.
// Both sides may be read up to MAX_COPY bytes on; the block is padded.
static inline uint32_t commonLength(const unsigned char* a, const unsigned char* b, uint32_t length)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    while (length + 8 <= MAX_COPY) {
        uint64_t left, right;
        memcpy(&left, a + length, 8);
        memcpy(&right, b + length, 8);
        uint64_t difference = left ^ right;
        if (difference)
            return length + (uint32_t)(__builtin_ctzll(difference) >> 3);
        length += 8;
    }
#endif
    while (length < MAX_COPY && a[length] == b[length])
        length++;
    return length;
}

static inline void consider(Match* best, uint32_t length, uint32_t candidate)
{
    if (length > best->length) {
        best->length = length;
        best->slot = candidate;   // a position for now; made a slot by the caller
    }
}

// The newest or oldest end of a subtree, within the window.
static uint32_t outermost(const MatchFinder* finder, uint32_t node, uint32_t position, bool towardLarger)
{
    if (!inWindow(node, position))
        return NO_POSITION;
    for (;;) {
        uint32_t next = towardLarger ? finder->larger[node & SLOT_MASK] : finder->smaller[node & SLOT_MASK];
        if (!inWindow(next, position))
            return node;
        node = next;
    }
}

static void considerNode(const MatchFinder* finder, Match* best, uint32_t node, uint32_t position)
{
    if (node == NO_POSITION)
        return;
    consider(best, commonLength(finder->block + position, finder->block + node, 0), node);
}

// The barred position sits on the search path with `length` bytes in
// common. Its equal (if still in the window) is as good; otherwise the
// best allowed match may be its neighbour in sort order on the far side,
// the only neighbour of the new position that is not on the search path.
static void considerAroundBarred(const MatchFinder* finder, Match* best, uint32_t barred,
                                 uint32_t length, uint32_t position, bool barredIsSmaller)
{
    uint32_t equal = finder->sameAs[barred & SLOT_MASK];
    if (inWindow(equal, position)) {
        consider(best, length, equal);
        return;
    }
    uint32_t slot = barred & SLOT_MASK;
    if (length == MAX_COPY || barredIsSmaller)
        considerNode(finder, best, outermost(finder, finder->smaller[slot], position, true), position);
    if (length == MAX_COPY || !barredIsSmaller)
        considerNode(finder, best, outermost(finder, finder->larger[slot], position, false), position);
}

// Makes `position` the root, splitting the old tree around it, and gathers
// the longest match with any position but `barred`.
static Match insert(MatchFinder* finder, uint32_t position, uint32_t barred)
{
    Match best = {0, 0};
    const unsigned char* text = finder->block + position;
    uint32_t* smallerLink = &finder->smaller[position & SLOT_MASK];
    uint32_t* largerLink = &finder->larger[position & SLOT_MASK];
    finder->sameAs[position & SLOT_MASK] = NO_POSITION;
    uint32_t smallerLength = MIN_COPY, largerLength = MIN_COPY;
    uint32_t* root = &finder->roots[text[0] << 8 | text[1]];
    uint32_t node = *root;
    *root = position;
    for (;;) {
        if (!inWindow(node, position)) {
            *smallerLink = NO_POSITION;
            *largerLink = NO_POSITION;
            return best;
        }
        const unsigned char* other = finder->block + node;
        uint32_t known = smallerLength < largerLength ? smallerLength : largerLength;
        uint32_t length = commonLength(text, other, known);
        bool nodeIsSmaller = length < MAX_COPY && other[length] < text[length];
        if (node == barred)
            considerAroundBarred(finder, &best, node, length, position, nodeIsSmaller);
        else
            consider(&best, length, node);
        uint32_t slot = node & SLOT_MASK;
        if (length == MAX_COPY) {
            *smallerLink = finder->smaller[slot];
            *largerLink = finder->larger[slot];
            finder->sameAs[position & SLOT_MASK] = node;
            return best;
        }
        if (nodeIsSmaller) {
            *smallerLink = node;
            smallerLink = &finder->larger[slot];
            smallerLength = length;
            node = *smallerLink;
        } else {
            *largerLink = node;
            largerLink = &finder->smaller[slot];
            largerLength = length;
            node = *largerLink;
        }
    }
}

void openMatchFinder(MatchFinder* finder, const unsigned char* block, size_t size)
{
    finder->block = block;
    finder->end = (uint32_t)(WINDOW_SIZE + size);
    for (uint32_t tree = 0; tree < MATCH_FINDER_TREES; tree++)
        finder->roots[tree] = NO_POSITION;
    for (uint32_t position = 0; position < WINDOW_SIZE; position++)
        insert(finder, position, NO_POSITION);
}

Match findLongestMatch(MatchFinder* finder, uint32_t index)
{
    uint32_t position = WINDOW_SIZE + index;
    // The slot written next is (1 + index) mod 4096; the distance that
    // would name slot 0 is that many bytes back (4096 when it is 0).
    uint32_t writePosition = (WINDOW_START + index) & WINDOW_MASK;
    uint32_t barredDistance = writePosition ? writePosition : (uint32_t)WINDOW_SIZE;
    Match best = insert(finder, position, position - barredDistance);
    uint32_t left = finder->end - position;
    if (best.length > left)
        best.length = left;
    if (best.length < MIN_COPY)
        return Match{0, 0};
    uint32_t distance = position - best.slot;
    best.slot = (writePosition - distance) & WINDOW_MASK;
    return best;
}
