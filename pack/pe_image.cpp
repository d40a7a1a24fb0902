// PE header reading with bounds checks on every access: a stub handed to
// qelpack may be anything, so a malformed image yields an error, never a
// read outside the buffer.
#include "pack/pe_image.h"

namespace {

struct Reader {
    const std::vector<unsigned char>& bytes;
    bool has(uint64_t offset, uint64_t length) const { return offset + length <= bytes.size(); }
    uint32_t u16(uint64_t offset) const
    {
        return has(offset, 2) ? (uint32_t)(bytes[offset] | bytes[offset + 1] << 8) : 0;
    }
    uint32_t u32(uint64_t offset) const
    {
        return has(offset, 4) ? (u16(offset) | u16(offset + 2) << 16) : 0;
    }
    std::string text(uint64_t offset, size_t limit) const
    {
        std::string value;
        while (has(offset, 1) && bytes[offset] && value.size() < limit)
            value += (char)bytes[offset++];
        return value;
    }
};

// The file offset of an RVA, or 0 when no section holds it.
uint64_t fileOffset(const PeImage& image, uint32_t rva)
{
    for (const PeSection& section : image.sections) {
        uint32_t span = section.virtualSize > section.rawSize ? section.virtualSize : section.rawSize;
        if (rva >= section.virtualAddress && rva - section.virtualAddress < span)
            return (uint64_t)section.rawOffset + (rva - section.virtualAddress);
    }
    return 0;
}

} // namespace

bool looksLikePeImage(const std::vector<unsigned char>& bytes)
{
    Reader read{bytes};
    if (read.u16(0) != 0x5A4D)
        return false;
    return read.u32(read.u32(0x3C)) == 0x00004550;
}

bool parsePeImage(const std::vector<unsigned char>& bytes, PeImage* image, std::string* error)
{
    Reader read{bytes};
    if (!looksLikePeImage(bytes)) {
        *error = "no PE header";
        return false;
    }
    uint64_t header = read.u32(0x3C) + 4;
    if (!read.has(header, 20)) {
        *error = "file header cut off";
        return false;
    }
    image->machine = (uint16_t)read.u16(header);
    uint32_t sectionCount = read.u16(header + 2);
    uint32_t optionalSize = read.u16(header + 16);
    image->characteristics = (uint16_t)read.u16(header + 18);
    uint64_t optional = header + 20;
    if (!read.has(optional, optionalSize) || optionalSize < 2) {
        *error = "optional header cut off";
        return false;
    }
    uint32_t magic = read.u16(optional);
    if (magic != 0x10B && magic != 0x20B) {
        *error = "unknown optional header";
        return false;
    }
    image->isPe32Plus = magic == 0x20B;
    uint64_t directoryCountAt = optional + (image->isPe32Plus ? 108 : 92);
    if (directoryCountAt + 4 > optional + optionalSize) {
        *error = "optional header too short";
        return false;
    }
    image->checksumOffset = (uint32_t)(optional + 64);
    image->checksum = read.u32(image->checksumOffset);
    image->subsystem = (uint16_t)read.u16(optional + 68);
    uint32_t directoryCount = read.u32(directoryCountAt);
    image->directories.clear();
    for (uint32_t i = 0; i < directoryCount && directoryCountAt + 4 + 8 * (i + 1) <= optional + optionalSize; i++) {
        PeDirectory directory;
        directory.address = read.u32(directoryCountAt + 4 + 8 * i);
        directory.size = read.u32(directoryCountAt + 8 + 8 * i);
        image->directories.push_back(directory);
    }
    while (image->directories.size() < 16)
        image->directories.push_back(PeDirectory());
    uint64_t table = optional + optionalSize;
    if (!read.has(table, 40ull * sectionCount)) {
        *error = "section table cut off";
        return false;
    }
    image->sections.clear();
    image->imageEnd = 0;
    for (uint32_t i = 0; i < sectionCount; i++) {
        uint64_t at = table + 40ull * i;
        PeSection section;
        for (int k = 0; k < 8 && bytes[at + k]; k++)
            section.name += (char)bytes[at + k];
        section.virtualSize = read.u32(at + 8);
        section.virtualAddress = read.u32(at + 12);
        section.rawSize = read.u32(at + 16);
        section.rawOffset = read.u32(at + 20);
        if (section.rawSize && (uint64_t)section.rawOffset + section.rawSize > image->imageEnd)
            image->imageEnd = section.rawOffset + section.rawSize;
        image->sections.push_back(section);
    }
    return true;
}

std::vector<std::string> peImportedLibraries(const std::vector<unsigned char>& bytes, const PeImage& image)
{
    Reader read{bytes};
    std::vector<std::string> names;
    const PeDirectory& imports = image.directories[PE_DIRECTORY_IMPORT];
    uint64_t at = imports.address ? fileOffset(image, imports.address) : 0;
    for (; at && read.has(at, 20) && read.u32(at + 12); at += 20) {
        uint64_t name = fileOffset(image, read.u32(at + 12));
        names.push_back(name ? read.text(name, 260) : std::string("?"));
    }
    return names;
}

std::vector<std::string> peExportedNames(const std::vector<unsigned char>& bytes, const PeImage& image)
{
    Reader read{bytes};
    std::vector<std::string> names;
    const PeDirectory& exports = image.directories[PE_DIRECTORY_EXPORT];
    uint64_t at = exports.address ? fileOffset(image, exports.address) : 0;
    if (!at || !read.has(at, 40))
        return names;
    uint32_t count = read.u32(at + 24);
    uint64_t table = fileOffset(image, read.u32(at + 32));
    for (uint32_t i = 0; table && i < count && read.has(table + 4ull * i, 4); i++) {
        uint64_t name = fileOffset(image, read.u32(table + 4ull * i));
        if (name)
            names.push_back(read.text(name, 260));
    }
    return names;
}

namespace {

// The entries of one resource directory level: (id, offset of the entry's
// target within the resource section, is a subdirectory).
struct ResourceEntry {
    uint32_t id;
    uint32_t target;
    bool directory;
};

std::vector<ResourceEntry> resourceEntries(const Reader& read, uint64_t base, uint32_t directoryOffset)
{
    std::vector<ResourceEntry> entries;
    uint64_t at = base + directoryOffset;
    if (!read.has(at, 16))
        return entries;
    uint32_t count = read.u16(at + 12) + read.u16(at + 14);
    for (uint32_t i = 0; i < count && read.has(at + 16 + 8ull * i, 8); i++) {
        uint32_t name = read.u32(at + 16 + 8 * i);
        uint32_t target = read.u32(at + 20 + 8 * i);
        if (name & 0x80000000u)
            continue;   // named entries are not used by this project
        entries.push_back({name, target & 0x7FFFFFFFu, (target & 0x80000000u) != 0});
    }
    return entries;
}

} // namespace

std::vector<uint32_t> peResourceIds(const std::vector<unsigned char>& bytes, const PeImage& image, uint32_t type)
{
    Reader read{bytes};
    std::vector<uint32_t> ids;
    const PeDirectory& resources = image.directories[PE_DIRECTORY_RESOURCE];
    uint64_t base = resources.address ? fileOffset(image, resources.address) : 0;
    if (!base)
        return ids;
    for (const ResourceEntry& byType : resourceEntries(read, base, 0))
        if (byType.id == type && byType.directory)
            for (const ResourceEntry& byId : resourceEntries(read, base, byType.target))
                ids.push_back(byId.id);
    return ids;
}

std::vector<unsigned char> peResource(const std::vector<unsigned char>& bytes, const PeImage& image,
                                      uint32_t type, uint32_t id)
{
    Reader read{bytes};
    const PeDirectory& resources = image.directories[PE_DIRECTORY_RESOURCE];
    uint64_t base = resources.address ? fileOffset(image, resources.address) : 0;
    if (!base)
        return {};
    for (const ResourceEntry& byType : resourceEntries(read, base, 0)) {
        if (byType.id != type || !byType.directory)
            continue;
        for (const ResourceEntry& byId : resourceEntries(read, base, byType.target)) {
            if (byId.id != id || !byId.directory)
                continue;
            std::vector<ResourceEntry> languages = resourceEntries(read, base, byId.target);
            if (languages.empty() || languages[0].directory)
                return {};
            uint64_t entry = base + languages[0].target;
            uint64_t data = fileOffset(image, read.u32(entry));
            uint32_t size = read.u32(entry + 4);
            if (!data || !read.has(data, size))
                return {};
            return std::vector<unsigned char>(bytes.begin() + data, bytes.begin() + data + size);
        }
    }
    return {};
}
