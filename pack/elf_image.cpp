// ELF dynamic symbol reading for qelpack, both classes and little-endian
// only (what the POSIX stub loads here). Every access is bounds-checked:
// the payload of a package may be anything.
#include "pack/elf_image.h"

#include <stdint.h>
#include <string.h>

namespace {

struct ElfReader {
    const std::vector<unsigned char>& bytes;
    bool wide;   // ELF64
    bool has(uint64_t offset, uint64_t length) const
    {
        return offset <= bytes.size() && length <= bytes.size() - offset;
    }
    uint64_t unsignedAt(uint64_t offset, int width) const
    {
        if (!has(offset, (uint64_t)width))
            return 0;
        uint64_t value = 0;
        for (int i = width - 1; i >= 0; i--)
            value = value << 8 | bytes[offset + i];
        return value;
    }
    uint64_t word(uint64_t offset) const { return unsignedAt(offset, wide ? 8 : 4); }
};

enum : uint32_t { SECTION_DYNSYM = 11, SYMBOL_UNDEFINED = 0, SYMBOL_OBJECT = 1, SYMBOL_FUNCTION = 2 };

} // namespace

bool looksLikeElfImage(const std::vector<unsigned char>& bytes)
{
    return bytes.size() >= 16 && memcmp(bytes.data(), "\x7f" "ELF", 4) == 0;
}

std::vector<std::string> elfExportedNames(const std::vector<unsigned char>& bytes)
{
    std::vector<std::string> names;
    if (!looksLikeElfImage(bytes) || bytes[5] != 1 || (bytes[4] != 1 && bytes[4] != 2))
        return names;   // little-endian ELF32 or ELF64 only
    ElfReader read{bytes, bytes[4] == 2};
    uint64_t sectionTable = read.word(read.wide ? 0x28 : 0x20);
    uint64_t sectionSize = read.unsignedAt(read.wide ? 0x3A : 0x2E, 2);
    uint64_t sectionCount = read.unsignedAt(read.wide ? 0x3C : 0x30, 2);
    if (!sectionSize || !read.has(sectionTable, sectionSize * sectionCount))
        return names;
    auto section = [&](uint64_t index) { return sectionTable + index * sectionSize; };
    for (uint64_t i = 0; i < sectionCount; i++) {
        uint64_t header = section(i);
        if (read.unsignedAt(header + 4, 4) != SECTION_DYNSYM)
            continue;
        uint64_t symbols = read.word(header + (read.wide ? 0x18 : 0x10));
        uint64_t symbolsSize = read.word(header + (read.wide ? 0x20 : 0x14));
        uint64_t entrySize = read.word(header + (read.wide ? 0x38 : 0x24));
        uint64_t link = read.unsignedAt(header + (read.wide ? 0x28 : 0x18), 4);
        if (!entrySize || link >= sectionCount || !read.has(symbols, symbolsSize))
            return names;
        uint64_t strings = read.word(section(link) + (read.wide ? 0x18 : 0x10));
        uint64_t stringsSize = read.word(section(link) + (read.wide ? 0x20 : 0x14));
        if (!read.has(strings, stringsSize))
            return names;
        for (uint64_t at = symbols; at + entrySize <= symbols + symbolsSize; at += entrySize) {
            uint64_t name = read.unsignedAt(at, 4);
            unsigned info = (unsigned)read.unsignedAt(at + (read.wide ? 4 : 12), 1);
            uint64_t sectionIndex = read.unsignedAt(at + (read.wide ? 6 : 14), 2);
            unsigned type = info & 0xF;
            if (sectionIndex == SYMBOL_UNDEFINED || (type != SYMBOL_FUNCTION && type != SYMBOL_OBJECT) ||
                name >= stringsSize)
                continue;
            const unsigned char* text = &bytes[strings + name];
            size_t length = strnlen((const char*)text, stringsSize - name);
            names.push_back(std::string((const char*)text, length));
        }
        return names;
    }
    return names;
}
